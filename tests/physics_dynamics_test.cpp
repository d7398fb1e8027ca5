// Sheet dynamics: the core, the stretch limit, springs, root placement, the
// step length, pinned tips, and step_sheet against the plain reference.
#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "physics/cloth.h"
#include "physics_oracle.h"

namespace {

// Two free particles joined by one spring, outside any sheet.
struct Pair {
    Particle a, b;
    Spring s;
    Pair(double length, float rest) {
        a.mass = b.mass = 9.3f;
        b.position = {length, 0, 0};
        s = {&a, &b, 120.0f, 3.1f, rest};
    }
};

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

TEST(SheetCore, HardCoreThrowsParticlesOutToTheSoftCoreRadius) {
    ClothSheet s = copy_sheet(cloth_a);
    Particle& p = sheet_particle(s, 5, 7);
    p.position = {0.03, -0.04, 0.05};
    p.velocity = {0.5, -0.25, 1.0};
    Particle& q = sheet_particle(s, 5, 8);
    q.position = {0, 0, 0};
    q.velocity = {0.125, 0, -2};
    Particle& r = sheet_particle(s, 5, 9);  // just outside the single-precision 0.1
    r.position = {0.10000001, 0, 0};
    Particle& u = sheet_particle(s, 5, 10);  // the double 0.1 is still inside it
    u.position = {0, 0.1, 0};
    compute_forces(s);
    EXPECT_NEAR(vec_length(p.position), static_cast<double>(0.2f), 1e-15);
    EXPECT_NEAR(vec_dot(vec_normalized(p.position), vec_normalized({0.03, -0.04, 0.05})), 1.0, 1e-15);
    EXPECT_EQ(p.velocity.x, -0.5);
    EXPECT_EQ(p.velocity.y, 0.25);
    EXPECT_EQ(p.velocity.z, -1.0);
    // The origin has no direction: the particle stays, its velocity still turns.
    EXPECT_EQ(vec_length(q.position), 0.0);
    EXPECT_EQ(q.velocity.x, -0.125);
    EXPECT_EQ(q.velocity.z, 2.0);
    EXPECT_EQ(r.position.x, 0.10000001);
    EXPECT_EQ(u.position.y, static_cast<double>(0.2f));
    // A pinned root inside the core is left where it is.
    Particle& root = sheet_particle(s, 0, 3);
    root.position = {0.01, 0, 0};
    compute_forces(s);
    EXPECT_EQ(root.position.x, 0.01);
}

TEST(SheetCore, SoftCorePushesOnlyFreeParticlesInside) {
    ClothSheet s = copy_sheet(cloth_a);
    for (Particle& p : s.particles) p.force = {};
    Particle& inside = sheet_particle(s, 4, 0);
    inside.position = {0.15, 0, 0};
    Particle& root = sheet_particle(s, 0, 0);
    root.position = {0.15, 0, 0};
    push_from_core(s);
    EXPECT_NEAR(inside.force.x, 0.2 * 1.02 * 1.2, 1e-8);
    EXPECT_EQ(inside.force.y, 0.0);
    EXPECT_EQ(vec_length(root.force), 0.0);
    // Built particles lie at 0.2 and beyond: only the soft core's edge matters.
    EXPECT_EQ(vec_length(sheet_particle(s, 1, 1).force), 0.0);
}

TEST(SheetStretch, LongSpringsComeBackToTheAllowance) {
    {
        Pair p(1.009, 1.0f);  // within 1 %: left alone
        limit_stretch(p.s, 1);
        EXPECT_EQ(p.a.position.x, 0.0);
        EXPECT_EQ(p.b.position.x, 1.009);
    }
    {
        Pair p(1.03, 1.0f);  // both ends free: each moves 0.01
        limit_stretch(p.s, 1);
        EXPECT_NEAR(p.a.position.x, 0.01, 1e-12);
        EXPECT_NEAR(p.b.position.x, 1.02, 1e-12);
        EXPECT_NEAR(p.b.position.x - p.a.position.x, 1.01, 1e-12);
    }
    {
        Pair p(1.03, 1.0f);  // one end pinned: the other still moves only half
        p.a.flags |= particle_pin_bit;
        limit_stretch(p.s, 1);
        EXPECT_EQ(p.a.position.x, 0.0);
        EXPECT_NEAR(p.b.position.x, 1.02, 1e-12);
    }
    {
        Pair p(1.03, 1.0f);  // a larger allowance keeps it
        limit_stretch(p.s, 5);
        EXPECT_EQ(p.b.position.x, 1.03);
    }
    {
        Pair p(0.5, 1.0f);  // short springs are not pushed apart
        limit_stretch(p.s, 1);
        EXPECT_EQ(p.b.position.x, 0.5);
    }
}

TEST(SheetSprings, ForceAlongTheSpringAndNothingForCoincidentEnds) {
    Pair p(1.5, 1.0f);
    apply_spring(p.s);
    // Stretched by 0.5 at stiffness 120: 60 pulling the ends together.
    EXPECT_EQ(p.b.force.x, -60.0);
    EXPECT_EQ(p.a.force.x, 60.0);
    EXPECT_EQ(p.a.force.y, 0.0);
    // Separating ends are pulled harder: damping 3.1 x relative speed.
    Pair q(1.0, 1.0f);
    q.b.velocity = {2, 0, 0};
    apply_spring(q.s);
    EXPECT_NEAR(q.b.force.x, -6.2, 1e-6);
    Pair c(0.0, 1.0f);
    c.b.velocity = {1, 1, 1};
    apply_spring(c.s);
    EXPECT_EQ(vec_length(c.a.force) + vec_length(c.b.force), 0.0);
}

TEST(SheetNormals, PermutedSegmentDirectionsAndCopiedEdges) {
    ClothSheet s = copy_sheet(cloth_b);
    compute_normals(s);
    for (int j : {1, 500, 1000}) {
        Vec3 d = sheet_particle(s, 3, j).position - sheet_particle(s, 4, j).position;
        Vec3 n = vec_normalized({-d.y, d.z, static_cast<double>(static_cast<float>(d.x))});
        EXPECT_EQ(std::memcmp(&n, &sheet_particle(s, 4, j).normal, sizeof n), 0);
        EXPECT_EQ(std::memcmp(&sheet_particle(s, 0, j).normal, &sheet_particle(s, 1, j).normal, sizeof n), 0);
        EXPECT_EQ(std::memcmp(&sheet_particle(s, 9, j).normal, &sheet_particle(s, 8, j).normal, sizeof n), 0);
    }
    EXPECT_EQ(std::memcmp(&sheet_particle(s, 4, 0).normal, &sheet_particle(s, 4, 1).normal, sizeof(Vec3)), 0);
    EXPECT_EQ(
        std::memcmp(&sheet_particle(s, 4, 1001).normal, &sheet_particle(s, 4, 1000).normal, sizeof(Vec3)), 0);
    for (int i : {0, 9})
        for (int j : {0, 1001}) EXPECT_NEAR(vec_length(sheet_particle(s, i, j).normal), 1.0, 1e-15);
}

TEST(SheetRoots, ZeroAnchorsRestoreTheBuiltRoots) {
    ClothSheet s = copy_sheet(cloth_a);
    for (int k = 0; k < 3; k++) step_sheet(s, 0.1f);
    Particle tip = sheet_particle(s, 9, 0);
    place_roots(s);
    for (int j = 0; j < 1002; j++) {
        const Particle& p = sheet_particle(s, 0, j);
        const Particle& built = cloth_a.rest_state[j];
        ASSERT_EQ(p.position.x, static_cast<double>(static_cast<float>(built.position.x)));
        ASSERT_EQ(p.position.y, static_cast<double>(static_cast<float>(built.position.y)));
        ASSERT_EQ(p.position.z, static_cast<double>(static_cast<float>(built.position.z)));
        ASSERT_EQ(std::memcmp(&p.velocity, &built.velocity, sizeof(Vec3)), 0);
        ASSERT_EQ(vec_length(p.force), 0.0);
    }
    EXPECT_EQ(std::memcmp(&tip, &sheet_particle(s, 9, 0), sizeof tip), 0);
}

TEST(SheetRoots, SpinTiltAndOffsetMoveTheRoots) {
    ClothSheet s = copy_sheet(cloth_a);
    s.anchor_spin = static_cast<float>(M_PI / 2);
    s.anchor_offset = {1, 2, 3};
    place_roots(s);
    const Vec3 built = cloth_a.rest_state[10].position;
    const Vec3 p = sheet_particle(s, 0, 10).position;
    EXPECT_NEAR(p.x, 1 - built.y, 1e-6);
    EXPECT_NEAR(p.y, 2 + built.x, 1e-6);
    EXPECT_NEAR(p.z, 3 + built.z, 1e-6);
    EXPECT_EQ(p.x, static_cast<double>(static_cast<float>(p.x)));
    // A tilt of a half turn mirrors x and (applied twice) leaves y; z flips twice.
    ClothSheet t = copy_sheet(cloth_a);
    t.anchor_tilt = static_cast<float>(M_PI);
    place_roots(t);
    const Vec3 q = sheet_particle(t, 0, 10).position;
    EXPECT_NEAR(q.x, -built.x, 1e-6);
    EXPECT_NEAR(q.y, -built.y, 1e-6);
    EXPECT_NEAR(q.z, built.z, 1e-6);
}

TEST(SheetPins, PinnedTipsFreezeAndMoveAgainOnceUnpinned) {
    ClothSheet s = copy_sheet(cloth_a);
    pin_last_row(s, true);
    Vec3 frozen = sheet_particle(s, 9, 42).position;
    for (int k = 0; k < 5; k++) {
        step_sheet(s, 0.1f);
        place_roots(s);
    }
    EXPECT_EQ(std::memcmp(&frozen, &sheet_particle(s, 9, 42).position, sizeof frozen), 0);
    pin_last_row(s, false);
    step_sheet(s, 0.1f);
    EXPECT_NE(std::memcmp(&frozen, &sheet_particle(s, 9, 42).position, sizeof frozen), 0);
}

TEST(SheetStep, StepLengthIsTheFloatTenthOfFrameStep) {
    EXPECT_EQ(sheet_step_length(1.0f), 0.1f);
    EXPECT_TRUE(same_bits(sheet_step_length(1.0f), 0.10000000149011612));
    EXPECT_EQ(sheet_step_length(2.0f), 0.2f);
    EXPECT_EQ(sheet_step_length(0.0f), 0.0f);
}

TEST(SheetStep, SinglePassesMatchTheReference) {
    ClothSheet s = copy_sheet(cloth_a);
    OracleSheet o = oracle_copy(s);
    for (int k = 0; k < 4; k++) {
        step_sheet(s, 0.1f);
        oracle_step(o, 0.1f);
    }
    EXPECT_EQ(oracle_first_difference(o, s), -1);
}

// Many frames with changing step lengths, anchors, spins, tilts and pins;
// the sheet must stay identical to the reference in every bit, and the run
// must reach the core, the stretch limit and pinned springs.
class SheetStepWidths : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        if (limit_vector_width(GetParam()) != GetParam()) GTEST_SKIP() << "no vectors of that width here";
    }
    void TearDown() override { limit_vector_width(8); }
};

TEST_P(SheetStepWidths, FramesWithMovingAnchorsMatchTheReferenceBitForBit) {
    oracle_hits = {};
    for (ClothSheet* built : {&cloth_a, &cloth_b}) {
        ClothSheet s = copy_sheet(*built);
        OracleSheet o = oracle_copy(s);
        const int frames = built == &cloth_a ? 300 : 120;
        for (int f = 0; f < frames; f++) {
            float frame_step =
                1.0f + 0.9f * static_cast<float>(std::sin(f * 0.37)) + (f % 17 == 0 ? 2.5f : 0.0f);
            double a = f * 0.05;
            s.anchor_offset = {0.6 * std::sin(a), 0.45 * std::cos(a * 1.3), 0.3 * std::sin(a * 0.7)};
            s.anchor_spin = static_cast<float>(f * 0.031);
            s.anchor_tilt = static_cast<float>(std::sin(f * 0.02));
            if (f == 60) pin_last_row(s, true);
            if (f == 150) pin_last_row(s, false);
            oracle_take_inputs(o, s);
            float dt = sheet_step_length(frame_step);
            step_sheet(s, dt);
            oracle_step(o, dt);
            if (f % 9 != 4) {  // some frames end without placing the roots
                place_roots(s);
                oracle_place_roots(o);
            }
            int diff = oracle_first_difference(o, s);
            ASSERT_EQ(diff, -1) << "frame " << f;
        }
    }
    EXPECT_GT(oracle_hits.hard_core, 0);
    EXPECT_GT(oracle_hits.core_push, 0);
    EXPECT_GT(oracle_hits.stretched, 0);
    EXPECT_GT(oracle_hits.pinned_stretch, 0);
}

INSTANTIATE_TEST_SUITE_P(Vectors, SheetStepWidths, ::testing::Values(8, 4, 2), [](const auto& info) {
    return info.param == 8 ? "Avx512" : info.param == 4 ? "Avx2" : "Sse2";
});
