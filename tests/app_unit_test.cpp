// The frame clock and the clear colour, without a GL context.
#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "app/frame.h"
#include "app/targets.h"
#include "core/demo_state.h"
#include "core/random.h"

TEST(FrameStep, FollowsTheMusicPosition) {
    // The same position twice is a nominal step, never a frozen one.
    EXPECT_EQ(compute_frame_step(12.5f, 12.5f), 1.0f);
    // One nominal frame of music.
    EXPECT_NEAR(compute_frame_step(1.0333f, 1.0f), 1.0f, 1e-3);
    // A backward jump gives a negative step; no clamp.
    EXPECT_LT(compute_frame_step(1.0f, 2.0f), 0.0f);
    EXPECT_GT(compute_frame_step(100.0f, 0.0f), 3000.0f);
    // The divisor is the float 0.0333 widened, the quotient rounded to float.
    float expected = static_cast<float>(static_cast<double>(0.5f) / 0.0333000011742115);
    EXPECT_EQ(compute_frame_step(0.5f, 0.0f), expected);
}

TEST(PictureBox, LargestCentredSixteenByNineInTheWindow) {
    auto expect_box = [](int w, int h, PictureBox want) {
        PictureBox b = fit_picture(w, h);
        EXPECT_EQ(b.x, want.x) << w << "x" << h;
        EXPECT_EQ(b.y, want.y) << w << "x" << h;
        EXPECT_EQ(b.width, want.width) << w << "x" << h;
        EXPECT_EQ(b.height, want.height) << w << "x" << h;
    };
    expect_box(1280, 720, {0, 0, 1280, 720});
    expect_box(1920, 1080, {0, 0, 1920, 1080});
    expect_box(2560, 1440, {0, 0, 2560, 1440});
    expect_box(1024, 768, {0, 96, 1024, 576});  // bars above and below
    expect_box(1920, 1200, {0, 60, 1920, 1080});
    expect_box(2560, 1080, {320, 0, 1920, 1080});  // bars left and right
    expect_box(1366, 768, {0, 0, 1366, 768});      // 1366 x 9 / 16 rounds down to the height
    expect_box(1, 1, {0, 0, 1, 0});                // nothing to draw, nothing out of the window
}

TEST(ClearColour, ChangesStrictlyAboveItsThresholds) {
    float c[3];
    choose_clear_colour(0, c);
    EXPECT_EQ(c[0], 0.4433f);
    choose_clear_colour(1180.0f, c);
    EXPECT_EQ(c[0], 0.4433f) << "1180 exactly keeps the first colour";
    choose_clear_colour(std::nextafter(1180.0f, 2000.0f), c);
    EXPECT_EQ(c[0], 220 / 255.0f);
    EXPECT_EQ(c[2], 209 / 255.0f);
    choose_clear_colour(1472.0f, c);
    EXPECT_EQ(c[1], 135 / 255.0f);
    choose_clear_colour(1472.5f, c);
    EXPECT_EQ(c[0], 0.341f);
    EXPECT_EQ(c[1], 0.334f);
}

TEST(Random, FifteenBitValuesAndRepeatableSeeds) {
    random_seed(7);
    int first[5];
    for (int& v : first) v = random_next();
    random_seed(7);
    for (int v : first) EXPECT_EQ(random_next(), v);
    int lo = 32767, hi = 0;
    for (int i = 0; i < 100000; i++) {
        int v = random_next();
        lo = std::min(lo, v), hi = std::max(hi, v);
    }
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 32767);
}

TEST(TextureFiles, FollowTheSlotRule) {
    EXPECT_STREQ(texture_file(1), "gfx/txt1.png");
    EXPECT_STREQ(texture_file(38), "gfx/txt38.png");
    EXPECT_STREQ(texture_file(39), "gfx/V3.png");
    EXPECT_STREQ(texture_file(40), "gfx/rozel.png");
    EXPECT_STREQ(texture_file(41), "gfx/txt1c.png");
    EXPECT_STREQ(texture_file(48), "gfx/txt8c.png");
    EXPECT_STREQ(texture_file(49), "gfx/V4LGBT.png");
    EXPECT_STREQ(texture_file(0), "");
    EXPECT_STREQ(texture_file(50), "");
}

TEST(DemoState, InitialValuesAndReset) {
    demo.field_of_view = 35;
    demo.cloth_texture = 20;
    demo.sequence_start = 5;
    reset_demo_state();
    EXPECT_EQ(demo.field_of_view, 88.0f);
    EXPECT_EQ(demo.cloth_b_style, 3);
    EXPECT_EQ(demo.cloth_texture, 1);
    EXPECT_EQ(demo.depth_test_on, 1);
    EXPECT_EQ(demo.sequence_start, 1e10f);
    EXPECT_EQ(demo.pulse_d_time, 22275.5f);
    EXPECT_EQ(demo.trail_time, -1.0f);
    EXPECT_EQ(demo.burst_seed, 800);
}
