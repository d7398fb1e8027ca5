// demo_state.h: the shared variables the command keys write and the scenes read.
//
// One program-wide block, read and written on the main thread only. Switches
// hold 0 or 1 and are toggled as 1 - value. Trigger times are in demo_time units
// (tenths of a second of music). The sheets' anchor fields live on the sheets
// themselves (physics/cloth.h).
#pragma once

// View and drawing switches.
extern float field_of_view;  // 35, 55, 65, 80 or 88 degrees
extern float spin_x, spin_y, spin_z;
extern int depth_test_on;
extern int cloth_draw_flag;
extern int cloth_b_style;
extern int cloth_texture;  // 1 to 38
extern int cloth_a_auto_offset, cloth_b_auto_offset;
extern int shade_switch;
extern int sphere_hidden;
extern int lattice_switch;

// Timed effect triggers.
extern float pulse_a_time, pulse_a_size;
extern float pulse_b_time, pulse_b_size;
extern float pulse_c_time, pulse_c_size;
extern float pulse_d_time, pulse_d_size;
extern float pulse_e_time;
extern float flare_a_time, flare_a_value;
extern float flare_b_time, flare_b_value;
extern float burst_time;
extern int burst_seed, burst_count;
extern int trail_index;
extern float trail_time;

// Keyed sequence.
extern int sequence_mode;
extern float sequence_start;  // 1e10: not started
extern float sequence_mark;
extern int sequence_stage1, sequence_stage2, sequence_stage3;

// Hidden part.
extern int unlock_flag_1, unlock_flag_2, unlock_flag_3, unlock_flag_4, unlock_flag_5;
extern int hidden_part_on;

// Puts every variable above back to its initial value (tests use this).
void reset_demo_state();
