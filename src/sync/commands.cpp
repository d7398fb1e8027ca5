// commands.cpp: what each command key does.
//
// Commands only set demo-state variables and the sheets' anchor fields; they
// never draw and read the clock only to stamp trigger times. Arithmetic on the
// anchors is done in double and stored back in each field's own width.
#include "sync/commands.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/clock.h"
#include "core/demo_state.h"
#include "core/random.h"
#include "physics/cloth.h"

namespace {
bool exit_commands_held = false;

// The hidden part's code: steps 2 to 5 of the unlock chain (step 1 is the
// timeline's). Kept out of every document on purpose.
constexpr int unlock_step2_key = 'g';  // also completes the chain
constexpr int unlock_step3_key = 'l';
constexpr int unlock_step4_key = 'o';
constexpr int unlock_step5_key = 'w';

// Trigger times are stamped from the double clock, rounded to float.
float now() { return static_cast<float>(demo_time_d); }

float random01() { return static_cast<float>(random_unit()); }

void toggle(int& value) { value = 1 - value; }

void nudge(float& field, double delta) { field = static_cast<float>(static_cast<double>(field) + delta); }

void clear_anchors_and_view() {
    cloth_a.anchor_offset = Vec3{0, 0, 0};
    cloth_b.anchor_offset = Vec3{0, 0, 0};
    demo.field_of_view = 80.0f;
}

void set_pulse(float& time, float& size, float new_size) {
    time = now();
    size = new_size;
}

void unlock_step2() {
    if (demo.unlock_flag_1) demo.unlock_flag_2 = 1;
    nudge(cloth_a.anchor_spin, 0.1);
    nudge(cloth_b.anchor_spin, 0.15);
    demo.field_of_view = 88.0f;
    if (demo.unlock_flag_1 && demo.unlock_flag_2 && demo.unlock_flag_3 && demo.unlock_flag_4 &&
        demo.unlock_flag_5)
        demo.hidden_part_on = 1;
}

void unlock_step3() {
    if (demo.unlock_flag_1 && demo.unlock_flag_2) demo.unlock_flag_3 = 1;
    set_pulse(demo.pulse_b_time, demo.pulse_b_size, 0.2f);
}

void unlock_step4() {
    if (demo.unlock_flag_1 && demo.unlock_flag_2 && demo.unlock_flag_3) demo.unlock_flag_4 = 1;
    demo.cloth_texture = 2;
}

void unlock_step5() {
    if (demo.unlock_flag_1 && demo.unlock_flag_2 && demo.unlock_flag_3 && demo.unlock_flag_4)
        demo.unlock_flag_5 = 1;
    demo.cloth_b_style = 0;
}

void quit_unless_held() {
    if (!exit_commands_held) quit_show();
}

// In key-code order. Each action keeps its own order of reads, writes and
// random draws: a recorded show replays to the same state.
constexpr CommandKey table[] = {
    {27, "end the show", quit_unless_held},
    {'!', "closing-sequence variant 4", [] { demo.sequence_mode = 4; }},
    {'$', "closing-sequence variant 3", [] { demo.sequence_mode = 3; }},
    {'%', "closing-sequence variant 2", [] { demo.sequence_mode = 2; }},
    {'&', "closing-sequence variant 1, not started",
     [] {
         demo.sequence_mode = 1;
         demo.sequence_start = 1e10f;
     }},
    {'(', "depth test on/off", [] { toggle(demo.depth_test_on); }},
    {'*', "closing-sequence variant 0", [] { demo.sequence_mode = 0; }},
    {'+', "next sheet texture, anchors forward along z",
     [] {
         demo.cloth_texture = std::min(demo.cloth_texture + 1, 38);
         cloth_a.anchor_offset.z += 0.01;
         cloth_b.anchor_offset.z += 0.01;
     }},
    {',', "pulse b, half size", [] { set_pulse(demo.pulse_b_time, demo.pulse_b_size, 0.5f); }},
    {'-', "previous sheet texture, anchors back along z",
     [] {
         demo.cloth_texture = std::max(demo.cloth_texture - 1, 1);
         cloth_a.anchor_offset.z -= 0.01;
         cloth_b.anchor_offset.z -= 0.01;
     }},
    {'.', "pulse b, full size", [] { set_pulse(demo.pulse_b_time, demo.pulse_b_size, 1.0f); }},
    {'1', "pulse a, small", [] { set_pulse(demo.pulse_a_time, demo.pulse_a_size, 0.2f); }},
    {'2', "pulse a, middle size; tilts sheet A",
     [] {
         nudge(cloth_a.anchor_tilt, -0.01);
         set_pulse(demo.pulse_a_time, demo.pulse_a_size, 0.4f);
     }},
    {'3', "pulse a, large", [] { set_pulse(demo.pulse_a_time, demo.pulse_a_size, 0.6f); }},
    {'7', "sheet A anchors follow the noise on/off", [] { toggle(demo.cloth_a_auto_offset); }},
    {'8', "lattice (the sheets) on/off", [] { toggle(demo.lattice_switch); }},
    {';', "anchors home, field of view 80", clear_anchors_and_view},
    {'=', "line brightness: random flicker or travelling pulse", [] { toggle(demo.shade_switch); }},
    {'@', "start the closing sequence",
     [] {
         demo.sequence_start = demo_time;
         demo.sequence_mark = 0;
         demo.sequence_stage1 = demo.sequence_stage2 = demo.sequence_stage3 = 0;
     }},
    {'A', "turn the scene about x, +10 degrees", [] { demo.spin_x += 10; }},
    {'B', "turn the scene about x, -10 degrees", [] { demo.spin_x -= 10; }},
    {'C', "turn the scene about y, +10 degrees", [] { demo.spin_y += 10; }},
    {'D', "turn the scene about y, -10 degrees", [] { demo.spin_y -= 10; }},
    {'E', "turn the scene about z, +10 degrees", [] { demo.spin_z += 10; }},
    {'F', "turn the scene about z, -10 degrees", [] { demo.spin_z -= 10; }},
    {'G', "sheet B style 1", [] { demo.cloth_b_style = 1; }},
    {'H', "sheet B style 3", [] { demo.cloth_b_style = 3; }},
    {'I', "sheet B style 2", [] { demo.cloth_b_style = 2; }},
    {'V', "small sphere hidden/shown", [] { toggle(demo.sphere_hidden); }},
    {'Y', "move the cloud trail",
     [] {
         demo.trail_index = static_cast<int>(random_unit() * 900.0);
         demo.trail_time = demo_time;
     }},
    {'[', "swing the anchors left, field of view 35",
     [] {
         cloth_a.anchor_offset.x -= 0.02;
         nudge(cloth_a.anchor_spin, 0.1);
         cloth_b.anchor_offset.x -= 0.015;
         nudge(cloth_b.anchor_spin, -0.15);
         demo.field_of_view = 35.0f;
     }},
    {']', "swing the anchors right",
     [] {
         cloth_a.anchor_offset.x += 0.02;
         cloth_b.anchor_offset.x += 0.015;
         nudge(cloth_b.anchor_spin, 0.15);
     }},
    {'d', "burst of dots",
     [] {
         ++demo.burst_count;
         demo.burst_seed = random_next();
         demo.burst_time = now();
     }},
    {'e', "flare b",
     [] {
         demo.flare_b_time = now();
         demo.flare_b_value = random01();
     }},
    {'f', "swing sheet A right, spin both sheets",
     [] {
         nudge(cloth_a.anchor_spin, 0.015);
         cloth_a.anchor_offset.x += 0.02;
         nudge(cloth_b.anchor_spin, 0.15);
     }},
    {unlock_step2_key, nullptr, unlock_step2},
    {'h', "tilt and spin sheet B, pulse e, field of view 55",
     [] {
         nudge(cloth_b.anchor_tilt, -0.01);
         nudge(cloth_b.anchor_spin, -0.02);
         demo.pulse_e_time = now();
         demo.field_of_view = 55.0f;
     }},
    {unlock_step3_key, nullptr, unlock_step3},
    {'n', "spin and tilt both sheets",
     [] {
         nudge(cloth_a.anchor_spin, 0.02);
         nudge(cloth_a.anchor_tilt, 0.04);
         nudge(cloth_b.anchor_spin, 0.02);
         nudge(cloth_b.anchor_tilt, 0.02);
     }},
    {unlock_step4_key, nullptr, unlock_step4},
    {'p', "sheets as lines or textured", [] { toggle(demo.cloth_draw_flag); }},
    {'q', "end the show", quit_unless_held},
    {'r', "flare a",
     [] {
         demo.flare_a_time = now();
         demo.flare_a_value = random01();
     }},
    {'s', "pulse c", [] { set_pulse(demo.pulse_c_time, demo.pulse_c_size, 0.2f); }},
    {'t', "pulse d", [] { set_pulse(demo.pulse_d_time, demo.pulse_d_size, 0.2f); }},
    {'u', "sheet B anchors follow the noise on/off", [] { toggle(demo.cloth_b_auto_offset); }},
    {unlock_step5_key, nullptr, unlock_step5},
    {'x', "release the tips of sheet A, anchors home, field of view 80",
     [] {
         pin_last_row(cloth_a, false);
         clear_anchors_and_view();
     }},
    {'y', "tilt sheet A", [] { nudge(cloth_a.anchor_tilt, -0.01); }},
    {'z', "pin the tips of sheet A, field of view 65",
     [] {
         pin_last_row(cloth_a, true);
         demo.field_of_view = 65.0f;
     }},
};

// Key code to table row, built once from the table.
struct KeyIndex {
    const CommandKey* row[123] = {};
    constexpr KeyIndex() {
        for (const CommandKey& c : table) row[c.key] = &c;
    }
};
constexpr KeyIndex key_index;
}  // namespace

void hold_exit_commands(bool held) { exit_commands_held = held; }

void quit_show() {
    std::fflush(stdout);
    std::exit(0);
}

std::span<const CommandKey> command_keys() { return table; }

const CommandKey* find_command_key(int key) { return key >= 0 && key <= 122 ? key_index.row[key] : nullptr; }

bool key_has_command(int key) { return key >= 27 && find_command_key(key) != nullptr; }

void run_command(int index) {
    if (const CommandKey* c = find_command_key(index + 27)) c->action();
}
