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

#include "app/demo_state.h"
#include "app/random.h"
#include "audio/music.h"
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
    field_of_view = 80.0f;
}

void set_pulse(float& time, float& size, float new_size) {
    time = now();
    size = new_size;
}

void unlock_step2() {
    if (unlock_flag_1) unlock_flag_2 = 1;
    nudge(cloth_a.anchor_spin, 0.1);
    nudge(cloth_b.anchor_spin, 0.15);
    field_of_view = 88.0f;
    if (unlock_flag_1 && unlock_flag_2 && unlock_flag_3 && unlock_flag_4 && unlock_flag_5) hidden_part_on = 1;
}

void unlock_step3() {
    if (unlock_flag_1 && unlock_flag_2) unlock_flag_3 = 1;
    set_pulse(pulse_b_time, pulse_b_size, 0.2f);
}

void unlock_step4() {
    if (unlock_flag_1 && unlock_flag_2 && unlock_flag_3) unlock_flag_4 = 1;
    cloth_texture = 2;
}

void unlock_step5() {
    if (unlock_flag_1 && unlock_flag_2 && unlock_flag_3 && unlock_flag_4) unlock_flag_5 = 1;
    cloth_b_style = 0;
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
            sequence_mode = 4;
            break;
        case '$':
            sequence_mode = 3;
            break;
        case '%':
            sequence_mode = 2;
            break;
        case '&':
            sequence_mode = 1;
            sequence_start = 1e10f;
            break;
        case '(':
            toggle(depth_test_on);
            break;
        case '*':
            sequence_mode = 0;
            break;
        case '+':
            cloth_texture = std::min(cloth_texture + 1, 38);
            a.anchor_offset.z += 0.01;
            b.anchor_offset.z += 0.01;
            break;
        case ',':
            set_pulse(pulse_b_time, pulse_b_size, 0.5f);
            break;
        case '-':
            cloth_texture = std::max(cloth_texture - 1, 1);
            a.anchor_offset.z -= 0.01;
            b.anchor_offset.z -= 0.01;
            break;
        case '.':
            set_pulse(pulse_b_time, pulse_b_size, 1.0f);
            break;
        case '1':
            set_pulse(pulse_a_time, pulse_a_size, 0.2f);
            break;
        case '2':
            nudge(a.anchor_tilt, -0.01);
            set_pulse(pulse_a_time, pulse_a_size, 0.4f);
            break;
        case '3':
            set_pulse(pulse_a_time, pulse_a_size, 0.6f);
            break;
        case '7':
            toggle(cloth_a_auto_offset);
            break;
        case '8':
            toggle(lattice_switch);
            break;
        case ';':
            clear_anchors_and_view();
            break;
        case '=':
            toggle(shade_switch);
            break;
        case '@':
            sequence_start = demo_time;
            sequence_mark = 0;
            sequence_stage1 = sequence_stage2 = sequence_stage3 = 0;
            break;
        case 'A':
            spin_x += 10;
            break;
        case 'B':
            spin_x -= 10;
            break;
        case 'C':
            spin_y += 10;
            break;
        case 'D':
            spin_y -= 10;
            break;
        case 'E':
            spin_z += 10;
            break;
        case 'F':
            spin_z -= 10;
            break;
        case 'G':
            cloth_b_style = 1;
            break;
        case 'H':
            cloth_b_style = 3;
            break;
        case 'I':
            cloth_b_style = 2;
            break;
        case 'V':
            toggle(sphere_hidden);
            break;
        case 'Y':
            trail_index = static_cast<int>(random_next() / 32767.0 * 900.0);
            trail_time = demo_time;
            break;
        case '[':
            a.anchor_offset.x -= 0.02;
            nudge(a.anchor_spin, 0.1);
            b.anchor_offset.x -= 0.015;
            nudge(b.anchor_spin, -0.15);
            field_of_view = 35.0f;
            break;
        case ']':
            a.anchor_offset.x += 0.02;
            b.anchor_offset.x += 0.015;
            nudge(b.anchor_spin, 0.15);
            break;
        case 'd':
            ++burst_count;
            burst_seed = random_next();
            burst_time = now();
            break;
        case 'e':
            flare_b_time = now();
            flare_b_value = random01();
            break;
        case 'f':
            nudge(a.anchor_spin, 0.015);
            a.anchor_offset.x += 0.02;
            nudge(b.anchor_spin, 0.15);
            break;
        case 'h':
            nudge(b.anchor_tilt, -0.01);
            nudge(b.anchor_spin, -0.02);
            pulse_e_time = now();
            field_of_view = 55.0f;
            break;
        case 'n':
            nudge(a.anchor_spin, 0.02);
            nudge(a.anchor_tilt, 0.04);
            nudge(b.anchor_spin, 0.02);
            nudge(b.anchor_tilt, 0.02);
            break;
        case 'p':
            toggle(cloth_draw_flag);
            break;
        case 'q':
            if (!exit_commands_held) quit_show();
            break;
        case 'r':
            flare_a_time = now();
            flare_a_value = random01();
            break;
        case 's':
            set_pulse(pulse_c_time, pulse_c_size, 0.2f);
            break;
        case 't':
            set_pulse(pulse_d_time, pulse_d_size, 0.2f);
            break;
        case 'u':
            toggle(cloth_b_auto_offset);
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
            field_of_view = 65.0f;
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
