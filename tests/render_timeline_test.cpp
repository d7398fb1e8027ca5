// The main show's time windows as they reach the picture, through the show's
// own frame loop: the clear colour alone at the start, the title plate and the
// wire torus strictly inside their windows, and the lattice switch hiding the
// sheets while the cloud and plates go on.
//
// At 1000 frames per music second each frame moves demo_time by 0.01, so the
// frame after the one whose update reached a time draws exactly that time.
#include <gtest/gtest.h>

#include <cstdio>

#include "app/demo_state.h"
#include "audio/music.h"
#include "driver.h"
#include "render_pixels.h"

namespace {

constexpr double fps = 1000;
const Rgb first_clear = rgb_of(0.4433, 0.4342, 0.442);
// The title plate's image at size 3 (0.38 wide, centred) and the torus's reach.
constexpr Region plate_centre{0.35, 0.42, 0.65, 0.58};

long frame_now = 0;

// Runs frames up to `k`, half a second of music at most per frame, so the
// physics never take one huge step.
void run_to(long k) {
    while (frame_now + 500 < k) driver_run_frame(frame_now += 500);
    if (frame_now < k) driver_run_frame(frame_now = k);
}

// The scene target of the frame that draws with demo_time `tenths`: the
// frame before it sets the clock. Times on a whole 0.01 are met exactly where
// the music position is a whole number of samples (every tenth of a second).
Picture scene_at(double tenths) {
    long k = static_cast<long>(tenths * fps / 10 + 0.5);
    run_to(k);
    EXPECT_NEAR(demo_time, tenths, 1e-3);
    if (k % 10 == 0) {
        EXPECT_EQ(demo_time, static_cast<float>(tenths));
    }
    driver_run_frame(frame_now = k + 1);
    Picture p = read_scene_target();
    char name[32];
    std::snprintf(name, sizeof name, "timeline-%.2f", tenths);
    dump_picture(p, name);
    return p;
}

class Timeline : public testing::Test {
protected:
    static void SetUpTestSuite() { start_show(fps); }
};

TEST_F(Timeline, FirstFrameIsTheClearColourAlone) {
    driver_run_frame(0);
    EXPECT_EQ(demo_time, 0.0f);
    Picture p = read_picture();
    dump_picture(p, "timeline-first");
    EXPECT_EQ(count_away(p, whole_picture, first_clear, 2), 0);
    EXPECT_EQ(count_away(read_scene_target(), whole_picture, first_clear, 2), 0);
}

// Pixels of the plate's middle that the plate (or anything) changed.
int plate_pixels(double tenths) { return count_away(scene_at(tenths), plate_centre, first_clear, 6); }

TEST_F(Timeline, TitlePlateShowsStrictlyInsideItsWindow) {
    ASSERT_EQ(lattice_switch, 0);  // the plates show without the lattice
    const int all = count_pixels(Picture{1600, 900, {}}, plate_centre);
    // A few cloud points may cross the middle; the plate covers it.
    EXPECT_LT(plate_pixels(60.0), all / 50) << "at T 60 exactly";
    EXPECT_GT(plate_pixels(60.01), all / 2) << "just after T 60";
    EXPECT_GT(plate_pixels(189.99), all / 2) << "just before T 190";
    EXPECT_LT(plate_pixels(190.0), all / 50) << "at T 190 exactly";
}

TEST_F(Timeline, WireTorusShowsStrictlyInsideItsWindow) {
    // The cloud alone leaves about a thousand points; the torus's wires cross
    // the whole picture.
    auto changed = [](double tenths) { return count_away(scene_at(tenths), whole_picture, first_clear, 6); };
    EXPECT_LT(changed(330.0), 5000) << "at T 330 exactly";
    EXPECT_GT(changed(330.01), 100000) << "just after T 330";
    EXPECT_GT(changed(374.99), 100000) << "just before T 375";
    EXPECT_LT(changed(375.0), 5000) << "at T 375 exactly";
}

TEST_F(Timeline, LatticeSwitchHidesTheSheetsButNotTheCloud) {
    // The same music moment drawn three times: off, on, off again.
    constexpr Region middle{0.3, 0.2, 0.7, 0.8};
    const Rgb dark{40, 40, 40};  // the black-inked sheets and sphere over grey
    Picture off = scene_at(400.0);
    lattice_switch = 1;
    driver_run_frame(frame_now);
    Picture on = read_scene_target();
    dump_picture(on, "timeline-lattice-on");
    lattice_switch = 0;
    driver_run_frame(frame_now);
    Picture off_again = read_scene_target();

    EXPECT_GT(count_near(on, middle, dark, 40), 5000);
    EXPECT_EQ(count_near(off, whole_picture, dark, 40), 0);
    EXPECT_EQ(count_near(off_again, whole_picture, dark, 40), 0);
    // The captions at the bottom go with the lattice.
    constexpr Region captions{0.1, 0.0, 0.5, 0.2};
    EXPECT_GT(count_away(on, captions, first_clear, 30), count_away(off, captions, first_clear, 30) + 100);
    // The cloud's bright points stay.
    const Rgb bright{255, 255, 255};
    EXPECT_GT(count_near(off_again, whole_picture, bright, 100), 100);
}

}  // namespace
