// The live player against real time. ctest runs it with SDL's dummy output
// (positions come from the audio callback) and with a driver that doesn't
// exist (every stream keeps time on the wall clock).

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "audio/music.h"
#include "audio_fixture.h"

namespace {

using std::chrono::steady_clock;

double seconds_since(steady_clock::time_point t) {
    return std::chrono::duration<double>(steady_clock::now() - t).count();
}

void sleep_seconds(double s) { std::this_thread::sleep_for(std::chrono::duration<double>(s)); }

bool dummy_output() {
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    return driver && std::string(driver) == "dummy";
}

// Initialises once for the whole program; what it printed.
const std::string& init_output() {
    static const std::string printed = [] {
        testing::internal::CaptureStderr();
        bool ok = music_init();
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(ok) << "the player works, with or without a device";
        music_start();
        return err;
    }();
    return printed;
}

}  // namespace

TEST(LivePlayer, SaysOnceWhenThereIsNoDevice) {
    const std::string& err = init_output();
    if (dummy_output()) {
        EXPECT_EQ(err, "");
    } else {
        EXPECT_EQ(err.rfind("tangle: audio device", 0), 0u) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
}

TEST(LivePlayer, PositionGrowsSmoothlyWithRealTime) {
    init_output();
    if (!lame_available()) GTEST_SKIP() << "the lame encoder is not installed";
    std::string mp3 = make_tone_mp3("live", 44100, 2, 3.0);
    ASSERT_NE(mp3, "");
    StreamHandle s = music_open(mp3.c_str(), false);
    ASSERT_NE(s, 0u);
    music_play(s);
    auto start = steady_clock::now();
    double last = 0;
    int readings = 0, changes = 0;
    while (seconds_since(start) < 1.0) {
        double p = stream_seconds(s);
        ASSERT_GE(p, last) << "the position never goes back";
        changes += p > last;
        ++readings;
        last = p;
        sleep_seconds(0.001);
    }
    // Callbacks come about 43 times a second; readings in between move too.
    if (readings > 150) {
        EXPECT_GT(changes, readings / 2) << readings << " readings";
    }
    // Roughly real time; a busy machine may delay the callbacks a little.
    double elapsed = seconds_since(start);
    EXPECT_GT(last, 0.6 * elapsed);
    EXPECT_LT(last, elapsed + 0.1);

    // Stopped, it stands; played again, it goes on from there.
    music_stop_all();
    double stood = stream_seconds(s);
    EXPECT_NEAR(stood, last, 0.1);
    sleep_seconds(0.2);
    EXPECT_EQ(stream_seconds(s), stood);
    music_start();
    music_play(s);
    auto resumed = steady_clock::now();
    sleep_seconds(0.4);
    double moved = stream_seconds(s) - stood;
    EXPECT_GT(moved, 0.6 * seconds_since(resumed) - 0.05);
    EXPECT_LT(moved, seconds_since(resumed) + 0.1);
    music_stop_all();
    music_free(s);
}

TEST(LivePlayer, MissingFileKeepsTimeOnTheWallClock) {
    init_output();
    testing::internal::CaptureStderr();
    StreamHandle s = music_open("no such music.mp3", true);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("tangle: no such music.mp3", 0), 0u) << err;
    music_start();
    music_play(s);
    auto start = steady_clock::now();
    sleep_seconds(0.3);
    EXPECT_NEAR(stream_seconds(s), seconds_since(start), 0.05);
    music_stop_all();
    double stood = stream_seconds(s);
    sleep_seconds(0.1);
    EXPECT_EQ(stream_seconds(s), stood);
    music_free(s);
}

// A track cut short: the position carries on past the cut on real time, and
// the player says once where the music ended.
TEST(LivePlayer, TrackCutShortKeepsTimeAndSaysSoOnce) {
    init_output();
    if (!lame_available()) GTEST_SKIP() << "the lame encoder is not installed";
    std::string cut = truncated_copy(make_tone_mp3("livelong", 44100, 2, 3.0), "livecut", 2400);
    ASSERT_NE(cut, "");
    testing::internal::CaptureStderr();
    StreamHandle s = music_open(cut.c_str(), false);
    music_start();
    music_play(s);
    auto start = steady_clock::now();
    sleep_seconds(0.9);
    double p = stream_seconds(s);
    EXPECT_GT(p, 0.6 * seconds_since(start)) << "the clock stopped at the cut";
    EXPECT_LT(p, seconds_since(start) + 0.1);
    stream_seconds(s);
    std::string err = testing::internal::GetCapturedStderr();
    if (dummy_output()) {
        EXPECT_EQ(err.rfind("tangle: " + cut + ": the music ends at 0.", 0), 0u) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
    music_stop_all();
    music_free(s);
}

// Whatever ends the process (the escape command, a stop signal), the output
// must be closed, and SDL's audio thread gone, before any static storage the
// mixer uses is destroyed. A static built before the player opens its output
// is destroyed after everything the player built: its destructor sees
// whether the output is still running.
struct OutputWitness {
    ~OutputWitness() {
        if (SDL_GetAudioStatus() != SDL_AUDIO_STOPPED) {
            std::fputs("the audio output still runs while static storage is destroyed\n", stderr);
            std::_Exit(3);
        }
    }
};

TEST(LivePlayer, ProcessExitClosesTheOutputBeforeStaticStorageGoes) {
    if (!dummy_output()) GTEST_SKIP() << "needs an output device";
    if (!lame_available()) GTEST_SKIP() << "the lame encoder is not installed";
    std::string mp3 = make_tone_mp3("exit", 44100, 2, 2.0);
    ASSERT_NE(mp3, "");
    // A fresh process: this one's player may already be open.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            static OutputWitness witness;
            music_init();
            music_start();
            StreamHandle s = music_open(mp3.c_str(), true);
            music_play(s);
            sleep_seconds(0.2);  // the callback is mixing
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
}
