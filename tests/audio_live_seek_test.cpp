// The live player's jumps and holds against real time. ctest runs it with
// SDL's dummy output (decoded streams, positions from the audio callback)
// and with no output device (every stream on the wall clock).

#include <chrono>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "audio/music.h"
#include "audio_fixture.h"

namespace {

constexpr double one_buffer = 1024.0 / 44100;  // the output's block

// Sleeps about `s` seconds; returns how long it really slept.
double sleep_seconds(double s) {
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(s));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs `jump` (which puts `s` at `target`) and reads the position at once:
// within one output block of the target, plus whatever time the reading took
// (a busy machine may stop this thread for a while).
template <class Jump>
void expect_lands(StreamHandle s, double target, Jump jump) {
    const auto start = std::chrono::steady_clock::now();
    jump();
    const double p = stream_seconds(s);
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(p, target - one_buffer) << target;
    EXPECT_LE(p, target + one_buffer + took) << target;
}

// Played on from `from` for `slept` seconds: moving, and never ahead of real
// time (on a busy machine the output's thread may run late, so not how far).
void expect_played_on(StreamHandle s, double from, double slept) {
    const double p = stream_seconds(s);
    EXPECT_GT(p, from) << "from " << from;
    EXPECT_LT(p, from + slept + one_buffer) << "from " << from;
}

}  // namespace

TEST(LivePlayerSeek, JumpsHoldsAndPausesKeepThePosition) {
    if (!lame_available()) GTEST_SKIP() << "the lame encoder is not installed";
    std::string mp3 = make_tone_mp3("liveseek", 44100, 2, 8.0);
    ASSERT_NE(mp3, "");
    testing::internal::CaptureStderr();
    ASSERT_TRUE(music_init());
    testing::internal::GetCapturedStderr();
    music_start();
    StreamHandle s = music_open(mp3.c_str(), false);
    music_play(s);
    sleep_seconds(0.2);

    // Forward and back while playing: the position follows at once.
    for (double target : {5.0, 1.0}) {
        expect_lands(s, target, [&] { music_seek(s, target); });
        expect_played_on(s, target, sleep_seconds(0.3));
    }

    // Held (a pause, or stepping): it stands, moves only when told, and a
    // jump while held lands exactly.
    music_hold(true);
    const double stood = stream_seconds(s);
    sleep_seconds(0.2);
    EXPECT_EQ(stream_seconds(s), stood);
    for (int k = 0; k < 30; ++k) music_hold_advance(1.0 / 60);
    EXPECT_NEAR(stream_seconds(s), stood + 0.5, 1.0 / 44100);
    music_seek(s, 3.0);
    EXPECT_DOUBLE_EQ(stream_seconds(s), 3.0);

    // Released, it plays on from where it was held.
    expect_lands(s, 3.0, [] { music_hold(false); });
    expect_played_on(s, 3.0, sleep_seconds(0.3));
    music_stop_all();
    music_free(s);
}
