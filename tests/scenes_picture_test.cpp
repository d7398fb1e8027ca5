// The main show's schedule in the picture: what shows at the edges of its windows.
//
// The frame driver runs the show at 10 frames per second, so frame k reads the
// music at k / 10 s and its update sets T = k; the timeline of the next frame
// sees that T. Running a frame twice at the same k shows the timeline exactly
// T = k. The tests share one show and must run in the order written.
#include <cstdlib>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/music.h"
#include "core/demo_state.h"
#include "driver.h"

namespace {

struct Rgb {
    int r, g, b;
};

std::vector<unsigned char> picture;
long next_frame = 0;

// Runs the show up to frame `k` and then once more, so that the timeline of
// the frame read back sees T = k.
void show_at(long k) {
    for (; next_frame <= k; ++next_frame) driver_run_frame(next_frame);
    driver_run_frame(k);
    ASSERT_EQ(demo_time, static_cast<float>(k));
    driver_read_scene_target(picture);
}

Rgb pixel(int x, int y) {
    const unsigned char* p = &picture[(static_cast<size_t>(y) * 1600 + x) * 3];
    return {p[0], p[1], p[2]};
}

// Pixels of the box (x0, y0)-(x1, y1) that stand out from the background.
int count_marked(int x0, int y0, int x1, int y1, bool (*marked)(Rgb)) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += marked(pixel(x, y));
    return n;
}

// The grey clear colour of the first part of the show.
bool off_background(Rgb c) {
    return std::abs(c.r - 113) > 24 || std::abs(c.g - 111) > 24 || std::abs(c.b - 113) > 24;
}
// The lit segments of the title images.
bool pinkish(Rgb c) { return c.r > c.g + 40 && c.b > c.g + 40; }

int marked_everywhere(bool (*marked)(Rgb)) { return count_marked(0, 0, 1600, 900, marked); }
// Where the sheets hang: the middle of the scene.
int marked_in_middle() { return count_marked(650, 300, 950, 600, off_background); }

class ShowPicture : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        DriverOptions options;
        const char* source = std::getenv("TANGLE_SOURCE_DIR");
        options.data_dir = std::string(source ? source : "..") + "/data";
        options.fps = 10;
        options.seed = 3;
        options.storyboard = "/dev/null";  // no commands: the timeline's own windows only
        driver_start(options);
    }
};

}  // namespace

TEST_F(ShowPicture, FirstFrameIsTheClearColourAlone) {
    driver_run_frame(0);
    next_frame = 1;
    driver_read_scene_target(picture);
    EXPECT_EQ(marked_everywhere(off_background), 0);
    Rgb c = pixel(800, 450);
    EXPECT_NEAR(c.r, 113, 1);
    EXPECT_NEAR(c.g, 111, 1);
    EXPECT_NEAR(c.b, 113, 1);
}

TEST_F(ShowPicture, TitlePlateShowsStrictlyBetween60And190) {
    show_at(60);
    EXPECT_EQ(marked_everywhere(pinkish), 0);
    int cloud = marked_everywhere(off_background);
    EXPECT_GT(cloud, 0);  // the cloud's points are out from T 40
    show_at(61);
    EXPECT_GT(marked_everywhere(pinkish), 1000);
    show_at(189);
    EXPECT_GT(marked_everywhere(pinkish), 1000);
    show_at(190);
    EXPECT_EQ(marked_everywhere(pinkish), 0);
}

TEST_F(ShowPicture, WithoutTheLatticeSwitchNoSheetShows) {
    // The switch is off unless a command turns it on; the middle holds only
    // the odd cloud point, while the switch turned on fills it with strands.
    for (long t : {250L, 300L}) {
        show_at(t);
        EXPECT_LT(marked_in_middle(), 1000) << t;
        EXPECT_GT(marked_everywhere(off_background), 0) << t;
    }
    demo.lattice_switch = 1;
    show_at(310);
    EXPECT_GT(marked_in_middle(), 20000);
    demo.lattice_switch = 0;
}

TEST_F(ShowPicture, WireTorusShowsStrictlyBetween330And375) {
    show_at(330);
    int points_only = marked_everywhere(off_background);
    show_at(331);
    int with_torus = marked_everywhere(off_background);
    EXPECT_GT(with_torus, 10 * points_only + 10000);
    show_at(374);
    EXPECT_GT(marked_everywhere(off_background), 10 * points_only + 10000);
    show_at(375);
    EXPECT_LT(marked_everywhere(off_background), 3 * points_only + 100);
}
