// The capture report's framing measure on synthetic pictures: where the drawn
// subject's centre lands, what counts as drawn, and when a frame is empty.
#include <gtest/gtest.h>

#include <vector>

#include "framing.h"

namespace {

constexpr int W = 160, H = 90;
const int grey[3] = {113, 111, 113};

struct Canvas {
    std::vector<unsigned char> rgb;
    Canvas() : rgb(W * H * 3) {
        for (int i = 0; i < W * H; i++)
            for (int c = 0; c < 3; c++) rgb[i * 3 + c] = static_cast<unsigned char>(grey[c]);
    }
    // Fills x0 <= x < x1, y0 <= row < y1 (row 0 at the top).
    Canvas& fill(int x0, int y0, int x1, int y1, int r, int g, int b) {
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++) {
                unsigned char* p = &rgb[(y * W + x) * 3];
                p[0] = static_cast<unsigned char>(r), p[1] = static_cast<unsigned char>(g),
                p[2] = static_cast<unsigned char>(b);
            }
        return *this;
    }
    Framing measure(const FramingRules& rules = FramingRules{}) const {
        return measure_framing(rgb, W, H, grey, rules);
    }
};

}  // namespace

TEST(Framing, AnEmptyPictureHasNoSubjectAndIsMostlyClear) {
    Framing f = Canvas().measure();
    EXPECT_EQ(f.drawn_share, 0);
    EXPECT_FALSE(f.framed);
    EXPECT_TRUE(f.mostly_clear);
    EXPECT_LT(f.centre_x, 0);
    EXPECT_LT(f.centre_y, 0);
}

TEST(Framing, TheCentreIsTheCentroidOfTheDrawnPixelsWithRowsCountedFromTheTop) {
    // A block in the middle: framed, centre at the middle.
    Framing mid = Canvas().fill(60, 30, 100, 60, 0, 0, 0).measure();
    EXPECT_TRUE(mid.framed);
    EXPECT_FALSE(mid.mostly_clear);
    EXPECT_NEAR(mid.centre_x, 0.5, 1e-9);
    EXPECT_NEAR(mid.centre_y, 0.5, 1e-9);
    EXPECT_NEAR(mid.drawn_share, 40.0 * 30 / (W * H), 1e-9);

    // The same block near the top left corner: a sliver in a corner is not framed.
    Framing corner = Canvas().fill(0, 0, 30, 20, 0, 0, 0).measure();
    EXPECT_FALSE(corner.framed);
    EXPECT_NEAR(corner.centre_x, 15.0 / W, 1e-9);
    EXPECT_NEAR(corner.centre_y, 10.0 / H, 1e-9);

    // Low in the picture only: x is central, y is not.
    Framing low = Canvas().fill(60, 75, 100, 90, 255, 255, 255).measure();
    EXPECT_NEAR(low.centre_x, 0.5, 1e-9);
    EXPECT_GT(low.centre_y, 0.75);
    EXPECT_FALSE(low.framed);

    // A big subject in the centre with a small caption in a corner still reads framed.
    Framing captioned =
        Canvas().fill(50, 25, 110, 65, 0, 0, 0).fill(150, 85, 160, 90, 255, 255, 255).measure();
    EXPECT_TRUE(captioned.framed);
}

TEST(Framing, TheCentralHalfIncludesItsEdges) {
    // One drawn column at x = 40 (pixel centre 40.5 / 160 = 0.253) and one at 39 (0.247).
    FramingRules rules;
    EXPECT_TRUE(Canvas().fill(40, 30, 41, 60, 0, 0, 0).measure(rules).framed);
    EXPECT_FALSE(Canvas().fill(39, 30, 40, 60, 0, 0, 0).measure(rules).framed);
    // Rows: the row whose centre is 0.75 of the height exactly (row 67 of 90 is 0.7500) counts.
    EXPECT_TRUE(Canvas().fill(60, 67, 100, 68, 0, 0, 0).measure(rules).framed);
    EXPECT_FALSE(Canvas().fill(60, 68, 100, 69, 0, 0, 0).measure(rules).framed);
}

TEST(Framing, APixelIsDrawnWhenAnyChannelLeavesTheTolerance) {
    FramingRules rules;
    rules.tolerance = 24;
    // Exactly at the tolerance, on every channel and in both directions: still clear.
    Canvas near_clear;
    near_clear.fill(0, 0, W / 2, H, grey[0] + 24, grey[1] - 24, grey[2] + 24);
    near_clear.fill(W / 2, 0, W, H, grey[0] - 24, grey[1] + 24, grey[2] - 24);
    EXPECT_EQ(near_clear.measure(rules).drawn_share, 0);
    // One level beyond on the blue channel alone: drawn.
    Framing blue = Canvas().fill(60, 30, 100, 60, grey[0], grey[1], grey[2] + 25).measure(rules);
    EXPECT_NEAR(blue.drawn_share, 40.0 * 30 / (W * H), 1e-9);
    EXPECT_TRUE(blue.framed);
}

TEST(Framing, MostlyClearIsASubjectBelowTheMinimumShareWhereverItStands) {
    FramingRules rules;
    rules.drawn_share_min = 0.03;
    // 2 % of the picture in the middle: framed but still an empty-looking frame.
    int small = W * H * 2 / 100;  // 288 pixels: 24 x 12
    ASSERT_EQ(small, 24 * 12);
    Framing tiny = Canvas().fill(68, 39, 92, 51, 0, 0, 0).measure(rules);
    EXPECT_TRUE(tiny.framed);
    EXPECT_TRUE(tiny.mostly_clear);
    // 4 %: no longer mostly clear.
    Framing enough = Canvas().fill(64, 36, 96, 54, 0, 0, 0).measure(rules);
    EXPECT_NEAR(enough.drawn_share, 32.0 * 18 / (W * H), 1e-9);
    EXPECT_FALSE(enough.mostly_clear);
    // A picture covered all over: centre in the middle, nothing clear.
    Framing full = Canvas().fill(0, 0, W, H, 0, 0, 0).measure(rules);
    EXPECT_EQ(full.drawn_share, 1);
    EXPECT_NEAR(full.centre_x, 0.5, 1e-9);
    EXPECT_NEAR(full.centre_y, 0.5, 1e-9);
    EXPECT_TRUE(full.framed);
}

TEST(Framing, APictureShorterThanItsSizeIsMeasuredAsEmptyNotRead) {
    std::vector<unsigned char> short_rgb(W * H * 3 - 1, 0);
    Framing f = measure_framing(short_rgb, W, H, grey);
    EXPECT_FALSE(f.framed);
    EXPECT_TRUE(f.mostly_clear);
    EXPECT_FALSE(measure_framing({}, 0, 0, grey).framed);
}

TEST(Framing, TheTallyCountsFramedAndMostlyClearFramesApart) {
    FramingTally t;
    tally_framing(t, Canvas().fill(60, 30, 100, 60, 0, 0, 0).measure());  // framed, full
    tally_framing(t, Canvas().fill(0, 0, 30, 20, 0, 0, 0).measure());     // corner, 4 % drawn
    tally_framing(t, Canvas().measure());                                 // empty
    EXPECT_EQ(t.frames, 3);
    EXPECT_EQ(t.framed, 1);
    EXPECT_EQ(t.mostly_clear, 1);
}
