// Smooth wide lines as quads: the rectangle a line covers in window pixels,
// its coverage ramps, and the clipping that must match a GL line's.
#include "core/wide_lines.h"

#include <cstring>

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
const float white[4] = {1, 1, 1, 1}, black[4] = {0, 0, 0, 1};

// Object coordinates are window pixels: a 200 x 100 viewport under an
// orthographic projection from (0, 0) to (200, 100).
LineSpace pixel_space() {
    const float ortho[16] = {2.0f / 200, 0, 0, 0, 0, 2.0f / 100, 0, 0, 0, 0, 1, 0, -1, -1, 0, 1};
    const int viewport[4] = {0, 0, 200, 100};
    return make_line_space(identity, ortho, viewport);
}

// Vertex k of the mesh in window pixels.
void window_xy(const WideLineMesh& m, int k, float out[2]) {
    const float* p = &m.position[4 * static_cast<size_t>(k)];
    out[0] = (p[0] / p[3] + 1) * 100;
    out[1] = (p[1] / p[3] + 1) * 50;
}

TEST(WideLines, QuadCoversTheLineWidenedByHalfAPixelAllRound) {
    WideLineMesh m;
    clear_wide_lines(m, false);
    const float a[3] = {10, 20, 0}, b[3] = {50, 20, 0};
    add_wide_line(m, pixel_space(), a, b, 3.0f, white, black);
    ASSERT_EQ(m.vertices, 4u);
    // Half width 2 (1.5 plus the half pixel of coverage), half a pixel past each end.
    const float expect[4][2] = {{9.5f, 22}, {9.5f, 18}, {50.5f, 18}, {50.5f, 22}};
    for (int k = 0; k < 4; ++k) {
        float xy[2];
        window_xy(m, k, xy);
        EXPECT_NEAR(xy[0], expect[k][0], 1e-4) << k;
        EXPECT_NEAR(xy[1], expect[k][1], 1e-4) << k;
    }
    // Each end keeps its own colour.
    EXPECT_EQ(m.colour[0], 1.0f);
    EXPECT_EQ(m.colour[8], 0.0f);

    // Widths under one pixel (and the zero or negative ones callers filter
    // out) draw one pixel wide, as smooth lines do.
    WideLineMesh thin;
    clear_wide_lines(thin, false);
    add_wide_line(thin, pixel_space(), a, b, 0.25f, white, white);
    float xy[2];
    window_xy(thin, 0, xy);
    EXPECT_NEAR(xy[1], 21.0f, 1e-4);
}

// The coverage texture is 0 below s or t = 0.25 and 1 above 0.75: the
// coordinates at the grid's middle say how far the ramps reach.
TEST(WideLines, CoverageRampsOverTheOuterPixelAndFadesShortLines) {
    WideLineMesh m;
    clear_wide_lines(m, true);
    const float a[3] = {10, 20, 0}, b[3] = {50, 20, 0}, c[3] = {60, 20, 0}, d[3] = {60.5f, 20, 0};
    add_wide_line(m, pixel_space(), a, b, 2.0f, white, white);
    add_wide_line(m, pixel_space(), c, c, 2.0f, white, white);  // no length: depth only, no colour
    add_wide_line(m, pixel_space(), c, d, 2.0f, white, white);  // half a pixel: a quarter at best
    ASSERT_EQ(m.vertices, 3u * 9);
    // Middle vertex (row 1, column 1) of each: s = (half width + 0.5) / 2,
    // t = (half length + 0.5) / 2.
    auto st = [&](int line, int k) { return m.texcoord[2 * static_cast<size_t>(9 * line + 4) + k]; };
    EXPECT_FLOAT_EQ(st(0, 0), (1.5f + 0.5f) / 2);
    EXPECT_FLOAT_EQ(st(0, 1), (20.5f + 0.5f) / 2);
    EXPECT_FLOAT_EQ(st(1, 1), 0.25f);
    EXPECT_FLOAT_EQ(st(2, 1), (0.5f + 0.5f) / 2);
    // Edges and ends are at zero coverage.
    EXPECT_FLOAT_EQ(m.texcoord[0], 0.25f);
    EXPECT_FLOAT_EQ(m.texcoord[1], 0.25f);
    // Triangles index only their own line's nine vertices.
    std::vector<unsigned> indices;
    wide_line_triangles(3, indices);
    ASSERT_EQ(indices.size(), 3u * 24);
    for (size_t k = 0; k < indices.size(); ++k) EXPECT_EQ(indices[k] / 9, k / 24) << k;
}

TEST(WideLines, ClipsToTheViewVolumeAsALineIs) {
    // A perspective looking down -z: near plane at z = -1, far at -10.
    const float n = 1, f = 10;
    const float persp[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -(f + n) / (f - n), -1, 0, 0, -2 * f * n / (f - n),
                             0};
    const int viewport[4] = {0, 0, 100, 100};
    const LineSpace s = make_line_space(identity, persp, viewport);
    WideLineMesh m;
    clear_wide_lines(m, false);
    // From behind the eye to in front of the near plane: cut at the plane,
    // the colour taken at the cut.
    const float behind[3] = {0, 0, 1}, front[3] = {0, 0, -3};
    add_wide_line(m, s, behind, front, 2.0f, white, black);
    ASSERT_EQ(m.vertices, 4u);
    for (int k : {0, 1}) EXPECT_NEAR(m.position[4 * k + 2], -m.position[4 * k + 3], 1e-5) << k;
    EXPECT_NEAR(m.colour[0], 0.5f, 1e-5);  // the cut is halfway from z = 1 to z = -3
    // Wholly behind the eye: counted, nothing drawn.
    const float far_behind[3] = {0, 0, 5};
    add_wide_line(m, s, behind, far_behind, 2.0f, white, white);
    EXPECT_EQ(m.vertices, 4u);
    EXPECT_EQ(m.lines, 2);
}

// The batch path runs several lines side by side in vector lanes; the pictures
// depend on it giving the very bits the one-line path gives, clipped lines,
// clamped colours and sub-pixel or negative widths included.
TEST(WideLines, BatchesGiveTheBitsOfOneLineAtATime) {
    const float n = 1, f = 10;
    const float persp[16] = {
        1.2f, 0, 0, 0, 0, 1.7f, 0, 0, 0, 0, -(f + n) / (f - n), -1, 0, 0, -2 * f * n / (f - n), 0};
    const float modelview[16] = {0.8f, 0.6f, 0, 0, -0.6f, 0.8f, 0, 0, 0, 0, 1, 0, 0.3f, -0.2f, -4, 1};
    const int viewport[4] = {0, 0, 1600, 900};
    const LineSpace s = make_line_space(modelview, persp, viewport);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(-6.0f, 6.0f), width(-1.0f, 6.0f), colour(-0.2f, 1.2f);
    std::vector<WideLine> lines(1003);  // not a whole number of batches
    for (WideLine& l : lines) {
        for (int k = 0; k < 3; ++k) l.a[k] = coordinate(random), l.b[k] = coordinate(random);
        l.width = width(random);
        for (int k = 0; k < 4; ++k) l.rgba_a[k] = colour(random), l.rgba_b[k] = colour(random);
    }
    lines[10].b[0] = lines[10].a[0], lines[10].b[1] = lines[10].a[1], lines[10].b[2] = lines[10].a[2];
    for (bool coverage : {false, true}) {
        WideLineMesh one, batch;
        clear_wide_lines(one, coverage);
        clear_wide_lines(batch, coverage);
        for (const WideLine& l : lines) add_wide_line(one, s, l.a, l.b, l.width, l.rgba_a, l.rgba_b);
        add_wide_lines(batch, s, lines.data(), lines.size());
        ASSERT_EQ(batch.vertices, one.vertices);
        ASSERT_EQ(batch.lines, one.lines);
        EXPECT_LT(one.vertices, lines.size() * wide_line_vertices(one));  // some clipped away
        const size_t v = one.vertices;
        EXPECT_EQ(std::memcmp(batch.position.data(), one.position.data(), 16 * v), 0) << coverage;
        EXPECT_EQ(std::memcmp(batch.colour.data(), one.colour.data(), 16 * v), 0) << coverage;
        if (coverage) {
            EXPECT_EQ(std::memcmp(batch.texcoord.data(), one.texcoord.data(), 8 * v), 0);
        }
    }
}

}  // namespace
