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

void sleep_seconds(double s) { std::this_thread::sleep_for(std::chrono::duration<double>(s)); }

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
        music_seek(s, target);
        double p = stream_seconds(s);
        EXPECT_GE(p, target - one_buffer) << target;
        EXPECT_LE(p, target + one_buffer) << target;
        sleep_seconds(0.3);
        EXPECT_NEAR(stream_seconds(s), target + 0.3, 0.15) << "plays on from " << target;
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
    music_hold(false);
    double p = stream_seconds(s);
    EXPECT_GE(p, 3.0 - one_buffer);
    EXPECT_LE(p, 3.0 + one_buffer);
    sleep_seconds(0.3);
    EXPECT_NEAR(stream_seconds(s), 3.3, 0.15);
    music_stop_all();
    music_free(s);
}
