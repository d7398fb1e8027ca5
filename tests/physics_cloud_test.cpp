// The cloud: start positions, drift and wrap, layer windows, trail rules.
#include <cstring>

#include <gtest/gtest.h>

#include "core/demo_state.h"
#include "core/random.h"
#include "physics/cloud.h"

TEST(CloudStart, UniformInTheCubeAndSixDrawsPerPoint) {
    random_seed(1234);
    init_cloud();
    double lo = 0, hi = 0;
    for (const Vec3& p : cloud_positions)
        for (double c : {p.x, p.y, p.z}) {
            ASSERT_GE(c, -18.0);
            ASSERT_LE(c, 18.0);
            lo = std::min(lo, c);
            hi = std::max(hi, c);
        }
    EXPECT_LT(lo, -17.0);
    EXPECT_GT(hi, 17.0);
    int after = random_next();
    random_seed(1234);
    EXPECT_EQ(cloud_positions[0].x, (random_next() / 32767.0 - 0.5) * 36);
    EXPECT_EQ(cloud_positions[0].y, (random_next() / 32767.0 - 0.5) * 36);
    for (int k = 2; k < 6 * cloud_size; k++) random_next();
    EXPECT_EQ(random_next(), after);
}

TEST(CloudStart, DifferentSeedsGiveDifferentClouds) {
    random_seed(1000);
    init_cloud();
    Vec3 first = cloud_positions[500];
    random_seed(1001);
    init_cloud();
    EXPECT_NE(std::memcmp(&first, &cloud_positions[500], sizeof first), 0);
}

TEST(CloudDrift, EveryPointMovesByTheFrameStepAndWraps) {
    for (Vec3& p : cloud_positions) p = {1, 2, 3};
    cloud_positions[10] = {-18, 18, 18};           // on the faces: not wrapped
    cloud_positions[11] = {-17.95, -17.9, 17.99};  // pushed past the faces
    update_cloud(1.0);
    EXPECT_EQ(cloud_positions[0].x, 1 - 0.06);
    EXPECT_EQ(cloud_positions[0].y, 2 - 0.16);
    EXPECT_EQ(cloud_positions[0].z, 3 + 0.05);
    EXPECT_EQ(cloud_positions[999].z, 3 + 0.025);  // the second half is slower
    EXPECT_EQ(cloud_positions[499].z, 3 + 0.05);
    EXPECT_EQ(cloud_positions[500].z, 3 + 0.025);
    EXPECT_NEAR(cloud_positions[10].x, -18.06 + 36, 1e-12);
    EXPECT_NEAR(cloud_positions[11].x, 17.99, 1e-12);
    EXPECT_NEAR(cloud_positions[11].y, -18.06 + 36, 1e-12);
    EXPECT_NEAR(cloud_positions[11].z, 18.04 - 36, 1e-12);
    // A frame of twice the length drifts twice as far.
    cloud_positions[0] = {0, 0, 0};
    update_cloud(2.0);
    EXPECT_EQ(cloud_positions[0].x, -0.12);
    EXPECT_EQ(cloud_positions[0].y, -0.32);
    EXPECT_EQ(cloud_positions[0].z, 0.1);
}

TEST(CloudDrift, ExactFacesStayAndNonFiniteValuesDoNotHang) {
    for (Vec3& p : cloud_positions) p = {0, 0, 0};
    cloud_positions[3] = {-17.94, 0, 0};
    update_cloud(1.0);  // -17.94 - 0.06: exactly on the face
    EXPECT_GE(cloud_positions[3].x, -18.0);
    EXPECT_LT(cloud_positions[3].x, -17.99);
    cloud_positions[4] = {1e300 * 1e10, 0, 0};
    update_cloud(1.0);
    EXPECT_TRUE(std::isinf(cloud_positions[4].x));
    // A huge frame step still ends inside the cube.
    cloud_positions[5] = {0, 0, 0};
    update_cloud(1000.0);
    EXPECT_GE(cloud_positions[5].x, -18.0);
    EXPECT_LE(cloud_positions[5].x, 18.0);
}

TEST(CloudLayers, TimeWindowsAreOpenAtBothEnds) {
    EXPECT_FALSE(cloud_layers(850).web);
    EXPECT_FALSE(cloud_layers(850).trail);
    EXPECT_TRUE(cloud_layers(850).points);
    EXPECT_TRUE(cloud_layers(850.5f).web);
    EXPECT_TRUE(cloud_layers(1049.9f).trail);
    CloudLayers end = cloud_layers(1050);
    EXPECT_FALSE(end.web || end.trail || end.points);
    EXPECT_FALSE(cloud_layers(40).points);
    EXPECT_TRUE(cloud_layers(40.1f).points);
    EXPECT_FALSE(cloud_layers(40.1f).web);
}

TEST(CloudTrail, JumpsOnEvery27thCallAndWrapsPast900) {
    reset_demo_state();
    reset_trail_counter();
    demo.trail_index = 0;
    for (int call = 1; call <= 26; call++) ASSERT_FALSE(advance_trail(900 + call));
    EXPECT_EQ(demo.trail_index, 0);
    EXPECT_EQ(demo.trail_time, -1.0f);
    EXPECT_TRUE(advance_trail(927));
    EXPECT_EQ(demo.trail_index, 100);
    EXPECT_EQ(demo.trail_time, 927.0f);
    for (int call = 1; call <= 26; call++) ASSERT_FALSE(advance_trail(930));
    EXPECT_TRUE(advance_trail(931));
    EXPECT_EQ(demo.trail_index, 200);
    EXPECT_EQ(next_trail_index(900), 0);
    EXPECT_EQ(next_trail_index(850), 0);
    EXPECT_EQ(next_trail_index(750), 850);
    EXPECT_EQ(next_trail_index(800), 900);
    EXPECT_EQ(next_trail_index(0), 100);
}

TEST(CloudTrail, FadesQuadraticallyOverOneSecond) {
    EXPECT_EQ(trail_fade(900, 900), 1.0f);
    EXPECT_EQ(trail_fade(905, 900), 0.25f);
    EXPECT_EQ(trail_fade(910, 900), 0.0f);
    EXPECT_EQ(trail_fade(990, 900), 0.0f);
    EXPECT_EQ(trail_fade(851, -1), 0.0f);   // before the first jump: already faded
    EXPECT_EQ(trail_fade(899, 900), 1.0f);  // a stamp from the future clamps to 1
    float rgba[4];
    trail_colour(1, rgba);
    EXPECT_EQ(rgba[0], 0.8f);
    EXPECT_EQ(rgba[3], 0.8f);
    EXPECT_EQ(trail_width(1), 3.0f);
    trail_colour(0, rgba);
    EXPECT_EQ(rgba[0], 0.55f);
    EXPECT_EQ(rgba[1], 0.53f);
    EXPECT_EQ(rgba[2], 0.51f);
    EXPECT_EQ(rgba[3], 0.125f);
    EXPECT_EQ(trail_width(0), 1.0f);
    trail_colour(0.25f, rgba);
    EXPECT_EQ(rgba[0], static_cast<float>(0.25 * 0.800000011920929 + 0.75 * 0.550000011920929));
    EXPECT_EQ(trail_width(0.25f), 1.5f);
}

TEST(CloudTrail, StartsThatWouldReadPastTheCloudAreRefused) {
    EXPECT_TRUE(trail_start_valid(0));
    EXPECT_TRUE(trail_start_valid(900));
    EXPECT_TRUE(trail_start_valid(2880));
    EXPECT_FALSE(trail_start_valid(2881));
    EXPECT_FALSE(trail_start_valid(-1));
}
