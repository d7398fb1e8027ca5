// The show's text as the viewer sees it, through the show's own frame loop:
// the countdown panel's digits stay in their cells inside the overlay target
// (a lit 1 on the right half of its unlit 8), and every credits line's
// segments stay on its own bar, early and late in the run.
#include <algorithm>
#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/demo_state.h"
#include "driver.h"
#include "render_pixels.h"
#include "text/credits.h"

namespace {

constexpr double fps = 10;  // frame k sets demo_time k until the finale

long frame_now = 0;

void run_to(long k) {
    while (frame_now + 5 < k) driver_run_frame(frame_now += 5);
    if (frame_now < k) driver_run_frame(frame_now = k);
}

bool near(Rgb a, Rgb b, int tolerance = 3) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

class ShowText : public testing::Test {
  protected:
    static void SetUpTestSuite() { start_show(fps); }
};

// --- Countdown panel ----------------------------------------------------------

// Cells of MM:SS:T in the overlay target, columns from the left. The text
// origin sits 0.64 pixels in; a colon's cell ends where the next digit's starts.
struct Cell {
    int x0, x1;
    bool digit;
};
const Cell cells[7] = {{0, 36, true},    {36, 72, true},    {80, 96, false}, {96, 132, true},
                       {132, 168, true}, {176, 192, false}, {192, 228, true}};

// The digits the panel shows for a demo_time (the clock counts down to 1774).
std::vector<int> digits_for(float time) {
    int t = static_cast<int>(1819.0f - (time + 45.0f));
    int m = static_cast<int>(t / 10.0 / 60.0), s = static_cast<int>((t - 600.0 * m) / 10.0);
    int d = t - 10 * s - 600 * m;
    m = std::max(m, 0), s = std::max(s, 0), d = std::max(d, 0);
    return {m / 10, m % 10, s / 10, s % 10, d};
}

// Draws the panel for demo_time `time` (frame `time` sets the clock, the next
// one draws with it) and returns the overlay target.
Picture panel_at(long time, float& drawn) {
    run_to(time);
    drawn = demo_time;
    driver_run_frame(frame_now = time + 1);
    return read_overlay_target();
}

void expect_digits_in_their_cells(const Picture& p, Rgb lit, Rgb unlit, const std::vector<int>& digits) {
    // Nothing lit outside the cells, nothing of the text on the target's edges.
    int stray = 0, on_edge = 0;
    for (int row = 0; row < p.height; row++)
        for (int x = 0; x < p.width; x++) {
            Rgb c = p.at(x, row);
            bool ink = near(c, lit) || near(c, unlit);
            if (!ink) continue;
            on_edge += row < 3 || row >= p.height - 3 || x >= p.width - 3;
            bool in_cell = false;
            for (const Cell& cell : cells) in_cell = in_cell || (x >= cell.x0 && x < cell.x1);
            stray += near(c, lit) && !in_cell;
        }
    EXPECT_EQ(stray, 0) << "lit segments between the cells";
    EXPECT_EQ(on_edge, 0) << "text cut by the target's edge";

    int k = 0;
    for (const Cell& cell : cells) {
        const int mid = (cell.x0 + cell.x1) / 2;
        int lit_left = 0, lit_right = 0, dim = 0;
        for (int row = 0; row < p.height; row++)
            for (int x = cell.x0; x < cell.x1; x++) {
                Rgb c = p.at(x, row);
                if (near(c, lit)) (x < mid ? lit_left : lit_right)++;
                dim += near(c, unlit);
            }
        if (!cell.digit) {
            // A colon: two small marks at the left of its narrow cell.
            EXPECT_GT(lit_left, 4) << "colon at " << cell.x0;
            EXPECT_EQ(lit_right, 0) << "colon at " << cell.x0;
            continue;
        }
        const int digit = digits[static_cast<size_t>(k++)];
        SCOPED_TRACE(testing::Message() << "digit " << digit << " in the cell at " << cell.x0);
        EXPECT_GT(dim, 20) << "the unlit 8 shows around the lit segments";
        if (digit == 1) {
            EXPECT_EQ(lit_left, 0);
            EXPECT_GT(lit_right, 40);
        } else {
            EXPECT_GT(lit_left, 40);
            EXPECT_GT(lit_right, 40);
        }
    }
}

TEST_F(ShowText, CountdownDigitsStayInTheirCellsAndALitOneSitsOnTheRightOfItsEight) {
    const Rgb unlit = rgb_of(0.4, 0.5, 0.3);
    float drawn = 0;
    Picture green = panel_at(1063, drawn);
    dump_picture(green, "font-countdown-green");
    ASSERT_EQ(digits_for(drawn), (std::vector<int>{0, 1, 1, 1, 1})) << "demo_time " << drawn;
    {
        SCOPED_TRACE("green panel, 01:11:1");
        expect_digits_in_their_cells(green, rgb_of(0.4, 1.0, 0.4), unlit, digits_for(drawn));
    }

    Picture magenta = panel_at(1363, drawn);
    dump_picture(magenta, "font-countdown-magenta");
    ASSERT_EQ(digits_for(drawn), (std::vector<int>{0, 0, 4, 1, 1})) << "demo_time " << drawn;
    {
        SCOPED_TRACE("magenta panel, 00:41:1");
        expect_digits_in_their_cells(magenta, rgb_of(220 / 255.0, 135 / 255.0, 209 / 255.0), unlit,
                                     digits_for(drawn));
    }
}

// --- End credits --------------------------------------------------------------

// A line's outer bar in window pixels, y up from the bottom edge, for an offset.
struct Box {
    double x0, y0, x1, y1;
};
Box bar_pixels(int index, float offset) {
    const float b = static_cast<float>(index - 1) * 0.1f;
    const double x = credits_line_x(index, -0.05f);
    const double w = credits_bar_width(static_cast<int>(std::strlen(credits_lines[index])));
    const double y0 = -0.44 + 0.9 - b + offset * 1.001;
    return {(x + 0.06) * 1280, y0 * 720, (x + 0.06 + 1.001 * w) * 1280, (y0 + 0.094) * 720};
}

bool text_line(int index) {
    const char* line = credits_lines[index];
    return index != credits_line_count - 1 && std::strcmp(line, "XD") != 0 &&
           std::strspn(line, " ") != std::strlen(line);
}

// Every pixel of the credits' text colours lies on the bar of a text line
// (half a pixel of slack for the bar's edges), each text line on the screen
// shows lit segments, and the segments of neighbouring lines keep apart.
void expect_text_on_its_bars(const Picture& p, float offset) {
    const Rgb lit = rgb_of(220 / 255.0, 135 / 255.0, 209 / 255.0);
    const Rgb unlit = rgb_of(160 / 255.0, 65 / 255.0, 129 / 255.0);
    std::vector<int> lit_count(credits_line_count, 0), top(credits_line_count, -1),
        bottom(credits_line_count, 100000);
    int outside = 0, first_x = -1, first_y = -1;
    for (int row = 0; row < p.height; row++)
        for (int x = 0; x < p.width; x++) {
            const Rgb c = p.at(x, row);
            const bool is_lit = near(c, lit);
            if (!is_lit && !near(c, unlit)) continue;
            const double px = x + 0.5, py = p.height - row - 0.5;
            int owner = -1;
            for (int i = 0; i < credits_line_count && owner < 0; i++) {
                if (!text_line(i)) continue;
                const Box bar = bar_pixels(i, offset);
                if (px > bar.x0 - 0.5 && px < bar.x1 + 0.5 && py > bar.y0 - 0.5 && py < bar.y1 + 0.5)
                    owner = i;
            }
            if (owner < 0) {
                if (outside++ == 0) first_x = x, first_y = row;
                continue;
            }
            lit_count[static_cast<size_t>(owner)] += is_lit;
            top[static_cast<size_t>(owner)] = std::max(top[static_cast<size_t>(owner)], static_cast<int>(py));
            bottom[static_cast<size_t>(owner)] =
                std::min(bottom[static_cast<size_t>(owner)], static_cast<int>(py));
        }
    EXPECT_EQ(outside, 0) << "text off its bar, first at column " << first_x << ", row " << first_y
                          << " from the top";
    int previous = -1, checked = 0;
    for (int i = 0; i < credits_line_count; i++) {
        if (!text_line(i)) continue;
        const Box bar = bar_pixels(i, offset);
        if (bar.y0 < 2 || bar.y1 > p.height - 2 || bar.x0 > p.width) continue;
        checked++;
        EXPECT_GT(lit_count[static_cast<size_t>(i)], 10) << "line " << i << " shows no text";
        if (previous >= 0 && previous == i - 1) {
            EXPECT_GE(bottom[static_cast<size_t>(previous)] - top[static_cast<size_t>(i)], 4)
                << "lines " << previous << " and " << i << " touch";
        }
        previous = i;
    }
    EXPECT_GT(checked, 0) << "no text line on the screen at offset " << offset;
}

TEST_F(ShowText, EveryCreditsLineKeepsItsTextOnItsBarEarlyAndLate) {
    // The credits draw from demo_time 1800 on; until the finale music starts
    // (at 1811) their own clock stands still, so each frame can be given an
    // offset of its own through the scroll it derives the offset from.
    run_to(1799);
    // offset: the title alone; the credits with their parentheses; a long run;
    // the last lines, where the text sits highest on its bar.
    const float offsets[] = {0.0f, 2.4f, 10.5f, 37.4f, 38.3f};
    long k = 1800;
    for (float offset : offsets) {
        SCOPED_TRACE(testing::Message() << "offset " << offset);
        credits_scroll = offset * 15.0f;
        driver_run_frame(frame_now = k++);
        ASSERT_LT(frame_now, 1811);
        ASSERT_NEAR(credits_offset, offset, 1e-4);
        Picture p = read_picture();
        dump_picture(p, "font-credits-" + std::to_string(static_cast<int>(offset * 10)));
        expect_text_on_its_bars(p, credits_offset);
    }
}

}  // namespace
