// Slow frames: a frame's sheet motion split into steps the integrator
// survives, while frames at ordinary rates keep their one step bit for bit.
#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include <limits>

#include "physics/cloth.h"
#include "physics_oracle.h"

namespace {

bool same_bits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Anchors that swing and turn with the music, as the show's commands and
// noise move them; `rate` is the frame_step, so the path per second of
// music is the same at every frame rate.
void move_anchor(ClothSheet& s, int frame, float rate) {
    double a = frame * 0.05 * rate;
    s.anchor_offset = {0.6 * std::sin(a), 0.45 * std::cos(a * 1.3), 0.3 * std::sin(a * 0.7)};
    s.anchor_spin = static_cast<float>(frame * 0.031 * rate);
    s.anchor_tilt = static_cast<float>(0.5 * std::sin(a * 0.4));
}

// The farthest particle from the sheet's anchor; infinite once any is not finite.
double farthest_from_anchor(const ClothSheet& s) {
    double far = 0;
    for (const Particle& p : s.particles) {
        double d = vec_length(p.position - s.anchor_offset);
        if (!std::isfinite(d)) return std::numeric_limits<double>::infinity();
        far = std::max(far, d);
    }
    return far;
}

}  // namespace

TEST(SheetSubsteps, OrdinaryFramesAreOneStepOfTheUsualLength) {
    for (float f : {0.0f, 0.25f, 0.5f, 1.0f, 1.37f, 1.9999999f, sheet_step_bound, -0.5f, -40.0f}) {
        SheetSubsteps s = split_sheet_step(f);
        EXPECT_EQ(s.count, 1) << f;
        EXPECT_TRUE(same_bits(s.dt, sheet_step_length(f))) << f;
    }
    EXPECT_EQ(split_sheet_step(std::numeric_limits<float>::quiet_NaN()).count, 1);
}

TEST(SheetSubsteps, SlowFramesSplitIntoTheFewestEqualStepsWithinTheBound) {
    const float bound_dt = sheet_step_length(sheet_step_bound);
    for (float f :
         {std::nextafter(sheet_step_bound, 3.0f), 2.5f, 4.0f, 4.0001f, 6.0f, 7.5f, 13.3f, 31.9f, 32.0f}) {
        SheetSubsteps s = split_sheet_step(f);
        SCOPED_TRACE(f);
        EXPECT_EQ(s.count, static_cast<int>(std::ceil(f / sheet_step_bound)));
        EXPECT_LE(s.dt, bound_dt);
        // Together they cover the frame (to the rounding of one float step).
        EXPECT_NEAR(s.dt * s.count, sheet_step_length(f), 1e-5 * f);
    }
    SheetSubsteps at_4fps = split_sheet_step(7.5f);
    EXPECT_EQ(at_4fps.count, 4);
    EXPECT_TRUE(same_bits(at_4fps.dt, sheet_step_length(1.875f)));
    // A hitch of several seconds: the sheets take the most steps and let the rest go.
    for (float f : {33.0f, 300.0f, std::numeric_limits<float>::infinity()}) {
        SheetSubsteps s = split_sheet_step(f);
        EXPECT_EQ(s.count, sheet_max_substeps) << f;
        EXPECT_TRUE(same_bits(s.dt, bound_dt)) << f;
    }
}

TEST(SheetSubsteps, FramesWithinTheBoundMatchTheReferenceBitForBit) {
    ClothSheet s = copy_sheet(cloth_b);
    OracleSheet o = oracle_copy(s);
    for (int f = 0; f < 80; f++) {
        float frame_step = 1.0f + 0.999f * static_cast<float>(std::sin(f * 0.61));  // up to the bound
        move_anchor(s, f, 1.0f);
        oracle_take_inputs(o, s);
        step_sheet_for_frame(s, frame_step);
        oracle_step(o, sheet_step_length(frame_step));
        place_roots(s);
        oracle_place_roots(o);
        ASSERT_EQ(oracle_first_difference(o, s), -1) << "frame " << f << ", frame_step " << frame_step;
    }
}

// A frame of several steps keeps each block of strands in its vectors from
// one step to the next; it must end in the bits of the same steps taken one
// call at a time, on every vector width.
TEST(SheetSubsteps, SeveralStepsInOneCallGiveTheBitsOfOneAtATime) {
    for (int width : {8, 4, 2}) {
        if (limit_vector_width(width) != width) continue;  // not on this processor
        ClothSheet framed = copy_sheet(cloth_a), stepped = copy_sheet(cloth_a);
        for (int f = 0; f < 12; f++) {
            const float frame_step = 1.5f + static_cast<float>(f % 5);  // 2 to 6 steps
            move_anchor(framed, f, frame_step);
            move_anchor(stepped, f, frame_step);
            place_roots(framed);
            place_roots(stepped);
            step_sheet_for_frame(framed, frame_step);
            const SheetSubsteps steps = split_sheet_step(frame_step);
            for (int k = 0; k < steps.count; k++) step_sheet(stepped, steps.dt);
        }
        ASSERT_EQ(framed.particles.size(), stepped.particles.size());
        for (size_t k = 0; k < framed.particles.size(); k++)
            ASSERT_EQ(std::memcmp(&framed.particles[k], &stepped.particles[k], sizeof(Particle)), 0)
                << "particle " << k << " (" << width << " doubles a vector)";
    }
    limit_vector_width(8);
}

TEST(SheetSubsteps, SheetsStayWholeAtFourFramesPerSecond) {
    // One step of 7.5 frames blows the strands apart within a few frames; the
    // strands are 0.44 long from the anchor, and swinging anchors drag them
    // somewhat farther, never a whole unit.
    for (ClothSheet* built : {&cloth_a, &cloth_b}) {
        ClothSheet s = copy_sheet(*built);
        double far = 0;
        for (int f = 0; f < 120; f++) {
            move_anchor(s, f, 7.5f);
            place_roots(s);
            step_sheet_for_frame(s, 7.5f);
            far = std::max(far, farthest_from_anchor(s));
            ASSERT_LT(far, 1.2) << "frame " << f;
        }
    }
}
