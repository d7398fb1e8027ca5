// Sheet bridge and cloud links: start times, growth, segment counts, paths
// and the two brightness rules with their use of the shared generator.
#include <cmath>

#include <gtest/gtest.h>

#include <vector>

#include "core/random.h"
#include "effects/lines.h"

namespace {

// A sheet of 10 rows whose reference row (8) holds `reference(strand)` and
// every other particle lies far away, so reading the wrong row shows.
template <class F>
ClothSheet make_sheet(int columns, F reference) {
    ClothSheet s;
    s.rows = 10;
    s.columns = columns;
    s.particles.resize(static_cast<size_t>(s.rows) * columns);
    for (int r = 0; r < s.rows; ++r)
        for (int c = 0; c < columns; ++c)
            sheet_particle(s, r, c).position = r == 8 ? reference(c) : Vec3{1e6, 1e6, 1e6};
    return s;
}

ClothSheet sheet_a(int columns = 1002) {
    return make_sheet(columns, [](int c) { return Vec3{0.001 * c, 1.0, 2.0}; });
}
ClothSheet sheet_b(int columns = 1002) {
    return make_sheet(columns, [](int c) { return Vec3{-0.001 * c, -1.0, 0.5}; });
}

std::vector<LineSegment> bridge(const ClothSheet& a, const ClothSheet& b, float time, int shade) {
    std::vector<LineSegment> v;
    for_each_sheet_bridge_segment(a, b, time, shade, [&](const LineSegment& s) { v.push_back(s); });
    return v;
}

std::vector<LineSegment> bow(LinePoint p, LinePoint q, float time, int shade) {
    std::vector<LineSegment> v;
    for_each_bridge_bow_segment(p, q, bridge_growth(time), time, shade,
                                [&](const LineSegment& s) { v.push_back(s); });
    return v;
}

std::vector<LineSegment> links(const ClothSheet& s, const Vec3* cloud, float time, int shade) {
    std::vector<LineSegment> v;
    for_each_cloud_link(s, cloud, time, shade, [&](const LineSegment& seg) { v.push_back(seg); });
    return v;
}

std::vector<Vec3> make_cloud() {
    std::vector<Vec3> cloud(1000);
    for (int k = 0; k < 1000; ++k) cloud[k] = Vec3{k * 0.01, 3.0, -1.0};
    return cloud;
}

// The generator's next value after `used` draws from `seed`.
int value_after(unsigned seed, int used) {
    random_seed(seed);
    for (int i = 0; i < used; ++i) random_next();
    return random_next();
}

void expect_chained(const std::vector<LineSegment>& v, size_t begin, size_t end) {
    for (size_t i = begin + 1; i < end; ++i) {
        EXPECT_EQ(v[i].to.x, v[i - 1].from.x);
        EXPECT_EQ(v[i].to.y, v[i - 1].from.y);
        EXPECT_EQ(v[i].to.z, v[i - 1].from.z);
    }
}

}  // namespace

TEST(SheetLines, NothingAtOrBeforeTheStartTimesAndNoRandomValuesUsed) {
    ClothSheet a = sheet_a(), b = sheet_b();
    std::vector<Vec3> cloud = make_cloud();
    random_seed(99);
    EXPECT_TRUE(bridge(a, b, 1100.0f, 0).empty());
    EXPECT_TRUE(bridge(a, b, 500.0f, 0).empty());
    EXPECT_TRUE(links(a, cloud.data(), 1270.0f, 0).empty());
    EXPECT_TRUE(links(a, cloud.data(), 0.0f, 0).empty());
    int next = random_next();
    EXPECT_EQ(next, value_after(99, 0));
    // Just past the start one zero-length step per line.
    EXPECT_EQ(bridge(a, b, 1100.01f, 1).size(), 334u);
    EXPECT_EQ(links(a, cloud.data(), 1270.01f, 1).size(), 120u);
}

TEST(SheetLines, GrowthFractions) {
    EXPECT_FLOAT_EQ(bridge_growth(1147.5f), 0.5f);
    EXPECT_EQ(bridge_growth(1195.0f), 1.0f);
    EXPECT_EQ(bridge_growth(1500.0f), 1.0f);
    EXPECT_LT(bridge_growth(1000.0f), 0.0f);
    EXPECT_FLOAT_EQ(cloud_link_growth(1352.5f), 0.5f);
    EXPECT_FLOAT_EQ(cloud_link_growth(1600.0f), 2.0f);  // no upper clamp
}

TEST(SheetLines, BridgeSegmentCountsAndPath) {
    ClothSheet a = sheet_a(), b = sheet_b();
    // u is a float sum of 0.01s: after 100 steps it is 0.99999934, still
    // below 1, so a complete bow takes 101 steps, the first of zero length.
    std::vector<LineSegment> full = bridge(a, b, 1200.0f, 1);
    ASSERT_EQ(full.size(), 334u * 101u);
    EXPECT_EQ(bridge(a, b, 1147.5f, 1).size(), 334u * 51u);
    // Odd column counts still take every third strand: 0, 3, 6.
    EXPECT_EQ(bridge(sheet_a(7), sheet_b(7), 1200.0f, 1).size(), 3u * 101u);

    // Strand 3's bow: from a's reference particle, sagging toward the
    // origin halfway, ending at b's.
    LinePoint p{0.003f, 1.0f, 2.0f}, q{-0.003f, -1.0f, 0.5f};
    const LineSegment* s = &full[101];
    EXPECT_EQ(s[0].from.x, p.x);
    EXPECT_EQ(s[0].to.y, p.y);
    EXPECT_EQ(s[0].from.z, s[0].to.z);
    // Step 50 has u just under 0.5: about 0.5 q + 0.25 p.
    EXPECT_NEAR(s[50].from.y, 0.5 * q.y + 0.25 * p.y, 1e-3);
    EXPECT_NEAR(s[50].from.z, 0.5 * q.z + 0.25 * p.z, 1e-3);
    EXPECT_NEAR(s[100].from.y, q.y, 1e-5);
    EXPECT_NEAR(s[100].from.z, q.z, 1e-5);
    expect_chained(full, 101, 202);
}

TEST(SheetLines, BridgeFlickerTakesOneRandomValuePerSegment) {
    LinePoint p{0, 1, 2}, q{0, -1, 0.5f};
    random_seed(7);
    std::vector<LineSegment> v = bow(p, q, 1300.0f, 0);
    ASSERT_EQ(v.size(), 101u);
    int next = random_next();
    EXPECT_EQ(next, value_after(7, 101));
    for (size_t i = 0; i < v.size(); ++i) {
        float c = static_cast<float>(value_after(7, static_cast<int>(i)) * 0.1 / 32767 + 0.9);
        EXPECT_EQ(v[i].red, c);
        EXPECT_EQ(v[i].green, c);
        EXPECT_EQ(v[i].blue, c);
        EXPECT_EQ(v[i].alpha, c);
        EXPECT_EQ(v[i].width, 2.0f);
    }
    // Any switch value but 1 flickers.
    random_seed(7);
    EXPECT_EQ(bow(p, q, 1300.0f, 5).front().red, v.front().red);
}

TEST(SheetLines, BridgePulseTravelsAlongTheBow) {
    LinePoint p{0, 1, 2}, q{0, -1, 0.5f};
    random_seed(3);
    // 1207.142857 * 0.07 = 84.5: the pulse stands halfway along.
    std::vector<LineSegment> v = bow(p, q, 1207.142857f, 1);
    int next = random_next();
    EXPECT_EQ(next, value_after(3, 0));
    size_t brightest = 0;
    for (size_t i = 0; i < v.size(); ++i) {
        EXPECT_FLOAT_EQ(v[i].width, 2.0f * v[i].red);
        EXPECT_EQ(v[i].alpha, v[i].red);
        if (v[i].red > v[brightest].red) brightest = i;
    }
    EXPECT_EQ(brightest, 50u);
    EXPECT_NEAR(v[50].red, 2.9f, 1e-3);
    EXPECT_EQ(v[0].red, 0.9f);
    EXPECT_EQ(v[100].red, 0.9f);
}

TEST(SheetLines, LinksReachForTheLastFortyCloudPoints) {
    ClothSheet a = sheet_a();
    std::vector<Vec3> cloud = make_cloud();
    // Window end: 90 / 165 of the way, 55 steps per link.
    std::vector<LineSegment> v = links(a, cloud.data(), 1360.0f, 1);
    ASSERT_EQ(v.size(), 120u * 55u);
    // Cloud point by cloud point, strands 0, 334, 668 each.
    const int strands[3] = {0, 334, 668};
    for (int link = 0; link < 120; ++link) {
        const LineSegment* s = &v[link * 55];
        float px = static_cast<float>(0.001 * strands[link % 3]);
        float cx = static_cast<float>((960 + link / 3) * 0.01);
        EXPECT_EQ(s[0].from.x, px) << link;
        EXPECT_EQ(s[0].to.x, px);
        // Straight toward the cloud point: y from 1 toward 3, z from 2 toward -1.
        float u = 0.54f;
        EXPECT_NEAR(s[54].from.x, px * (1 - u) + cx * u, 1e-4);
        EXPECT_NEAR(s[54].from.y, 1 + 2 * u, 1e-4);
        EXPECT_NEAR(s[54].from.z, 2 - 3 * u, 1e-4);
        expect_chained(v, link * 55, link * 55 + 55);
    }
    for (const LineSegment& s : v) {
        EXPECT_EQ(s.alpha, 0.5f);
        EXPECT_FLOAT_EQ(s.width, 2.0f * s.red);
        EXPECT_GE(s.red, 0.6f);
        EXPECT_LE(s.red, 2.6f);
    }
    // Unclamped: past 1270 + 165 the links overshoot their cloud points.
    EXPECT_EQ(links(a, cloud.data(), 1600.0f, 1).size(), 120u * 201u);
}

TEST(SheetLines, LinkFlickerTakesOneRandomValuePerSegment) {
    ClothSheet a = sheet_a();
    std::vector<Vec3> cloud = make_cloud();
    random_seed(11);
    std::vector<LineSegment> v = links(a, cloud.data(), 1352.5f, 0);
    ASSERT_EQ(v.size(), 120u * 51u);
    int next = random_next();
    EXPECT_EQ(next, value_after(11, 120 * 51));
    for (const LineSegment& s : v) {
        EXPECT_EQ(s.width, 2.0f);
        EXPECT_GE(s.red, 0.9f);
        EXPECT_LE(s.red, 1.0f);
        EXPECT_EQ(s.alpha, 0.5f);
    }
}

TEST(SheetLines, SmallOrMismatchedSheetsStayInBounds) {
    std::vector<Vec3> cloud = make_cloud();
    // Fewer than three columns: every strand, and the loop ends.
    EXPECT_EQ(links(sheet_a(2), cloud.data(), 1300.0f, 1).size(), 40u * 2u * 19u);
    EXPECT_TRUE(links(ClothSheet{}, cloud.data(), 1300.0f, 1).empty());
    // A partner sheet with fewer strands ends the bridge at its last strand.
    EXPECT_EQ(bridge(sheet_a(30), sheet_b(7), 1200.0f, 1).size(), 3u * 101u);
    ClothSheet flat;
    flat.rows = 1;
    flat.columns = 3;
    flat.particles.resize(3);
    EXPECT_TRUE(bridge(flat, flat, 1200.0f, 1).empty());
}
