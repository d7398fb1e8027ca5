// clock.h: the demo clock and the frame step, shared by every subsystem.
//
// The music player sets demo_time from the main stream once per frame (the
// update); the frame loop reads the main stream at the start of each frame and
// derives frame_step from the change. Scenes see the previous frame's update.
// One block, `show_clock`, so the show's state can be kept and put back as a
// value; the names below are the block's fields under the names every
// subsystem reads. Plain values, no dependencies.
#pragma once

struct ClockState {
    float demo_time = 0;           // main stream seconds x 10
    double demo_time_d = 0;        // its double copy; commands stamp times from it
    float music_seconds_now = 0;   // main stream seconds read at the start of this frame
    float music_seconds_prev = 0;  // the same, previous frame
    float frame_step = 0;          // 1.0 per 0.0333 s of music since the previous frame
    bool operator==(const ClockState&) const = default;
};

extern ClockState show_clock;

inline float& demo_time = show_clock.demo_time;
inline double& demo_time_d = show_clock.demo_time_d;
inline float& music_seconds_now = show_clock.music_seconds_now;
inline float& music_seconds_prev = show_clock.music_seconds_prev;
inline float& frame_step = show_clock.frame_step;

// frame_step from two consecutive positions: the float quotient by 0.0333f,
// exactly 1 when it comes out 0.
float compute_frame_step(float seconds_now, float seconds_prev);

// Every value above back to its start.
void reset_clock();
