// The shipped show, played with its own storyboard: a frame from the middle of
// each section holds more than the clear colour.
#include <cstdlib>

#include <gtest/gtest.h>

#include <string>

#include "app/frame.h"
#include "audio/music.h"
#include "driver.h"
#include "render_pixels.h"

namespace {

struct Section {
    const char* name;
    double seconds;
};

// Midpoints of the sections the music and the scene timeline share.
constexpr Section sections[] = {
    {"title", 12},   {"lattice", 27},    {"torus", 35},    {"main body", 60}, {"web and trail", 95},
    {"bridge", 115}, {"countdown", 130}, {"flashes", 150}, {"climax", 170},
};

}  // namespace

TEST(ShippedShow, NoSectionMidpointIsABlankClearColour) {
    DriverOptions o;
    const char* src = std::getenv("TANGLE_SOURCE_DIR");
    o.data_dir = std::string(src ? src : "..") + "/data";
    // Ten frames a second keeps the sheets' physics close to what the show
    // does at full frame rate, at a tenth of the cost.
    o.fps = 10;
    o.seed = 1;
    driver_start(o);
    long k = 0;
    for (const Section& s : sections) {
        long target = static_cast<long>(s.seconds * o.fps);
        // Every frame runs, as in the show; only the midpoint is drawn.
        driver_fast_forward(true);
        for (; k < target; k++) driver_run_frame(k);
        driver_fast_forward(false);
        driver_run_frame(k++);
        Picture p = read_picture();
        dump_picture(p, std::string("section-") + s.name);
        float clear[3];
        choose_clear_colour(demo_time, clear);
        int away = count_away(p, whole_picture, rgb_of(clear[0], clear[1], clear[2]), 12);
        EXPECT_GT(away, count_pixels(p, whole_picture) / 50) << s.name << " at " << s.seconds << " s";
    }
}
