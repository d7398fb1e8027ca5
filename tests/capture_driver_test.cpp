// The frame driver: presses land on the right frame; the finale switch moves the clocks.
#include <cstdlib>

#include <gtest/gtest.h>

#include "app/frame.h"
#include "audio/music.h"
#include "core/demo_state.h"
#include "driver.h"

namespace {

class Driver : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        DriverOptions o;
        const char* src = std::getenv("TANGLE_SOURCE_DIR");
        o.data_dir = std::string(src ? src : "..") + "/data";
        o.fps = 10;
        o.seed = 5;
        o.storyboard = "/dev/null";
        driver_start(o);
    }
};

}  // namespace

TEST_F(Driver, PressReachesTheCommandOnItsFrame) {
    // "A" turns the scene 10 degrees about x; pressed at 0.5 s it is seen by frame 5 (0.5 s at 10 fps).
    driver_queue_press(0.5, 'A');
    for (long k = 0; k < 5; k++) {
        driver_run_frame(k);
        EXPECT_EQ(demo.spin_x, 0.0f) << "frame " << k;
    }
    driver_run_frame(5);
    EXPECT_EQ(demo.spin_x, 10.0f);
}

TEST_F(Driver, FrameStepFollowsTheDriverClock) {
    // At 10 frames per second each frame moves the music by 0.1 s: three nominal steps.
    driver_run_frame(6);
    EXPECT_NEAR(frame_step, 0.1 / 0.0333, 1e-3);
    EXPECT_NEAR(music_seconds_now, 0.6, 1e-6);
}

TEST_F(Driver, FinaleSwitchFreezesTheDemoClockAndStartsTheFinaleStream) {
    long k = 7;
    // Jump close to the switch (the frames in between are still drawn, two per second).
    const double fps = 10;
    while (demo_time <= 1810 && k < 2000) {
        driver_run_frame(k);
        k += (k / fps < 178) ? 5 : 1;
    }
    ASSERT_GT(demo_time, 1810) << "the main music must run past 181 s";
    // The switch happens on the frame after demo_time passes 1810.
    driver_run_frame(k++);
    float frozen = demo_time;
    double finale_before = stream_seconds(finale_stream);
    for (int i = 0; i < 10; i++) driver_run_frame(k++);
    EXPECT_EQ(demo_time, frozen);
    EXPECT_EQ(frame_step, 1.0f);
    EXPECT_NEAR(stream_seconds(finale_stream) - finale_before, 1.0, 0.05);
}
