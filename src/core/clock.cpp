// clock.cpp: storage of the demo clock and the frame step.
#include "core/clock.h"

ClockState show_clock;

float compute_frame_step(float seconds_now, float seconds_prev) {
    float moved = seconds_now - seconds_prev;
    float step = static_cast<float>(static_cast<double>(moved) / static_cast<double>(0.0333f));
    return step == 0.0f ? 1.0f : step;
}

void reset_clock() { show_clock = ClockState{}; }
