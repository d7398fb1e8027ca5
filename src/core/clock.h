// clock.h: the demo clock and the frame step, shared by every subsystem.
//
// The music player sets demo_time from the main stream once per frame (the
// update); the frame loop reads the main stream at the start of each frame and
// derives frame_step from the change. Scenes see the previous frame's update.
// Plain values, no dependencies.
#pragma once

extern float demo_time;     // main stream seconds x 10
extern double demo_time_d;  // its double copy; commands stamp times from it

extern float music_seconds_now;   // main stream seconds read at the start of this frame
extern float music_seconds_prev;  // the same, previous frame
extern float frame_step;          // 1.0 per 0.0333 s of music since the previous frame

// frame_step from two consecutive positions: the float quotient by 0.0333f,
// exactly 1 when it comes out 0.
float compute_frame_step(float seconds_now, float seconds_prev);

// Every value above back to its start.
void reset_clock();
