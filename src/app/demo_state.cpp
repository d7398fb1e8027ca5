// demo_state.cpp: storage and initial values of the shared demo state.
#include "app/demo_state.h"

float field_of_view = 88.0f;
float spin_x = 0, spin_y = 0, spin_z = 0;
int depth_test_on = 1;
int cloth_draw_flag = 0;
int cloth_b_style = 3;
int cloth_texture = 1;
int cloth_a_auto_offset = 0, cloth_b_auto_offset = 0;
int shade_switch = 0;
int sphere_hidden = 0;
int lattice_switch = 0;

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

int sequence_mode = 0;
float sequence_start = 1e10f;
float sequence_mark = 0;
int sequence_stage1 = 0, sequence_stage2 = 0, sequence_stage3 = 0;

int unlock_flag_1 = 0, unlock_flag_2 = 0, unlock_flag_3 = 0, unlock_flag_4 = 0, unlock_flag_5 = 0;
int hidden_part_on = 0;

void reset_demo_state() {
    field_of_view = 88.0f;
    spin_x = spin_y = spin_z = 0;
    depth_test_on = 1;
    cloth_draw_flag = 0;
    cloth_b_style = 3;
    cloth_texture = 1;
    cloth_a_auto_offset = cloth_b_auto_offset = 0;
    shade_switch = 0;
    sphere_hidden = 0;
    lattice_switch = 0;
    pulse_a_time = 0, pulse_a_size = 1.0f;
    pulse_b_time = 0, pulse_b_size = 1.0f;
    pulse_c_time = 0, pulse_c_size = 1.0f;
    pulse_d_time = 22275.5f, pulse_d_size = 1.0f;
    pulse_e_time = 0;
    flare_a_time = 0, flare_a_value = 35.0f;
    flare_b_time = 0, flare_b_value = 35.0f;
    burst_time = 0;
    burst_seed = 800, burst_count = 0;
    trail_index = 0;
    trail_time = -1.0f;
    sequence_mode = 0;
    sequence_start = 1e10f;
    sequence_mark = 0;
    sequence_stage1 = sequence_stage2 = sequence_stage3 = 0;
    unlock_flag_1 = unlock_flag_2 = unlock_flag_3 = unlock_flag_4 = unlock_flag_5 = 0;
    hidden_part_on = 0;
}
