// The end of the main show through the show's own frame loop: the credits
// appear once demo_time passes 1799 and, once the finale music plays, scroll
// with it, every bar at its row and the picture plate passing by.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include <gtest/gtest.h>

#include "audio/music.h"
#include "driver.h"
#include "render_pixels.h"
#include "scenes/timeline.h"
#include "text/credits.h"

namespace {

constexpr double fps = 10;  // frame k sets demo_time k until the finale

const Rgb bar_outer = rgb_of(120 / 255.0, 35 / 255.0, 109 / 255.0);
const Rgb bar_inner = rgb_of(150 / 255.0, 35 / 255.0, 109 / 255.0);
const Rgb text_unlit = rgb_of(160 / 255.0, 65 / 255.0, 129 / 255.0);
const Rgb text_lit = rgb_of(220 / 255.0, 135 / 255.0, 209 / 255.0);
const Rgb late_clear = rgb_of(0.341, 0.334, 0.34);  // the clear colour after T 1472

long frame_now = 0;

void run_to(long k) {
    // The frames on the way run fast-forwarded; only frame k is drawn.
    driver_fast_forward(true);
    while (frame_now + 5 < k) driver_run_frame(frame_now += 5);
    driver_fast_forward(false);
    if (frame_now < k) driver_run_frame(frame_now = k);
}

// Pixels of a region in any of the credits' own colours.
int credit_coloured(const Picture& p, const Region& r) {
    return count_near(p, r, bar_outer) + count_near(p, r, bar_inner) + count_near(p, r, text_unlit) +
           count_near(p, r, text_lit);
}

// Where line `index` puts its bar for a given offset, in unit coordinates
// (the inner quad; the outer one shows a sliver below and left of it).
Region bar_of(int index, float offset) {
    float b = static_cast<float>(index - 1) * 0.1f;
    double x = index == 0 ? 0.1 : -0.05;
    double y0 = -0.44 + 0.903 - b + offset * 1.001;
    double w = std::strlen(credits_lines[index]) * 36.0 / 1280.0;
    return {x + 0.063, y0, x + 0.063 + w, y0 + 0.092};
}

// The picture plate: 0.22 to 0.78 across, its height 0.56 from the bottom edge.
Region plate_of(float offset) {
    double dy = 1.8 * offset - 3.06;
    return {0.22, 0.5 + 0.56 * dy, 0.78, 1.06 + 0.56 * dy};
}

class Credits : public testing::Test {
  protected:
    static void SetUpTestSuite() { start_show(fps); }
};

TEST_F(Credits, AppearOnceDemoTimePasses1799WithTheTitleAlone) {
    constexpr Region title_bar{0.17, 0.57, 0.6, 0.65};
    run_to(1799);
    ASSERT_EQ(demo_time, 1799.0f);
    Picture before = read_picture();
    dump_picture(before, "credits-1799");
    EXPECT_EQ(credit_coloured(before, whole_picture), 0);

    driver_run_frame(frame_now = 1800);
    ASSERT_GT(demo_time, 1799.0f);
    Picture first = read_picture();
    dump_picture(first, "credits-1800");
    EXPECT_EQ(credits_offset, 0.0f);
    EXPECT_GT(count_near(first, title_bar, bar_inner), count_pixels(first, title_bar) / 4);
    EXPECT_GT(count_near(first, title_bar, text_lit), 200);
    // Nothing else yet: line 8, the next with a bar, is still below the screen.
    constexpr Region below{0, 0, 1, 0.55};
    EXPECT_EQ(credit_coloured(first, below), 0);
}

// Checks every line that lies wholly on the picture: text and blank lines are
// solid bars (no scene between them) of their width, with the scene in the
// narrow gap below; empty lines leave their rows to the scene. Lines behind
// the picture plate are left out.
void expect_lines_at_their_rows(const Picture& p, float offset, const Region& plate) {
    const double px = 1.0 / 720, py = 1.0 / 720;
    for (int index = 0; index < credits_line_count - 1; index++) {
        if (std::strcmp(credits_lines[index], "XD") == 0) continue;
        Region bar = bar_of(index, offset);
        if (std::strlen(credits_lines[index]) == 0) bar.x1 = 1;
        if (bar.y0 < 0.01 || bar.y1 > 0.99) continue;
        if (bar.y1 > plate.y0 - 0.01 && bar.y0 < plate.y1 + 0.01) continue;
        SCOPED_TRACE(testing::Message() << "line " << index << " at offset " << offset);
        Region strip{bar.x0 + 3 * px, bar.y0 + 2 * py, std::min(bar.x1, 1.0) - 3 * px, bar.y1 - 2 * py};
        Region gap{strip.x0, bar.y0 - 0.0065, strip.x1, bar.y0 - 0.0045};
        if (std::strlen(credits_lines[index]) == 0) {
            EXPECT_EQ(count_near(p, strip, bar_inner) + count_near(p, strip, bar_outer), 0);
            continue;
        }
        EXPECT_GT(count_near(p, strip, bar_inner), count_pixels(p, strip) / 4);
        EXPECT_EQ(count_near(p, strip, late_clear, 12), 0);
        EXPECT_EQ(count_near(p, gap, bar_inner) + count_near(p, gap, bar_outer), 0);
        if (bar.x1 < 0.95) {
            Region right{bar.x1 + 0.01, strip.y0, 1, strip.y1};
            EXPECT_EQ(count_near(p, right, bar_inner), 0);
        }
    }
}

// Pixels of a region in neither the credits' colours nor the scene's.
int foreign(const Picture& p, const Region& r) {
    return count_pixels(p, r) - credit_coloured(p, r) - count_near(p, r, late_clear, 6);
}

TEST_F(Credits, ScrollWithTheFinaleBarsAtTheirRowsAndThePlatePassing) {
    // The finale music starts on the first frame that sees T above 1810 and
    // the credits follow it; its first 1.33 s speed the scroll up.
    run_to(1811);
    driver_fast_forward(true);
    while (finale_started == 0 && frame_now < 1830) driver_run_frame(++frame_now);
    driver_fast_forward(false);
    ASSERT_EQ(finale_started, 1);
    run_to(frame_now + 15);
    Picture earlier = read_picture();
    float earlier_offset = credits_offset;
    int plate_frames = 0;
    float plate_from = 0, plate_to = 0;
    for (int n = 1; n <= 80; n++) {
        run_to(frame_now + 5);  // half a second of finale music a frame
        Picture p = read_picture();
        const float offset = credits_offset;
        const Region plate = plate_of(offset);
        char name[32];
        std::snprintf(name, sizeof name, "credits-%02d", n);
        if (n % 10 == 0) dump_picture(p, name);
        expect_lines_at_their_rows(p, offset, plate);

        // The picture's letters, a band across its middle, stand out from the
        // bars and the scene; the same rows beside the plate do not.
        const Region letters{0.27, plate.y0 + 0.56 * 0.36, 0.72, plate.y0 + 0.56 * 0.64};
        if (letters.y0 > 0.02 && letters.y1 < 0.98) {
            SCOPED_TRACE(testing::Message() << "plate at offset " << offset);
            if (plate_frames++ == 0) plate_from = offset;
            plate_to = offset;
            EXPECT_GT(foreign(p, letters), count_pixels(p, letters) * 2 / 5);
            const Region beside{0, letters.y0, 0.2, letters.y1};
            EXPECT_LT(foreign(p, beside), count_pixels(p, beside) / 100);
        }
        if (n % 6 == 0) {
            // Three seconds of finale music lift everything by 0.15 screens.
            EXPECT_NEAR(offset - earlier_offset, 0.15, 1e-3);
            EXPECT_GT(count_changed(earlier, p, whole_picture), count_pixels(p, whole_picture) / 10)
                << "credits still at offset " << offset;
            earlier = p;
            earlier_offset = offset;
        }
    }
    // The plate came into full view, rose and left it again within the run.
    EXPECT_GT(plate_frames, 10);
    EXPECT_GT(plate_to - plate_from, 0.5f);
    EXPECT_GT(credits_offset, plate_to);
}

}  // namespace
