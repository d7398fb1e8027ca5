// Timing rules of the main show: flash clocks, burst, glow pulse, plates, anchors.
#include <cmath>

#include <gtest/gtest.h>

#include <vector>

#include "core/demo_state.h"
#include "core/random.h"
#include "scenes/sections.h"
#include "scenes/timeline.h"
#include "scenes/timeline_rules.h"

namespace {
// Frames at a steady 60 per second: T gains 1/6 tenth, the frame step 0.5.
constexpr float frame_tenths = 10.0f / 60.0f;
constexpr float frame_step_60 = 0.5f;
}  // namespace

TEST(FlashClock, IdleClockStaysAtZeroAndNeverDraws) {
    float clock = 0.0f;
    float time = 1400.5f;
    for (int frame = 0; frame < 600; ++frame) {
        EXPECT_FALSE(advance_flash_clock(clock, time, frame_step_60, pulse_a_window));
        EXPECT_EQ(clock, 0.0f);
        time += frame_tenths;
    }
}

TEST(FlashClock, StampRunsAheadOfTimeByTwentyPerSecondAndKeepsDrawing) {
    float time = 1500.0f;
    float clock = time;  // a command stamps the current time
    for (int frame = 1; frame <= 600; ++frame) {
        time += frame_tenths;
        ASSERT_TRUE(advance_flash_clock(clock, time, frame_step_60, pulse_b_window)) << frame;
        if (frame % 60 == 0) {
            EXPECT_NEAR(clock - time, 20.0f * (frame / 60), 0.05f);
        }
    }
    // The fade alone ends it: s of a ring pulse is below 0 long before.
    EXPECT_LT(pulse_fade(time, clock, 4.5), 0.0f);
}

TEST(FlashClock, ResetsOnlyWhenTimeMinusClockReachesTheWindow) {
    float clock = 1494.5f;  // T - (c + 1) == 4.5 exactly
    EXPECT_FALSE(advance_flash_clock(clock, 1500.0f, 1.0f, 4.5f));
    EXPECT_EQ(clock, 0.0f);
    clock = 1494.75f;  // 4.25 behind after the step
    EXPECT_TRUE(advance_flash_clock(clock, 1500.0f, 1.0f, 4.5f));
    EXPECT_EQ(clock, 1495.75f);
    // A stamp given before T 1400 survives the first flash frame only if it
    // lies less than W (after its first step) before that frame's T.
    clock = 1385.0f;
    EXPECT_FALSE(advance_flash_clock(clock, 1400.1f, 1.0f, flare_window));
    clock = 1399.0f;
    EXPECT_TRUE(advance_flash_clock(clock, 1400.1f, 1.0f, flare_window));
}

TEST(FlashClock, FrozenMusicMovesRunningClocksOneUnitPerFrame) {
    float time = 1810.2f;
    float clock = time;
    for (int frame = 1; frame <= 100; ++frame) {
        ASSERT_TRUE(advance_flash_clock(clock, time, 1.0f, pulse_e_window));
    }
    EXPECT_FLOAT_EQ(clock - time, 100.0f);
}

TEST(FlashClock, TunnelStartsFarOutOfViewWithItsInitialClock) {
    reset_demo_state();
    EXPECT_EQ(demo.pulse_d_time, 22275.5f);
    float clock = demo.pulse_d_time;
    ASSERT_TRUE(advance_flash_clock(clock, 1400.2f, 1.0f, pulse_d_window));
    float s = tunnel_fade(1400.2, clock);
    EXPECT_NEAR(s, (22276.5 - 1400.2) / 80.5, 1e-3);
    // Every one of the six scalings is far beyond the view.
    EXPECT_GT(std::fabs(2.7 - 1.3 * s), 300.0);
    // After a restamp it opens from s = 0 and shrinks to nothing near s = 2.
    EXPECT_EQ(tunnel_fade(1500.0, 1500.0f), 0.0f);
    EXPECT_NEAR(tunnel_fade(1500.0, 1661.0f), 2.0f, 1e-6);
}

TEST(FlashFades, PulsesAndFlaresFadeOverTheirDivisors) {
    EXPECT_FLOAT_EQ(pulse_fade(1500.0, 1500.0f, 4.5), 1.0f);
    EXPECT_FLOAT_EQ(pulse_fade(1500.0, 1504.5f, 4.5), 0.0f);
    EXPECT_FLOAT_EQ(pulse_fade(1500.0, 1495.5f, 4.5), 0.0f);
    EXPECT_FLOAT_EQ(flare_fade(1500.0, 1500.0f), 1.0f);
    EXPECT_NEAR(flare_fade(1500.0, 1595.0f), 0.0f, 1e-6);
    // A flare stamped at T fades out after 4.75 s of music at 60 frames/s.
    float time = 1500.0f, clock = time;
    for (int frame = 0; frame < 285; ++frame) {
        time += frame_tenths;
        advance_flash_clock(clock, time, frame_step_60, flare_window);
    }
    EXPECT_NEAR(flare_fade(time, clock), 0.0f, 0.01f);
    // The flare turns by its stamped value; the fade swings it by up to 30 degrees.
    EXPECT_FLOAT_EQ(flare_angle(0.5f, 1.0f), 90.0f);
    EXPECT_FLOAT_EQ(flare_angle(1.0f, 1.0f), 210.0f);
    EXPECT_FLOAT_EQ(flare_angle(1.0f, 0.0f), 180.0f);
    EXPECT_FLOAT_EQ(flare_b_dim(1500.0f, 1500.0f), 1.0f);
    EXPECT_FLOAT_EQ(flare_b_dim(1509.5f, 1500.0f), 0.0f);
}

TEST(FlashRay, TakesTwoGeneratorValuesPerFrameYFirst) {
    random_seed(77);
    double r1 = random_next() / 32767.0;
    double r2 = random_next() / 32767.0;
    int third = random_next();
    random_seed(77);
    RayEnd end = next_ray_end();
    EXPECT_FLOAT_EQ(end.y, static_cast<float>((r1 - 0.5) * 5.0));
    EXPECT_FLOAT_EQ(end.x, static_cast<float>((r2 - 0.5) * 4.0));
    EXPECT_EQ(random_next(), third);
    RayEnd next = next_ray_end();
    EXPECT_FALSE(next.x == end.x && next.y == end.y);
}

TEST(Burst, WindowsIncludeTheirEnds) {
    EXPECT_TRUE(burst_window(0.0f));
    EXPECT_TRUE(burst_window(850.0f));
    EXPECT_FALSE(burst_window(850.01f));
    EXPECT_FALSE(burst_window(1049.99f));
    EXPECT_TRUE(burst_window(1050.0f));
    EXPECT_TRUE(burst_window(1100.0f));
    EXPECT_FALSE(burst_window(1100.01f));
    EXPECT_FALSE(burst_window(1500.0f));
}

TEST(Burst, ShowsForTwelveAndAHalfTenthsAfterItsStampThenExpires) {
    float stamp = 500.0f;
    EXPECT_FALSE(advance_burst(stamp, 500.0f));  // equal to T: nothing yet
    EXPECT_EQ(stamp, 500.0f);
    EXPECT_TRUE(advance_burst(stamp, 500.1f));
    EXPECT_TRUE(advance_burst(stamp, 512.4f));
    EXPECT_FALSE(advance_burst(stamp, 512.5f));
    EXPECT_EQ(stamp, 0.0f);
    float later = 900.0f;  // a stamp ahead of T waits
    EXPECT_FALSE(advance_burst(later, 600.0f));
    EXPECT_EQ(later, 900.0f);
    EXPECT_FLOAT_EQ(burst_alpha(500.0f, 500.0f), 0.25f);
    EXPECT_FLOAT_EQ(burst_alpha(506.25f, 500.0f), -0.25f);
}

TEST(Burst, DotsStayInPlaceForOneSeedAndShrinkWithTheCount) {
    BurstDot first[burst_dot_count], again[burst_dot_count], counted[burst_dot_count];
    compute_burst_dots(4242, 0.2f, 0, first);
    int after = random_next();
    compute_burst_dots(4242, 0.2f, 0, again);
    compute_burst_dots(4242, 0.2f, 3, counted);
    random_seed(4242);
    for (int k = 0; k < 3 * burst_dot_count; ++k) random_next();
    EXPECT_EQ(random_next(), after);  // three values per dot, nothing more
    for (int j = 0; j < burst_dot_count; ++j) {
        EXPECT_EQ(first[j].x, again[j].x);
        EXPECT_EQ(first[j].y, again[j].y);
        EXPECT_FLOAT_EQ(first[j].radius, 0.015f);
        EXPECT_LE(counted[j].radius, 0.015f);
        EXPECT_FLOAT_EQ(first[j].alpha, j / 30.0f);
        double rho = std::hypot(first[j].x, first[j].y);
        EXPECT_LE(rho, 7.5);
    }
    EXPECT_EQ(first[0].alpha, 0.0f);
    // With enough commands the radius turns negative (the star turned over).
    compute_burst_dots(4242, 0.2f, 1000, counted);
    int negative = 0;
    for (const BurstDot& dot : counted) negative += dot.radius < 0.0f;
    EXPECT_GT(negative, 20);
}

TEST(GlowSphere, FlashesEveryThirtyOneFramesBetween840And880Only) {
    GlowState glow{-1.0f, 0};
    std::vector<int> restarts;
    int lit_before = 0, lit_inside = 0, lit_after = 0;
    float time = 800.0f;
    for (int frame = 0; frame < 600; ++frame) {
        float f = advance_glow(glow, time);
        float rgba[4];
        glow_colour(f, rgba);
        bool lit = rgba[0] > 0.0f;
        if (time <= 840.0f)
            lit_before += lit;
        else if (time < 880.0f)
            lit_inside += lit;
        else if (time > 885.0f)
            lit_after += lit;  // the last pulse has faded
        if (time > 840.0f && time < 880.0f && glow.counter == 0) restarts.push_back(frame);
        time += frame_tenths;
    }
    EXPECT_EQ(lit_before, 0);
    EXPECT_GT(lit_inside, 100);
    EXPECT_EQ(lit_after, 0);
    ASSERT_GE(restarts.size(), 6u);
    for (size_t k = 1; k < restarts.size(); ++k) EXPECT_EQ(restarts[k] - restarts[k - 1], 31);
}

TEST(GlowSphere, FadeFollowsTheSquareLawOverFiveTenths) {
    GlowState glow{850.0f, 5};
    EXPECT_FLOAT_EQ(advance_glow(glow, 852.5f), 0.25f);
    EXPECT_EQ(glow.counter, 6);
    EXPECT_FLOAT_EQ(advance_glow(glow, 853.75f), 0.0625f);
    EXPECT_FLOAT_EQ(advance_glow(glow, 860.0f), 0.0f);
    float rgba[4];
    glow_colour(0.5f, rgba);
    EXPECT_FLOAT_EQ(rgba[0], 0.5f);
    EXPECT_FLOAT_EQ(rgba[1], 0.35f);
    EXPECT_FLOAT_EQ(rgba[2], 0.405f);
    glow_colour(1.0f, rgba);  // the pulse frame itself stays black
    EXPECT_EQ(rgba[0] + rgba[1] + rgba[2], 0.0f);
    // A multiple of 31 left in the counter after 880 keeps it black too.
    GlowState left{870.0f, 31};
    EXPECT_EQ(advance_glow(left, 900.0f), 1.0f);
}

TEST(ShowMoments, FinaleSphereAndPlateWindowsAreStrict) {
    EXPECT_FALSE(finale_due(1810.0f, 0));
    EXPECT_TRUE(finale_due(1810.01f, 0));
    EXPECT_FALSE(finale_due(1900.0f, 1));
    EXPECT_EQ(glow_sphere_radius(749.99), static_cast<double>(0.05f));
    EXPECT_EQ(glow_sphere_radius(750.0), static_cast<double>(0.15f));
    int slots[title_plate_count];
    EXPECT_EQ(title_plates_at(60.0f, slots), 0);
    EXPECT_EQ(title_plates_at(190.0f, slots), 0);
    ASSERT_EQ(title_plates_at(100.0f, slots), 1);
    EXPECT_EQ(slots[0], 39);
    const float flicker[] = {71, 82, 87, 130.5f, 141, 152, 189.9f};
    for (float t : flicker) {
        ASSERT_EQ(title_plates_at(t, slots), 2) << t;
        EXPECT_EQ(slots[0], 39);
        EXPECT_EQ(slots[1], 49);
    }
    EXPECT_EQ(title_plates_at(131.0f, slots), 1);
    EXPECT_EQ(title_plate_growth(60.0f), 0.0f);
    EXPECT_FLOAT_EQ(title_plate_growth(125.0f), 0.25f);
    EXPECT_FLOAT_EQ(title_plate_growth(190.0f), 1.0f);
}

TEST(AutoAnchors, SixCurvesOfTimeOverTwenty) {
    const float expected[6][4] = {{0, 1, 0.2f, 1.2f},   {22, 1, 0.3f, 1.4f},   {62, 1, 0.4f, 1.6f},
                                  {12, 1, 0.25f, 1.3f}, {32, 1, 0.35f, 1.45f}, {42, 1, 0.45f, 1.1f}};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(anchor_noise[k].offset, expected[k][0]) << k;
        EXPECT_EQ(anchor_noise[k].amplitude, expected[k][1]) << k;
        EXPECT_EQ(anchor_noise[k].persistence, expected[k][2]) << k;
        EXPECT_EQ(anchor_noise[k].frequency, expected[k][3]) << k;
    }
    EXPECT_EQ(anchor_noise_argument(0.0f), 0.0f);
    EXPECT_EQ(anchor_noise_argument(600.0f), 30.0f);
    const float noise[6] = {1, 2, 3, 4, 5, 6};
    double a[3], b[3];
    auto_anchor_a(noise, a);
    auto_anchor_b(noise, b);
    EXPECT_DOUBLE_EQ(a[0], 0.5);
    EXPECT_DOUBLE_EQ(a[1], 1.2);
    EXPECT_DOUBLE_EQ(a[2], 2.1);
    EXPECT_DOUBLE_EQ(b[0], 3.6);
    EXPECT_DOUBLE_EQ(b[1], 4.0);
    EXPECT_DOUBLE_EQ(b[2], 4.2);
}

TEST(ShowMoments, FinaleSwitchesOnceAndUnlocksOnTheNextFrame) {
    reset_demo_state();
    reset_timeline();
    int switches = 0;
    float time = 1805.0f;
    for (int frame = 0; frame < 60 && time <= 1810.0f; ++frame, time += frame_tenths) {
        switches += advance_finale(time);
    }
    EXPECT_EQ(switches, 0);
    EXPECT_TRUE(advance_finale(1810.1f));
    EXPECT_EQ(finale_started, 1);
    EXPECT_EQ(demo.unlock_flag_1, 0);  // not on the switch frame itself
    // The music has stopped: T stays where it was on every later frame.
    for (int frame = 0; frame < 100; ++frame) EXPECT_FALSE(advance_finale(1810.1f));
    EXPECT_EQ(demo.unlock_flag_1, 1);
    reset_timeline();
    EXPECT_EQ(glow_time, -1.0f);
    EXPECT_EQ(finale_started, 0);
}

TEST(ShowSections, EdgesFallWhereTheTimelineSwitchesItsParts) {
    // The timeline draws the torus strictly inside (330, 375), the bridge
    // strictly after 1100 and the flashes strictly after 1400; the capture
    // and rehearsal reports name the same moments by these sections.
    EXPECT_EQ(section_at(60.0f), section_intro);
    EXPECT_EQ(section_at(std::nextafter(60.0f, 1e9f)), section_title_plates);
    EXPECT_EQ(section_at(190.0f), section_lattice);
    EXPECT_FALSE(in_section(section_wire_torus, 330.0f));
    EXPECT_TRUE(in_section(section_wire_torus, std::nextafter(330.0f, 1e9f)));
    EXPECT_FALSE(in_section(section_wire_torus, 375.0f));
    EXPECT_FALSE(section_reached(section_sheet_bridge, 1100.0f));
    EXPECT_TRUE(section_reached(section_sheet_bridge, 1700.0f));
    EXPECT_FALSE(section_reached(section_flashes, 1400.0f));
    EXPECT_EQ(section_at(1800.0f), section_flashes);
    EXPECT_FALSE(section_reached(section_flashes, NAN));
    EXPECT_FALSE(in_section(section_wire_torus, NAN));
}
