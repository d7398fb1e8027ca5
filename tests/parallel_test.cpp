// The helper thread: every half of every job runs exactly once and is done
// before the job returns, failures reach the caller, and the sheets stepped
// side by side end in the bits of one after the other.
#include "core/parallel.h"

#include <cstring>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "physics/cloth.h"

TEST(Halves, EveryHalfRunsOnceAndIsDoneBeforeTheJobReturns) {
    // Jobs of very different lengths, so that some second halves are taken
    // by the helper and some by the caller after its own half.
    std::vector<int> runs(2 * 3000, 0);
    for (int job = 0; job < 3000; job++) {
        const int spin = (job * 7919) % 400;
        run_halves([&](int half) {
            volatile int sink = 0;
            for (int k = 0; k < (half == 0 ? spin : 400 - spin); k++) sink = sink + k;
            runs[2 * job + half]++;
        });
        ASSERT_EQ(runs[2 * job], 1) << "job " << job;
        ASSERT_EQ(runs[2 * job + 1], 1) << "job " << job;
    }
}

TEST(Halves, FailuresReachTheCallerAfterBothHalvesAndNestedJobsRunInline) {
    for (int failing = 0; failing < 2; failing++) {
        int done = 0;
        EXPECT_THROW(run_halves([&](int half) {
                         if (half == failing) throw std::runtime_error("half");
                         done++;
                     }),
                     std::runtime_error);
        EXPECT_EQ(done, 1);
    }
    int inner = 0;
    run_halves([&](int) { run_halves([&](int) { __atomic_add_fetch(&inner, 1, __ATOMIC_RELAXED); }); });
    EXPECT_EQ(inner, 4);
}

TEST(Halves, SheetsSteppedSideBySideEndInTheBitsOfOneAfterTheOther) {
    ClothSheet apart[2] = {copy_sheet(cloth_a), copy_sheet(cloth_b)};
    ClothSheet alone[2] = {copy_sheet(cloth_a), copy_sheet(cloth_b)};
    for (int f = 0; f < 40; f++) {
        const float frame_step = 1.0f + static_cast<float>(f % 4);
        for (ClothSheet* s : {&apart[0], &apart[1], &alone[0], &alone[1]}) {
            s->anchor_spin = 0.05f * static_cast<float>(f);
            place_roots(*s);
        }
        run_halves([&](int half) { step_sheet_for_frame(apart[half], frame_step); });
        for (ClothSheet& s : alone) step_sheet_for_frame(s, frame_step);
    }
    for (int k = 0; k < 2; k++)
        for (size_t p = 0; p < alone[k].particles.size(); p++)
            ASSERT_EQ(std::memcmp(&apart[k].particles[p], &alone[k].particles[p], sizeof(Particle)), 0)
                << "sheet " << k << " particle " << p;
}
