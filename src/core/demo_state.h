// demo_state.h: the shared variables the command keys write and the scenes read.
//
// One block, `demo`, read and written on the main thread only; a fresh
// DemoState{} holds every initial value, so resetting is one assignment.
// Switches hold 0 or 1 and are toggled as 1 - value. Trigger times are in
// demo_time units (tenths of a second of music). The sheets' anchor fields
// live on the sheets themselves (physics/cloth.h).
#pragma once

struct DemoState {
    // View and drawing switches.
    float field_of_view = 88.0f;  // 35, 55, 65, 80 or 88 degrees
    float spin_x = 0, spin_y = 0, spin_z = 0;
    int depth_test_on = 1;
    int cloth_draw_flag = 0;
    int cloth_b_style = 3;
    int cloth_texture = 1;  // 1 to 38
    int cloth_a_auto_offset = 0, cloth_b_auto_offset = 0;
    int shade_switch = 0;
    int sphere_hidden = 0;
    int lattice_switch = 0;

    // Timed effect triggers.
    float pulse_a_time = 0, pulse_a_size = 1.0f;
    float pulse_b_time = 0, pulse_b_size = 1.0f;
    float pulse_c_time = 0, pulse_c_size = 1.0f;
    float pulse_d_time = 22275.5f, pulse_d_size = 1.0f;
    float pulse_e_time = 0;
    float flare_a_time = 0, flare_a_value = 35.0f;
    float flare_b_time = 0, flare_b_value = 35.0f;
    float burst_time = 0;
    int burst_seed = 800, burst_count = 0;
    int trail_index = 0;
    float trail_time = -1.0f;

    // Keyed sequence.
    int sequence_mode = 0;
    float sequence_start = 1e10f;  // not started
    float sequence_mark = 0;
    int sequence_stage1 = 0, sequence_stage2 = 0, sequence_stage3 = 0;

    // Hidden part.
    int unlock_flag_1 = 0, unlock_flag_2 = 0, unlock_flag_3 = 0, unlock_flag_4 = 0, unlock_flag_5 = 0;
    int hidden_part_on = 0;

    bool operator==(const DemoState&) const = default;
};

extern DemoState demo;

// The show's finale: the main show ends and the finale music starts once
// demo_time passes this (tenths of a second).
constexpr float finale_time = 1810.0f;

// Puts every variable above back to its initial value.
inline void reset_demo_state() { demo = DemoState{}; }
