// The helper thread: every part of every job runs exactly once and is done
// before the job returns, failures reach the caller, and the sheets stepped
// side by side end in the bits of one after the other.
#include "core/parallel.h"

#include <cstring>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "physics/cloth.h"

// The helper takes parts wherever there are two processors.
class Parts : public ::testing::Test {
  protected:
    void SetUp() override { before = use_helper_thread(HelperUse::always); }
    void TearDown() override { use_helper_thread(before); }
    HelperUse before = HelperUse::spare;
};

TEST_F(Parts, EveryPartRunsOnceAndIsDoneBeforeTheJobReturns) {
    // Jobs of 1 to 9 parts of very different lengths, so that parts fall to
    // either thread in every order, and jobs follow each other closely.
    for (int job = 0; job < 3000; job++) {
        const int count = 1 + job % 9;
        std::vector<int> runs(static_cast<size_t>(count), 0);
        run_parts(count, [&](int part) {
            volatile int sink = 0;
            for (int k = 0; k < (job * 7919 + part * 104729) % 300; k++) sink = sink + k;
            runs[static_cast<size_t>(part)]++;
        });
        for (int part = 0; part < count; part++)
            ASSERT_EQ(runs[static_cast<size_t>(part)], 1) << "job " << job << " part " << part;
    }
}

TEST_F(Parts, FailuresReachTheCallerAfterEveryPartAndNestedJobsRunInline) {
    int done = 0;
    try {
        run_parts(6, [&](int part) {
            if (part == 2 || part == 4) throw std::runtime_error(part == 2 ? "two" : "four");
            __atomic_add_fetch(&done, 1, __ATOMIC_RELAXED);
        });
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "two");  // the lowest part's
    }
    EXPECT_EQ(done, 4);
    int inner = 0;
    run_parts(2, [&](int) { run_parts(3, [&](int) { __atomic_add_fetch(&inner, 1, __ATOMIC_RELAXED); }); });
    EXPECT_EQ(inner, 6);
}

TEST_F(Parts, SheetsSteppedSideBySideEndInTheBitsOfOneAfterTheOther) {
    ClothSheet apart[2] = {copy_sheet(cloth_a), copy_sheet(cloth_b)};
    ClothSheet alone[2] = {copy_sheet(cloth_a), copy_sheet(cloth_b)};
    for (int f = 0; f < 40; f++) {
        const float frame_step = 1.0f + static_cast<float>(f % 4);
        for (ClothSheet* s : {&apart[0], &apart[1], &alone[0], &alone[1]}) {
            s->anchor_spin = 0.05f * static_cast<float>(f);
            place_roots(*s);
        }
        run_parts(2, [&](int sheet) { step_sheet_for_frame(apart[sheet], frame_step); });
        for (ClothSheet& s : alone) step_sheet_for_frame(s, frame_step);
    }
    for (int k = 0; k < 2; k++)
        for (size_t p = 0; p < alone[k].particles.size(); p++)
            ASSERT_EQ(std::memcmp(&apart[k].particles[p], &alone[k].particles[p], sizeof(Particle)), 0)
                << "sheet " << k << " particle " << p;
}
