// The finale through the frame driver: the switch strictly after T 1810, the
// frozen clock after it, and the first unlock step for those who stay.
#include <cstdlib>

#include <gtest/gtest.h>

#include <string>

#include "app/frame.h"
#include "audio/music.h"
#include "core/demo_state.h"
#include "driver.h"
#include "scenes/timeline.h"

TEST(Finale, SwitchesStrictlyAfter1810AndThenTheClockStandsStill) {
    DriverOptions options;
    const char* source = std::getenv("TANGLE_SOURCE_DIR");
    options.data_dir = std::string(source ? source : "..") + "/data";
    options.fps = 1;  // frame k reads the music at k s, so its update sets T = 10 k
    options.seed = 4;
    options.storyboard = "/dev/null";
    driver_start(options);
    for (long k = 0; k <= 181; ++k) driver_run_frame(k);
    ASSERT_EQ(demo_time, 1810.0f) << "the main music must run past 181 s";
    driver_run_frame(181);  // the timeline sees T = 1810 exactly
    EXPECT_EQ(finale_started, 0);
    driver_run_frame(182);  // still 1810; this frame's update moves T on
    EXPECT_EQ(finale_started, 0);
    EXPECT_EQ(demo_time, 1820.0f);
    driver_run_frame(183);  // sees 1820: the music switches
    EXPECT_EQ(finale_started, 1);
    EXPECT_EQ(demo.unlock_flag_1, 0);
    float frozen = demo_time;
    double finale_at = stream_seconds(finale_stream);
    for (long k = 184; k < 190; ++k) {
        driver_run_frame(k);
        EXPECT_EQ(demo_time, frozen);
        EXPECT_EQ(frame_step, 1.0f);
    }
    EXPECT_EQ(demo.unlock_flag_1, 1);
    EXPECT_GT(stream_seconds(finale_stream), finale_at);
}
