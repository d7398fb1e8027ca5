// Outline shapes: vertex counts, order and the geometry the flashes rely on.
#include <cmath>

#include <gtest/gtest.h>

#include <vector>

#include "effects/shapes.h"

static std::vector<ShapeVertex> ripple(float x, float time) {
    std::vector<ShapeVertex> v;
    for_each_ripple_ellipse_vertex(x, time, [&](ShapeVertex p) { v.push_back(p); });
    return v;
}

static std::vector<ShapeVertex> star(float x) {
    std::vector<ShapeVertex> v;
    for_each_star_dot_vertex(x, [&](ShapeVertex p) { v.push_back(p); });
    return v;
}

// Radius of a ripple vertex with the 1.2 height undone.
static double ripple_radius(ShapeVertex p) { return std::hypot(p.x, p.y / 1.2); }

TEST(OutlineShapes, VertexCounts) {
    EXPECT_EQ(ripple(0.5f, 12.3f).size(), 721u);
    EXPECT_EQ(star(0.015f).size(), 16u);
    int spike = 0, corners = 0;
    for_each_spike_vertex(0.35f, [&](SpikeVertex) { ++spike; });
    for_each_rect_corner(1.0f, 2.0f, [&](RectCorner) { ++corners; });
    EXPECT_EQ(spike, 3);
    EXPECT_EQ(corners, 4);
}

TEST(OutlineShapes, RippleMakesTwoCoincidingTurnsWithinItsDepth) {
    const float x = 2.0f;
    auto v = ripple(x, 1234.56f);
    for (size_t j = 0; j < 360; ++j) {
        // a and a + 180 share the ripple and lie a full turn (of 3.1415) apart.
        EXPECT_NEAR(ripple_radius(v[j]), ripple_radius(v[j + 360]), 1e-5) << j;
        EXPECT_NEAR(v[j].x, v[j + 360].x, 1e-3);
        EXPECT_NEAR(v[j].y, v[j + 360].y, 1e-3);
        EXPECT_GE(ripple_radius(v[j]), x - 1e-5);
        EXPECT_LT(ripple_radius(v[j]), x + 0.01 + 1e-5);
    }
    // The angle uses 3.1415, so the last vertex stops just short of the
    // first: 720 degrees come to 12.566 rad, 0.00037 less than two turns.
    double rho = ripple_radius(v[720]);
    EXPECT_NEAR(v[720].y, rho * 1.2 * std::sin(static_cast<double>(12.566f)), 1e-6);
    EXPECT_LT(v[720].y, -1e-4);
    // Rounded to float, not left in double (GCC 12 at -O2 folds the float
    // cast of a product with cos() away when the result is widened again).
    EXPECT_EQ(v[1].x, 0x1.00bdeap+1f);
}

TEST(OutlineShapes, RippleTeethTravelOneToothPerTimeUnit) {
    auto now = ripple(1.0f, 100.0f);
    auto later = ripple(1.0f, 101.0f);
    auto half = ripple(1.0f, 100.5f);
    double moved = 0;
    for (size_t j = 0; j < now.size(); ++j) {
        EXPECT_NEAR(ripple_radius(now[j]), ripple_radius(later[j]), 1e-5);
        moved += std::fabs(ripple_radius(now[j]) - ripple_radius(half[j]));
    }
    EXPECT_GT(moved / now.size(), 0.002);
    // At radius 0 the ring is the ripple alone: up to 0.01.
    double widest = 0;
    for (const ShapeVertex& p : ripple(0.0f, 7.25f)) widest = std::fmax(widest, ripple_radius(p));
    EXPECT_GT(widest, 0.009);
    EXPECT_LE(widest, 0.01);
}

TEST(OutlineShapes, StarVisitsTheRingInStepsOf48DegreesAndTurnsForNegativeRadius) {
    const float x = 0.015f;
    auto v = star(x);
    for (size_t k = 0; k < v.size(); ++k) {
        double angle = static_cast<float>(k * 48 * 3.1415 / 180.0);
        EXPECT_NEAR(v[k].x, x * std::cos(angle), 1e-8);
        EXPECT_NEAR(v[k].y, x * 1.2 * std::sin(angle), 1e-8);
    }
    EXPECT_NEAR(v[15].x, v[0].x, 1e-6);
    EXPECT_NEAR(v[15].y, v[0].y, 1e-5);
    auto turned = star(-x);
    for (size_t k = 0; k < v.size(); ++k) {
        EXPECT_EQ(turned[k].x, -v[k].x);
        EXPECT_EQ(turned[k].y, -v[k].y);
    }
    for (const ShapeVertex& p : star(0.0f)) {
        EXPECT_EQ(p.x, 0.0);
        EXPECT_EQ(p.y, 0.0);
    }
}

TEST(OutlineShapes, RectSpansItsSizeOnEitherSide) {
    struct Case {
        float x, y, w, h;
    };
    for (Case c :
         {Case{0.1f, 0.2f, 0.3f, 0.4f}, Case{0.5f, 0.5f, -0.2f, -0.1f}, Case{0.5f, 0.5f, 0.2f, -0.1f}}) {
        std::vector<RectCorner> v;
        for_each_rect_corner(c.w, c.h, [&](RectCorner p) { v.push_back(p); });
        ASSERT_EQ(v.size(), 4u);
        float left = 1e9f, right = -1e9f, bottom = 1e9f, top = -1e9f;
        for (RectCorner p : v) {
            left = std::fmin(left, c.x + p.x);
            right = std::fmax(right, c.x + p.x);
            bottom = std::fmin(bottom, c.y + p.y);
            top = std::fmax(top, c.y + p.y);
        }
        EXPECT_FLOAT_EQ(left, std::fmin(c.x, c.x + c.w));
        EXPECT_FLOAT_EQ(right, std::fmax(c.x, c.x + c.w));
        EXPECT_FLOAT_EQ(bottom, std::fmin(c.y, c.y + c.h));
        EXPECT_FLOAT_EQ(top, std::fmax(c.y, c.y + c.h));
        // Drawn from the top left corner round to the origin.
        EXPECT_EQ(v[0].x, 0.0f);
        EXPECT_EQ(v[0].y, c.h);
        EXPECT_EQ(v[2].x, c.w);
        EXPECT_EQ(v[2].y, 0.0f);
    }
}
