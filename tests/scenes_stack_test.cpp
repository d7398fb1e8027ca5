// The 32-entry model-view stack rule and the steady state it gives the show.
#include <gtest/gtest.h>

#include "scenes/matrix_stack.h"

namespace {
FrameShape lattice_frame() {
    FrameShape shape;
    shape.lattice = true;
    shape.burst_draws = true;
    return shape;
}

FrameShape flash_frame() {
    FrameShape shape;
    shape.flashes = true;
    shape.pulse_e_draws = true;
    shape.flare_a_draws = true;
    shape.flare_b_draws = true;
    return shape;
}

bool has(unsigned entry, unsigned mark) { return (entry & mark) != 0; }
}  // namespace

TEST(StackModel, FullStackIgnoresSavesAndRestoresKeepTheLastEntry) {
    StackModel stack;
    stack_reset(stack);
    stack_restore(stack);
    EXPECT_EQ(stack.depth, 1);
    for (int k = 0; k < 40; ++k) stack_save(stack);
    EXPECT_EQ(stack.depth, 32);
    EXPECT_EQ(stack.ignored_saves, 9);
    // An ignored save's restore removes the entry below it.
    stack_apply(stack, mark_lattice);
    stack_save(stack);
    stack_apply(stack, mark_own);
    EXPECT_EQ(stack_top(stack), mark_lattice | mark_own);
    stack_restore(stack);
    EXPECT_EQ(stack.depth, 31);
    EXPECT_EQ(stack_top(stack), 0u);
}

TEST(StackModel, DriverSurplusIsFilledDownToThirtyTwo) {
    EXPECT_EQ(stack_filler_count(32), 0);
    EXPECT_EQ(stack_filler_count(16), 0);
    EXPECT_EQ(stack_filler_count(33), 1);
    EXPECT_EQ(stack_filler_count(1024), 992);
}

TEST(StackSteadyState, FirstFourteenFramesLoseNothingThenTheStackSettles) {
    StackModel stack;
    stack_reset(stack);
    FrameMarks marks;
    for (int frame = 1; frame <= 14; ++frame) {
        EXPECT_EQ(stack.depth, 2 * frame - 1) << frame;
        replay_main_frame(stack, lattice_frame(), marks);
        EXPECT_EQ(stack.ignored_saves, 0) << frame;
        EXPECT_TRUE(has(marks.at[item_styled_b], mark_lattice)) << frame;
    }
    for (int frame = 15; frame <= 60; ++frame) {
        replay_main_frame(stack, lattice_frame(), marks);
        EXPECT_EQ(stack.depth, 29) << frame;
    }
    EXPECT_GT(stack.ignored_saves, 0);
}

TEST(StackSteadyState, LatticeItemsAfterTheAnchorSphereLoseTheLatticeTransform) {
    StackModel stack;
    stack_reset(stack);
    FrameMarks marks;
    for (int frame = 0; frame < 30; ++frame) replay_main_frame(stack, lattice_frame(), marks);
    EXPECT_TRUE(has(marks.at[item_sheets], mark_lattice));
    EXPECT_TRUE(has(marks.at[item_anchor_sphere], mark_lattice));
    for (FrameItem item : {item_styled_b, item_cloth_a_style4, item_burst}) {
        EXPECT_TRUE(marks.drawn[item]);
        EXPECT_FALSE(has(marks.at[item], mark_lattice)) << item;
        EXPECT_TRUE(has(marks.at[item], mark_global_scale)) << item;
    }
    EXPECT_TRUE(has(marks.at[item_cloud], mark_global_scale));
}

TEST(StackSteadyState, FrameStartingWithThirtyOneEntriesKeepsTheScaleForTheFirstFlashOnly) {
    StackModel stack;
    stack_reset(stack);
    for (int k = 1; k < 31; ++k) stack_save(stack);
    FrameMarks marks;
    FrameShape shape = flash_frame();
    shape.pulse_e_draws = false;  // its nested saves would cost one more entry
    replay_main_frame(stack, shape, marks);
    EXPECT_TRUE(has(marks.at[item_pulse_d], mark_global_scale));
    for (FrameItem item :
         {item_pulse_b, item_pulse_a, item_pulse_c, item_flare_a, item_flare_b, item_cloud}) {
        EXPECT_TRUE(marks.drawn[item]);
        EXPECT_FALSE(has(marks.at[item], mark_global_scale)) << item;
        EXPECT_TRUE(has(marks.at[item], mark_camera)) << item;
    }
}

TEST(StackSteadyState, SettledFlashFramesKeepTheScaleButPulseELosesItsOwnScaling) {
    StackModel stack;
    stack_reset(stack);
    FrameMarks marks;
    for (int frame = 0; frame < 30; ++frame) replay_main_frame(stack, flash_frame(), marks);
    EXPECT_EQ(stack.depth, 29);
    for (int item = item_pulse_d; item <= item_cloud; ++item) {
        EXPECT_TRUE(has(marks.at[item], mark_global_scale)) << item;
    }
    // Its inner save is ignored, so its restore takes pulse e's own entry.
    EXPECT_FALSE(has(marks.at[item_pulse_e], mark_own));
}
