// The countdown panel as the show renders it every frame into the overlay
// target: green up to demo_time 1300, magenta strictly above, and the same
// panel reaching the picture through the closing sequence's tile.
#include <gtest/gtest.h>

#include "audio/music.h"
#include "core/demo_state.h"
#include "driver.h"
#include "render_pixels.h"

namespace {

constexpr double fps = 1000;  // a frame moves demo_time by 0.01

struct Palette {
    Rgb outer, inner, unlit, lit;
};
const Palette green{rgb_of(0.24, 0.34, 0.14), rgb_of(0.34, 0.54, 0.24), rgb_of(0.4, 0.5, 0.3),
                    rgb_of(0.4, 1.0, 0.4)};
const Palette magenta{rgb_of(120 / 255.0, 35 / 255.0, 109 / 255.0),
                      rgb_of(150 / 255.0, 35 / 255.0, 109 / 255.0), rgb_of(0.4, 0.5, 0.3),
                      rgb_of(220 / 255.0, 135 / 255.0, 209 / 255.0)};

long frame_now = 0;

void run_to(long k) {
    // The frames on the way run fast-forwarded; only frame k is drawn.
    driver_fast_forward(true);
    while (frame_now + 500 < k) driver_run_frame(frame_now += 500);
    driver_fast_forward(false);
    if (frame_now < k) driver_run_frame(frame_now = k);
}

// Runs the frame that draws with demo_time `tenths` (a whole 0.01): the frame
// before it sets the clock. Returns the demo_time it drew with.
float draw_at(double tenths) {
    long k = static_cast<long>(tenths * fps / 10 + 0.5);
    run_to(k);
    float drawn = demo_time;
    driver_run_frame(frame_now = k + 1);
    return drawn;
}

// The panel in one palette and none of the other's own colours.
void expect_panel_in(const Picture& panel, const Palette& on, const Palette& off, const char* when) {
    SCOPED_TRACE(when);
    const int all = count_pixels(panel, whole_picture);
    EXPECT_GT(count_near(panel, whole_picture, on.inner), all / 3);
    EXPECT_GT(count_near(panel, whole_picture, on.lit), 200);
    EXPECT_GT(count_near(panel, whole_picture, on.unlit), 50);
    // The outer quad shows along the bottom edge, under the inner one.
    EXPECT_GT(count_near(panel, Region{0.05, 0, 0.95, 0.02}, on.outer), 150);
    EXPECT_EQ(count_near(panel, whole_picture, off.inner), 0);
    EXPECT_EQ(count_near(panel, whole_picture, off.lit), 0);
}

class Countdown : public testing::Test {
  protected:
    static void SetUpTestSuite() { start_show(fps); }
};

TEST_F(Countdown, PanelIsGreenUpTo1300AndMagentaAbove) {
    driver_run_frame(0);
    Picture first = read_overlay_target();
    dump_picture(first, "countdown-0");
    expect_panel_in(first, green, magenta, "T 0");

    ASSERT_EQ(draw_at(1300.0), 1300.0f);
    Picture at_switch = read_overlay_target();
    dump_picture(at_switch, "countdown-1300");
    expect_panel_in(at_switch, green, magenta, "T 1300 exactly");

    ASSERT_GT(draw_at(1300.01), 1300.0f);
    Picture above = read_overlay_target();
    dump_picture(above, "countdown-1300.01");
    expect_panel_in(above, magenta, green, "just above T 1300");
}

// Sums of the red and green channels over a region.
void channel_sums(const Picture& p, const Region& r, long& red, long& green_sum) {
    red = green_sum = 0;
    for (int row = 0; row < p.height; row++)
        for (int x = 0; x < p.width; x++) {
            double ux = (x + 0.5) / p.width, uy = 1.0 - (row + 0.5) / p.height;
            if (ux < r.x0 || ux >= r.x1 || uy < r.y0 || uy >= r.y1) continue;
            Rgb c = p.at(x, row);
            red += c.r;
            green_sum += c.g;
        }
}

TEST_F(Countdown, ClosingSequenceTileShowsThePanelInThePicture) {
    // The tile's resting pose puts it in the upper left corner of the view.
    constexpr Region tile{0.075, 0.905, 0.19, 0.96};
    const Rgb clear = rgb_of(220 / 255.0, 135 / 255.0, 209 / 255.0);  // between T 1180 and 1472
    draw_at(1305.0);
    Picture before = read_picture();
    EXPECT_EQ(count_away(before, tile, clear, 3), 0);
    // "&" parks the animated panel in its resting pose over the scene.
    driver_queue_press((frame_now + 1) / fps, '&');
    draw_at(1310.0);
    ASSERT_EQ(demo.sequence_mode, 1);
    Picture after = read_picture();
    dump_picture(after, "countdown-tile");
    // The tile draws unlit: the panel's own magenta fills it at full strength
    // (its lit text shares the clear colour, so only the panel body is counted).
    EXPECT_GT(count_near(after, tile, rgb_of(150 / 255.0, 35 / 255.0, 109 / 255.0), 24),
              count_pixels(after, tile) / 3);
    long red = 0, green_sum = 0;
    channel_sums(after, tile, red, green_sum);
    EXPECT_GT(red, green_sum);
}

}  // namespace
