// The pure rules of the captions: countdown caption texts, the storyboard
// ticker's slot, the tile grid's counters and the animated panel's stages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/demo_state.h"
#include "scenes/captions.h"
#include "sync/storyboard.h"
#include "text/font.h"

namespace {

std::string caption_at(float time) {
    char text[text_buffer_size];
    int n = caption_countdown_value(time);
    format_text(text, caption_countdown_format(n), n);
    return text;
}

}  // namespace

TEST(CaptionCountdown, TextsByTenthsLeft) {
    EXPECT_EQ(caption_countdown_value(0), 1800);
    EXPECT_EQ(caption_countdown_value(248.5f), 1551);  // truncated toward zero
    EXPECT_EQ(caption_at(0), "1800\n");
    EXPECT_EQ(caption_at(248), "1552\n");
    EXPECT_EQ(caption_at(249), "1551X");
    EXPECT_EQ(caption_at(648), "1152X");
    EXPECT_EQ(caption_at(649), "(39)1151");
    EXPECT_EQ(caption_at(698), "(39)1102");
    EXPECT_EQ(caption_at(699), "dF1101");
    EXPECT_EQ(caption_at(1248), "dF552");
    EXPECT_EQ(caption_at(1700), " YOU GET WHAT YOU DESERVED...");
    EXPECT_EQ(caption_at(1801), " YOU GET WHAT YOU DESERVED...");
}

TEST(CaptionCountdown, ThirtyFourSpacesOnlyAt550And551) {
    for (int n = 540; n < 560; n++) {
        std::string format = caption_countdown_format(n);
        bool spaced = format == std::string(34, ' ') + "%d\n";
        EXPECT_EQ(spaced, n == 550 || n == 551) << n;
    }
}

TEST(CaptionCountdown, ShownOutsideTheGapUntilTheFinale) {
    EXPECT_TRUE(captions_running(0, 1199.9f, 0));
    EXPECT_FALSE(captions_running(0, 1200, 0));
    EXPECT_FALSE(captions_running(0, 1600, 0));
    EXPECT_TRUE(captions_running(0, 1600.1f, 0));
    EXPECT_FALSE(captions_running(0, 1700, 1));
    EXPECT_FALSE(captions_running(2, 100, 0));
}

TEST(Ticker, MovesAtLeastOneSlotPerFrameAndOverDueEvents) {
    // Slots: 0..4 consumed, then events at 10 s, 20 s, then empty slots.
    std::vector<float> times(40, storyboard_empty_time);
    for (int k = 0; k < 5; k++) times[k] = storyboard_consumed;
    times[5] = 10;
    times[6] = 20;
    int index = advance_ticker_index(0, times.data(), 40, 50);  // T 50: 5 s
    EXPECT_EQ(index, 5);  // passes the consumed ones, stops at the first not due
    index = advance_ticker_index(index, times.data(), 40, 50);
    EXPECT_EQ(index, 6);  // one slot on although nothing became due
    index = advance_ticker_index(1, times.data(), 40, 250);
    EXPECT_EQ(index, 7);  // both events due: on to the first empty slot
    index = advance_ticker_index(index, times.data(), 40, 250);
    EXPECT_EQ(index, 8);
}

TEST(Ticker, StopsAtTheTableEndWithoutReadingPastIt) {
    // Every slot due: the search runs to the end. The table is exactly
    // `capacity` long so that a read past it trips the address sanitizer.
    const int capacity = 33;
    std::vector<float> times(capacity, storyboard_consumed);
    std::vector<char> keys(capacity, 'a');
    int index = advance_ticker_index(0, times.data(), capacity, 1e9f);
    EXPECT_EQ(index, capacity);
    EXPECT_EQ(advance_ticker_index(index, times.data(), capacity, 1e9f), capacity);
    EXPECT_EQ(advance_ticker_index(capacity - 1, times.data(), capacity, 0), capacity);
    // Near the end the column shows empty slots where the table has none.
    EXPECT_EQ(ticker_key(keys.data(), capacity, capacity - 1), 'a');
    EXPECT_EQ(ticker_key(keys.data(), capacity, capacity), storyboard_empty_key);
    EXPECT_EQ(ticker_key(keys.data(), capacity, capacity + 29), storyboard_empty_key);
}

TEST(Ticker, DimsToHalfAtTheEnds) {
    EXPECT_FLOAT_EQ(ticker_brightness(0), 1.0f);
    EXPECT_FLOAT_EQ(ticker_brightness(-30), 0.5f);
    EXPECT_NEAR(ticker_brightness(29), 1 - 29 / 60.0, 1e-6);
    EXPECT_FLOAT_EQ(ticker_brightness(-6), ticker_brightness(6));
}

TEST(TileGrid, GrowsToSeventeenColumnsThenEmptiesFromTheLeft) {
    int frames = 0, columns = 0, full = 0, shift = 0;
    auto shown = [&] { return std::max(0, columns - (shift - 6)); };
    for (int f = 1; f <= 6; f++) advance_tile_grid(frames, columns, full, shift);
    EXPECT_EQ(shown(), 6);  // before the first multiple of 7: columns -6 to -1
    advance_tile_grid(frames, columns, full, shift);
    EXPECT_EQ(columns, 1);
    EXPECT_EQ(shown(), 7);
    for (int f = 8; f <= 77; f++) advance_tile_grid(frames, columns, full, shift);
    EXPECT_EQ(columns, 11);
    EXPECT_EQ(full, 0);
    EXPECT_EQ(shown(), 17);
    for (int f = 78; f <= 84; f++) advance_tile_grid(frames, columns, full, shift);
    EXPECT_EQ(columns, 11);  // the 12th column is refused: full, one gone on the left
    EXPECT_EQ(full, 1);
    EXPECT_EQ(shift, 1);
    EXPECT_EQ(shown(), 16);
    for (int f = 85; f <= 84 + 7 * 16; f++) advance_tile_grid(frames, columns, full, shift);
    EXPECT_EQ(shown(), 0);
    EXPECT_EQ(shift, 17);
    EXPECT_EQ(frames, 84 + 7 * 16);
}

TEST(PanelSequence, ParkedSwingPauseAndReturn) {
    reset_demo_state();
    sequence_wait = 0;
    PanelPose parked = step_panel_sequence(500);  // not started (1e10)
    EXPECT_FLOAT_EQ(parked.offset[0], 0.5f);
    EXPECT_FLOAT_EQ(parked.offset[1], -0.15f);
    EXPECT_FLOAT_EQ(parked.angles[2], 180);

    demo.sequence_start = 1000;
    PanelPose half = step_panel_sequence(1030);  // u 0.5: eased to 0.75
    EXPECT_FLOAT_EQ(half.angles[0], 135);
    EXPECT_FLOAT_EQ(half.offset[0], 0.5f * 0.25f + 2.4f * 0.75f);
    PanelPose end1 = step_panel_sequence(1070);  // u past 1: held at 1
    EXPECT_EQ(demo.sequence_stage1, 1);
    EXPECT_FLOAT_EQ(end1.offset[0], 2.4f);
    EXPECT_FLOAT_EQ(end1.offset[1], -1.35f);
    EXPECT_FLOAT_EQ(end1.offset[2], 2.35f);

    for (int frame = 1; frame <= 10; frame++) {
        PanelPose held = step_panel_sequence(1070 + frame);
        EXPECT_FLOAT_EQ(held.offset[0], 2.4f);
        EXPECT_EQ(demo.sequence_stage2, 0);
    }
    step_panel_sequence(1081);  // the 11th frame of the pause marks the time
    EXPECT_EQ(demo.sequence_stage2, 1);
    EXPECT_FLOAT_EQ(demo.sequence_mark, 1081);

    PanelPose half2 = step_panel_sequence(1111);  // w 0.5: f 0.25
    EXPECT_FLOAT_EQ(half2.angles[1], 135);
    EXPECT_FLOAT_EQ(half2.offset[0], 4 * 0.25f + 2.4f * 0.75f);
    PanelPose done = step_panel_sequence(1200);
    EXPECT_EQ(demo.sequence_stage3, 1);
    EXPECT_FLOAT_EQ(done.offset[0], 4);
    EXPECT_FLOAT_EQ(done.offset[1], -2.15f);
    EXPECT_FLOAT_EQ(done.offset[2], 1);
    EXPECT_FLOAT_EQ(done.angles[0], 0);

    // A restart after the first run skips the pause: the wait is never reset.
    demo.sequence_start = 2000;
    demo.sequence_stage1 = demo.sequence_stage2 = demo.sequence_stage3 = 0;
    step_panel_sequence(2070);
    step_panel_sequence(2071);
    EXPECT_EQ(demo.sequence_stage2, 1);
    reset_demo_state();
}

TEST(PanelSequence, FrozenClockAtTheStartLeavesThePanelParked) {
    reset_demo_state();
    demo.sequence_start = 1811;  // started while T stands at 1811
    PanelPose pose = step_panel_sequence(1811);
    EXPECT_FLOAT_EQ(pose.offset[2], 0.5f);
    EXPECT_EQ(demo.sequence_stage1, 0);
    reset_demo_state();
}
