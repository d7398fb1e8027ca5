// The sheet drawing's rules: texture choice, fin shading, late strands.
#include <cmath>

#include <gtest/gtest.h>

#include "physics/sheet_draw.h"

TEST(SheetTexture, OutOfRangeChoicesFallBackToFour) {
    for (int style : {0, 1, 2}) EXPECT_EQ(choose_sheet_texture(1, style, 1100), 4) << style;
    EXPECT_EQ(choose_sheet_texture(38, 2, 1100), 4);  // 37
    EXPECT_EQ(choose_sheet_texture(38, 4, 1100), 1);  // 39 remainder 38
    EXPECT_EQ(choose_sheet_texture(1, 3, 1100), 1);
    EXPECT_EQ(choose_sheet_texture(38, 1, 1100), 36);
    EXPECT_EQ(choose_sheet_texture(20, 0, 1100), 17);
}

TEST(SheetTexture, EarlyShowUsesFortyAndTheEndShiftsTheFirstEight) {
    for (int style = 0; style <= 4; style++) {
        EXPECT_EQ(choose_sheet_texture(10, style, 0), 40);
        EXPECT_EQ(choose_sheet_texture(10, style, 1054.9f), 40);
    }
    EXPECT_EQ(choose_sheet_texture(10, 0, 1055), 7);  // 1055 no longer forces 40
    EXPECT_EQ(choose_sheet_texture(10, 0, 1472), 7);  // 1472 does not add 40
    EXPECT_EQ(choose_sheet_texture(10, 0, 1472.1f), 47);
    EXPECT_EQ(choose_sheet_texture(11, 0, 1500), 48);  // 8 is the last shifted
    EXPECT_EQ(choose_sheet_texture(12, 0, 1500), 9);
    EXPECT_EQ(choose_sheet_texture(1, 0, 1500), 44);  // the fallback 4 shifts too
}

TEST(SheetFins, GreyFromTheLightAndCoordinatesAcrossTheSheet) {
    // Facing away from the light direction's y: brighter than the base.
    float up = fin_grey({0, -1, 0});
    EXPECT_EQ(up, static_cast<float>(static_cast<float>(1.9 * 0.5 + 0.63) * 6.3));
    EXPECT_EQ(fin_grey({0, 0, 0}), static_cast<float>(0.63f * 6.3));
    EXPECT_LT(fin_grey({0, 1, 0}), 0.0f);  // left for GL to clamp
    float st[2];
    fin_texture_coords(0, 0, 10, 1002, st);
    EXPECT_EQ(st[0], 0.0f);
    EXPECT_EQ(st[1], 1.0f);
    fin_texture_coords(9, 1001, 10, 1002, st);
    EXPECT_EQ(st[0], 1.0f);
    EXPECT_EQ(st[1], 0.0f);
    fin_texture_coords(3, 500, 10, 1002, st);
    EXPECT_EQ(st[0], static_cast<float>(3.0 / 9));
    EXPECT_EQ(st[1], static_cast<float>(1.0 - 500.0 / 1001));
}

TEST(SheetStrands, LateWidthsThinOutAwayFromTheAnchor) {
    ClothSheet s = copy_sheet(cloth_a);
    s.anchor_offset = {1, -2, 0.5};
    for (int j = 0; j < 1002; j++)
        for (int i = 0; i < 10; i++) {
            Vec3 dir = vec_normalized(cloth_a.rest_state[j].position);
            sheet_particle(s, i, j).position = s.anchor_offset + dir * (0.2 + 0.05 * i);
        }
    StrandSegmentLook root = late_segment_look(s, 0, 0);
    EXPECT_NEAR(root.width, 3.0f, 1e-5);
    EXPECT_NEAR(root.near_rgba[0], 0.0f, 1e-5);
    EXPECT_EQ(root.near_rgba[3], 0.8f);
    // h2 of the far end: 0.05 from the roots, times 3.
    EXPECT_NEAR(root.far_rgba[0], 1.65f * 0.15f, 1e-5);
    StrandSegmentLook mid = late_segment_look(s, 4, 0);
    EXPECT_NEAR(mid.width, 3 - 3 * 0.6f, 1e-5);
    // Beyond 0.2 + 1/3 from the anchor the width is zero or less.
    StrandSegmentLook tip = late_segment_look(s, 7, 0);
    EXPECT_LE(tip.width, 0.0f);
    // The strand index shifts the colours: (c x j) / S.
    StrandSegmentLook last = late_segment_look(s, 0, 1001);
    EXPECT_EQ(last.near_rgba[3] - root.near_rgba[3], (0.2f * 1001.0f) / 1002.0f + 0.8f - 0.8f);
    EXPECT_NEAR(last.near_rgba[2], (0.4f * 1001) / 1002, 1e-5);
    EXPECT_NEAR(last.far_rgba[1], (0.2f * 1001) / 1002 + 1.25f * 0.15f, 1e-5);
}

TEST(SheetStrands, LateColoursTakeEachEndsOwnCoefficients) {
    // A segment away from the roots and off the first strand, so that every
    // coefficient shows: near end 0.3 from the anchor, far end 0.4.
    ClothSheet s = copy_sheet(cloth_a);
    s.anchor_offset = {0, 0, 0};
    const int i = 2, j = 600;
    sheet_particle(s, i, j).position = {0, 0.3, 0};
    sheet_particle(s, i + 1, j).position = {0, 0, -0.4};
    StrandSegmentLook look = late_segment_look(s, i, j);
    const float sf = static_cast<float>(s.columns), jf = static_cast<float>(j);
    const float h1 = (static_cast<float>(0.3) - 0.2f) * 3.0f;
    const float h2 = (static_cast<float>(0.4) - 0.2f) * 3.0f;
    const float a = (0.2f * jf) / sf, b = (0.3f * jf) / sf, c = (0.4f * jf) / sf;
    EXPECT_EQ(look.width, 3.0f - 3.0f * h1);
    const float near_end[4] = {a + 1.25f * h1, b + 1.35f * h1, c + 0.85f * h1, a + 0.8f};
    const float far_end[4] = {c + 1.65f * h2, a + 1.25f * h2, c + 0.85f * h2, a + 0.8f};
    for (int k = 0; k < 4; k++) {
        EXPECT_EQ(look.near_rgba[k], near_end[k]) << k;
        EXPECT_EQ(look.far_rgba[k], far_end[k]) << k;
    }
}
