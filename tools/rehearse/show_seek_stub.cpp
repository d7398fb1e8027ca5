// show_seek_stub.cpp: STAND-IN for show_seek until the show's own stepping
// without drawing exists; delete this file when that lands (the real
// show_seek lives with the frame loop).
//
// It resets what the show's reset functions reset, rebuilds the sheets and the
// cloud as start-up does, and then draws every frame on the way in full: right
// but slow (tens of milliseconds a frame on a machine without a GPU). The
// rehearsal puts the storyboard records back unfired before it calls this.
#include <cmath>

#include "app/demo_state.h"
#include "app/frame.h"
#include "app/random.h"
#include "audio/music.h"
#include "physics/cloth.h"
#include "physics/cloud.h"
#include "scenes/captions.h"
#include "scenes/timeline.h"
#include "show_seek.h"
#include "text/credits.h"

void show_seek(double seconds, double rate, unsigned seed, void (*set_clock)(double seconds)) {
    // The sheets as static initialisation builds them, from the generator's
    // first state, then the cloud as start-up fills it.
    random_seed(1);
    cloth_a = build_sheet(120.0f, 3.1f, 9.3f);
    cloth_b = build_sheet(120.0f, 3.1f, 9.3f);
    random_seed(seed);
    init_cloud();
    reset_demo_state();
    reset_timeline();
    reset_trail_counter();
    ticker_index = 0;
    sequence_wait = 0;
    for (int i = 0; i < 3; ++i) panel_offset[i] = panel_angles[i] = 0;
    grid_frames = grid_columns = grid_full = grid_shift = 0;
    credits_scroll = 0;
    credits_last_position = 2.0f;
    credits_offset = 0;
    music_seconds_now = music_seconds_prev = 0;
    frame_step = 0;
    demo_time = 0;
    demo_time_d = 0;
    for (long k = 0; static_cast<double>(k) / rate < seconds; ++k) {
        set_clock(static_cast<double>(k) / rate);
        draw_frame();
    }
}
