// clock.cpp: storage of the demo clock and the frame step.
#include "core/clock.h"

float demo_time = 0;
double demo_time_d = 0;
float music_seconds_now = 0;
float music_seconds_prev = 0;
float frame_step = 0;

float compute_frame_step(float seconds_now, float seconds_prev) {
    float moved = seconds_now - seconds_prev;
    float step = static_cast<float>(static_cast<double>(moved) / static_cast<double>(0.0333f));
    return step == 0.0f ? 1.0f : step;
}

void reset_clock() {
    demo_time = 0;
    demo_time_d = 0;
    music_seconds_now = music_seconds_prev = 0;
    frame_step = 0;
}
