// Many moments of the show, frame for frame: the title plates, early and late
// strands, textured and styled sheets, the cube, the glow pulses, bursts, the
// bridge and the links, the flashes, every closing-sequence variant, the
// captions and ticker, the end credits and the hidden part. At each moment
// (30 frames a second, seed 1, the shipped storyboard; the hidden part typed
// in after the finale) the composed picture and the scene target must be
// byte-identical to tests/frames/moments.txt, taken from a build whose
// pictures are known good. ctest runs it on Mesa's softpipe, whose pictures
// depend only on the state drawn (llvmpipe's also on the frames it drew
// before, which stepping changes); the table was taken there. With
// TANGLE_FRAMES_RECORD set to a file, the test writes that table there
// instead of comparing.
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include <zlib.h>

#include "app/frame.h"
#include "core/demo_state.h"
#include "core/parallel.h"
#include "driver.h"
#include "render_pixels.h"

namespace {

constexpr double fps = 30;

// Frames of the shipped show (seconds × 30); see the storyboard data/keys.dat
// for the commands that lead to each.
constexpr long show_moments[] = {
    300,   // title plate
    453,   // title plate with the second image flickering over it
    660,   // early strands, sheet B as cube (style 1)
    870,   // sheets textured (fins), early
    930,   // style 2
    1020,  // wire torus
    1170,  // style 3
    1500,  // textured again, glow sphere
    1605,  // burst
    2100,  // late strands, burst
    2580,  // glow pulses
    2880,  // fins, late
    3450,  // bridge growing
    3630,  // closing sequence mode 3, parked panel
    3870,  // mode 4
    3900,  // links
    3990,  // textured, links
    4110,  // mode 0
    4500,  // flashes
    4830,  // mode 1 started, panel swinging
    4950,  // mode 1, stage 2
    5070,  // mode 2, the tile grid
    5235,  // mode 4 again
    5310,  // mode 1 not started
    5700,  // end credits
    6300,  // credits with the picture plate
    6900,  // late credits
};

// The hidden part: its code typed one key a frame after the finale.
constexpr long hidden_code_frame = 5490;
constexpr char hidden_code[] = "glowg";
constexpr long hidden_moments[] = {5550, 5700};

struct Shot {
    unsigned long picture, scene;
};

unsigned long crc_of(const Picture& p) { return crc32(0L, p.rgb.data(), static_cast<uInt>(p.rgb.size())); }

std::string source_dir() {
    const char* src = std::getenv("TANGLE_SOURCE_DIR");
    return src ? src : "..";
}

// Runs one show to each moment in turn (stepping the frames in between that
// no drawn frame depends on) and returns the CRCs at each.
std::map<long, Shot> run_show(const std::vector<long>& moments, bool hidden) {
    DriverOptions o;
    o.data_dir = source_dir() + "/data";
    o.fps = fps;
    o.seed = 1;
    driver_start(o);
    if (hidden)
        for (int k = 0; hidden_code[k]; k++)
            driver_queue_press(static_cast<double>(hidden_code_frame + k) / fps,
                               static_cast<unsigned char>(hidden_code[k]));
    std::map<long, Shot> shots;
    long first = 0;
    for (long k : moments) {
        driver_run_to(first, k);
        first = k + 1;
        Picture p = read_picture();
        Picture s = read_scene_target();
        shots[k] = {crc_of(p), crc_of(s)};
        dump_picture(p, std::string(hidden ? "hidden-" : "show-") + std::to_string(k));
    }
    if (hidden) {
        EXPECT_EQ(demo.hidden_part_on, 1) << "the code did not open the hidden part";
    }
    return shots;
}

struct Reference {
    std::string run;
    long frame;
    Shot shot;
};

std::vector<Reference> read_references() {
    std::vector<Reference> refs;
    std::ifstream in(source_dir() + "/tests/frames/moments.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        char run[16];
        Reference r{};
        if (std::sscanf(line.c_str(), "%15s %ld %lx %lx", run, &r.frame, &r.shot.picture, &r.shot.scene) ==
            4) {
            r.run = run;
            refs.push_back(r);
        }
    }
    return refs;
}

// Each run is a show of its own, so each runs in a child process; the child
// writes its table lines to `path`.
void run_in_child(const std::vector<long>& moments, bool hidden, const std::string& path,
                  HelperUse helper = HelperUse::spare) {
    std::fflush(nullptr);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        use_helper_thread(helper);
        std::map<long, Shot> shots = run_show(moments, hidden);
        FILE* out = std::fopen(path.c_str(), "w");
        if (!out) _exit(3);
        for (const auto& [frame, shot] : shots)
            std::fprintf(out, "%s %ld %08lx %08lx\n", hidden ? "hidden" : "show", frame, shot.picture,
                         shot.scene);
        std::fclose(out);
        _exit(testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the " << (hidden ? "hidden" : "show") << " run failed";
}

}  // namespace

TEST(ShowMoments, PicturesMatchTheReferences) {
    const std::string table = testing::TempDir() + "tangle-moments-" + std::to_string(getpid());
    const std::vector<long> show(std::begin(show_moments), std::end(show_moments));
    const std::vector<long> hidden(std::begin(hidden_moments), std::end(hidden_moments));
    run_in_child(show, false, table + "-show");
    run_in_child(hidden, true, table + "-hidden");

    std::vector<Reference> got;
    for (const char* run : {"-show", "-hidden"}) {
        std::ifstream in(table + run);
        std::string line;
        while (std::getline(in, line)) {
            char name[16];
            Reference r{};
            if (std::sscanf(line.c_str(), "%15s %ld %lx %lx", name, &r.frame, &r.shot.picture,
                            &r.shot.scene) == 4) {
                r.run = name;
                got.push_back(r);
            }
        }
        std::remove((table + run).c_str());
    }
    ASSERT_EQ(got.size(), show.size() + hidden.size());

    if (const char* record = std::getenv("TANGLE_FRAMES_RECORD")) {
        std::ofstream out(record);
        out << "# run frame crc32-of-picture crc32-of-scene-target (30 frames a second, seed 1)\n";
        char line[80];
        for (const Reference& r : got) {
            std::snprintf(line, sizeof line, "%s %ld %08lx %08lx\n", r.run.c_str(), r.frame, r.shot.picture,
                          r.shot.scene);
            out << line;
        }
        GTEST_SKIP() << "references written to " << record;
    }

    const std::vector<Reference> refs = read_references();
    ASSERT_EQ(refs.size(), got.size()) << "tests/frames/moments.txt is missing or doesn't list these moments";
    for (size_t k = 0; k < refs.size(); k++) {
        const Reference &want = refs[k], &have = got[k];
        ASSERT_EQ(want.run, have.run);
        ASSERT_EQ(want.frame, have.frame);
        EXPECT_EQ(have.shot.picture, want.shot.picture)
            << have.run << " frame " << have.frame << " (" << have.frame / fps << " s): picture";
        EXPECT_EQ(have.shot.scene, want.shot.scene)
            << have.run << " frame " << have.frame << " (" << have.frame / fps << " s): scene target";
    }
}

// The same pictures whether the sheets, strands, fins, bridge and links are
// worked on by one thread or shared with the helper thread (which drawn
// frames only do with a processor to spare, so the table above is taken
// without it on most machines).
TEST(ShowMoments, WorkSharedWithTheHelperDrawsTheSamePictures) {
    const std::vector<long> moments = {2100, 2880, 3450, 3900, 4500};
    const std::string table = testing::TempDir() + "tangle-moments-shared-" + std::to_string(getpid());
    run_in_child(moments, false, table, HelperUse::always);
    std::map<long, Shot> want;
    for (const Reference& r : read_references())
        if (r.run == "show") want[r.frame] = r.shot;
    std::ifstream in(table);
    std::string line;
    size_t compared = 0;
    while (std::getline(in, line)) {
        char name[16];
        Reference r{};
        if (std::sscanf(line.c_str(), "%15s %ld %lx %lx", name, &r.frame, &r.shot.picture, &r.shot.scene) !=
            4)
            continue;
        ASSERT_EQ(want.count(r.frame), 1u) << "frame " << r.frame << " is not in tests/frames/moments.txt";
        EXPECT_EQ(r.shot.picture, want[r.frame].picture) << "frame " << r.frame << ": picture";
        EXPECT_EQ(r.shot.scene, want[r.frame].scene) << "frame " << r.frame << ": scene target";
        compared++;
    }
    std::remove(table.c_str());
    EXPECT_EQ(compared, moments.size());
}
