// seek.cpp: resetting the show and running it to a moment.
#include "app/seek.h"

#include <algorithm>
#include <cmath>

#include "app/frame.h"
#include "audio/music.h"
#include "core/demo_state.h"
#include "core/random.h"
#include "physics/cloth.h"
#include "physics/cloud.h"
#include "scenes/captions.h"
#include "scenes/hidden.h"
#include "scenes/matrix_stack.h"
#include "scenes/timeline.h"
#include "sync/storyboard.h"
#include "text/credits.h"

namespace {
double held_at = 0;  // where step_held_music last put the music
}  // namespace

void hold_music_at_start() {
    music_hold(true);
    music_stop_all();
    for (StreamHandle s : {main_stream, finale_stream, hidden_stream}) music_seek(s, 0);
    music_play(main_stream);
    held_at = 0;
}

void step_held_music(double seconds) {
    if (seconds > held_at) music_hold_advance(seconds - held_at);
    held_at = std::max(held_at, seconds);
}

void reset_show(unsigned seed) {
    // The sheets draw from the generator in its first state, as at static
    // initialisation; then the seed and the cloud, as at start-up.
    rebuild_sheets();
    random_seed(seed);
    init_cloud();
    reset_demo_state();
    reset_clock();
    // The attribute save the last drawn frame left is still on GL's stack, so
    // the timeline keeps knowing it is there.
    const int saved = attrib_saved;
    reset_timeline();
    attrib_saved = saved;
    reset_trail_counter();
    reset_captions();
    reset_end_credits();
    reset_hidden_part();
    rewind_storyboard();
    unwind_modelview_stack();
    unwind_projection_stack();
}

void show_seek(double seconds, double rate, unsigned seed, void (*set_clock)(double seconds)) {
    reset_show(seed);
    const long target = static_cast<long>(std::ceil(seconds * rate));
    for (long k = 0; k < target; k++) {
        set_clock(static_cast<double>(k) / rate);
        if (frame_needs_drawing(k, target))
            draw_frame();
        else
            step_frame();
    }
}
