// commands.cpp: what each command key does.
//
// Commands only set demo-state variables and the sheets' anchor fields; they
// never draw and read the clock only to stamp trigger times. Arithmetic on the
// anchors is done in double and stored back in each field's own width.
#include "sync/commands.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/clock.h"
#include "core/demo_state.h"
#include "core/random.h"
#include "physics/cloth.h"

namespace {
// The hidden part's code: steps 2 to 5 of the unlock chain (step 1 is the
// timeline's). Kept out of every document on purpose.
constexpr int unlock_step2_key = 'g';  // also completes the chain
constexpr int unlock_step3_key = 'l';
constexpr int unlock_step4_key = 'o';
constexpr int unlock_step5_key = 'w';

constexpr char table_keys[] = "\x1b!$%&(*+,-.12378;=@ABCDEFGHIVY[]defhnpqrstuxyz";

// Trigger times are stamped from the double clock, rounded to float.
float now() { return static_cast<float>(demo_time_d); }

float random01() { return static_cast<float>(random_next() / 32767.0); }

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
}  // namespace

namespace {
bool exit_commands_held = false;
}  // namespace

void hold_exit_commands(bool held) { exit_commands_held = held; }

void quit_show() {
    std::fflush(stdout);
    std::exit(0);
}

bool key_has_command(int key) {
    if (key < 27 || key > 122) return false;
    if (key == unlock_step2_key || key == unlock_step3_key || key == unlock_step4_key ||
        key == unlock_step5_key)
        return true;
    return std::memchr(table_keys, key, sizeof table_keys - 1) != nullptr;
}

void run_command(int index) {
    ClothSheet& a = cloth_a;
    ClothSheet& b = cloth_b;
    switch (index + 27) {
        case 27:
            if (!exit_commands_held) quit_show();
            break;
        case '!':
            demo.sequence_mode = 4;
            break;
        case '$':
            demo.sequence_mode = 3;
            break;
        case '%':
            demo.sequence_mode = 2;
            break;
        case '&':
            demo.sequence_mode = 1;
            demo.sequence_start = 1e10f;
            break;
        case '(':
            toggle(demo.depth_test_on);
            break;
        case '*':
            demo.sequence_mode = 0;
            break;
        case '+':
            demo.cloth_texture = std::min(demo.cloth_texture + 1, 38);
            a.anchor_offset.z += 0.01;
            b.anchor_offset.z += 0.01;
            break;
        case ',':
            set_pulse(demo.pulse_b_time, demo.pulse_b_size, 0.5f);
            break;
        case '-':
            demo.cloth_texture = std::max(demo.cloth_texture - 1, 1);
            a.anchor_offset.z -= 0.01;
            b.anchor_offset.z -= 0.01;
            break;
        case '.':
            set_pulse(demo.pulse_b_time, demo.pulse_b_size, 1.0f);
            break;
        case '1':
            set_pulse(demo.pulse_a_time, demo.pulse_a_size, 0.2f);
            break;
        case '2':
            nudge(a.anchor_tilt, -0.01);
            set_pulse(demo.pulse_a_time, demo.pulse_a_size, 0.4f);
            break;
        case '3':
            set_pulse(demo.pulse_a_time, demo.pulse_a_size, 0.6f);
            break;
        case '7':
            toggle(demo.cloth_a_auto_offset);
            break;
        case '8':
            toggle(demo.lattice_switch);
            break;
        case ';':
            clear_anchors_and_view();
            break;
        case '=':
            toggle(demo.shade_switch);
            break;
        case '@':
            demo.sequence_start = demo_time;
            demo.sequence_mark = 0;
            demo.sequence_stage1 = demo.sequence_stage2 = demo.sequence_stage3 = 0;
            break;
        case 'A':
            demo.spin_x += 10;
            break;
        case 'B':
            demo.spin_x -= 10;
            break;
        case 'C':
            demo.spin_y += 10;
            break;
        case 'D':
            demo.spin_y -= 10;
            break;
        case 'E':
            demo.spin_z += 10;
            break;
        case 'F':
            demo.spin_z -= 10;
            break;
        case 'G':
            demo.cloth_b_style = 1;
            break;
        case 'H':
            demo.cloth_b_style = 3;
            break;
        case 'I':
            demo.cloth_b_style = 2;
            break;
        case 'V':
            toggle(demo.sphere_hidden);
            break;
        case 'Y':
            demo.trail_index = static_cast<int>(random_next() / 32767.0 * 900.0);
            demo.trail_time = demo_time;
            break;
        case '[':
            a.anchor_offset.x -= 0.02;
            nudge(a.anchor_spin, 0.1);
            b.anchor_offset.x -= 0.015;
            nudge(b.anchor_spin, -0.15);
            demo.field_of_view = 35.0f;
            break;
        case ']':
            a.anchor_offset.x += 0.02;
            b.anchor_offset.x += 0.015;
            nudge(b.anchor_spin, 0.15);
            break;
        case 'd':
            ++demo.burst_count;
            demo.burst_seed = random_next();
            demo.burst_time = now();
            break;
        case 'e':
            demo.flare_b_time = now();
            demo.flare_b_value = random01();
            break;
        case 'f':
            nudge(a.anchor_spin, 0.015);
            a.anchor_offset.x += 0.02;
            nudge(b.anchor_spin, 0.15);
            break;
        case 'h':
            nudge(b.anchor_tilt, -0.01);
            nudge(b.anchor_spin, -0.02);
            demo.pulse_e_time = now();
            demo.field_of_view = 55.0f;
            break;
        case 'n':
            nudge(a.anchor_spin, 0.02);
            nudge(a.anchor_tilt, 0.04);
            nudge(b.anchor_spin, 0.02);
            nudge(b.anchor_tilt, 0.02);
            break;
        case 'p':
            toggle(demo.cloth_draw_flag);
            break;
        case 'q':
            if (!exit_commands_held) quit_show();
            break;
        case 'r':
            demo.flare_a_time = now();
            demo.flare_a_value = random01();
            break;
        case 's':
            set_pulse(demo.pulse_c_time, demo.pulse_c_size, 0.2f);
            break;
        case 't':
            set_pulse(demo.pulse_d_time, demo.pulse_d_size, 0.2f);
            break;
        case 'u':
            toggle(demo.cloth_b_auto_offset);
            break;
        case 'x':
            pin_last_row(a, false);
            clear_anchors_and_view();
            break;
        case 'y':
            nudge(a.anchor_tilt, -0.01);
            break;
        case 'z':
            pin_last_row(a, true);
            demo.field_of_view = 65.0f;
            break;
        case unlock_step2_key:
            unlock_step2();
            break;
        case unlock_step3_key:
            unlock_step3();
            break;
        case unlock_step4_key:
            unlock_step4();
            break;
        case unlock_step5_key:
            unlock_step5();
            break;
        default:
            break;
    }
}
