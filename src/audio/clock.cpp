// clock.cpp: the show's three music streams and the demo clock read from them.
//
// Depends on music.h's player functions (whichever player is linked). The
// main stream is the clock: demo_time is its position in tenths of a second,
// set once per frame. A switch to the finale or the hidden music stops the
// main stream for good, so demo_time stands still from then on.

#include "audio/music.h"

namespace {

const char* const finale_file = "Vextor - Quorrel Dream.mp3";
const char* const hidden_file = "Vextor - Lumbrosa6.mp3";

}  // namespace

StreamHandle main_stream = 0;
StreamHandle finale_stream = 0;
StreamHandle hidden_stream = 0;

double stream_seconds(StreamHandle stream) {
    return music_bytes_to_seconds(stream, music_position_bytes(stream));
}

void music_setup() {
    if (music_init()) {
        music_start();
        music_free(main_stream);
        main_stream = music_open(main_music_file, false);
    }
    music_free(finale_stream);
    finale_stream = music_open(finale_file, true);
    music_free(hidden_stream);
    hidden_stream = music_open(hidden_file, true);
    music_play(main_stream);
}

void music_switch_to(StreamHandle stream) {
    music_stop_all();
    music_start();
    music_play(stream);
}

void update_demo_clock() {
    float s = static_cast<float>(stream_seconds(main_stream));
    demo_time = static_cast<float>(static_cast<double>(s) * 10.0);
    demo_time_d = demo_time;
}
