// The shipped show, frame for frame: at seven moments across the show (30
// frames a second, seed 1, the shipped storyboard) the composed picture must
// be byte-identical to the reference taken from a build that drew every frame
// (tests/frames/reference.txt, made by tests/frames/make_reference.sh). Here
// the frames in between are only stepped, so this also proves that stepping
// leaves the show, and the GL state its pictures depend on, as drawing does.
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <zlib.h>

#include "app/frame.h"
#include "driver.h"
#include "render_pixels.h"

namespace {

constexpr double fps = 30;

struct Reference {
    long frame;
    unsigned long crc;  // CRC-32 of the 1280 x 720 RGB picture, top row first
};

std::vector<Reference> read_references() {
    std::vector<Reference> refs;
    const char* src = std::getenv("TANGLE_SOURCE_DIR");
    std::ifstream in(std::string(src ? src : "..") + "/tests/frames/reference.txt");
    std::string line;
    while (std::getline(in, line)) {
        Reference r{};
        if (line.empty() || line[0] == '#') continue;
        if (std::sscanf(line.c_str(), "%ld %lx", &r.frame, &r.crc) == 2) refs.push_back(r);
    }
    return refs;
}

}  // namespace

TEST(ShippedShow, PicturesMatchTheReferenceAtSevenMoments) {
    const std::vector<Reference> refs = read_references();
    ASSERT_EQ(refs.size(), 7u) << "tests/frames/reference.txt is missing or short";
    DriverOptions o;
    const char* src = std::getenv("TANGLE_SOURCE_DIR");
    o.data_dir = std::string(src ? src : "..") + "/data";
    o.fps = fps;
    o.seed = 1;
    driver_start(o);
    long first = 0;
    for (const Reference& r : refs) {
        const long k = r.frame;
        driver_run_to(first, k);
        first = k + 1;
        Picture p = read_picture();
        unsigned long crc = crc32(0L, p.rgb.data(), static_cast<uInt>(p.rgb.size()));
        EXPECT_EQ(crc, r.crc) << "frame " << k << " (" << k / fps << " s)";
        if (crc != r.crc) dump_picture(p, "show-frame-" + std::to_string(k));
    }
}
