// Stepping against drawing everything: the same frames run in the same order,
// once all drawn and once only stepped between checkpoints (drawing unseen
// just the frames the GL state depends on), give byte-identical pictures,
// scene targets and countdown panels at every checkpoint. Frames nothing
// reads are drawn unseen in both runs: ctest runs this on softpipe, whose
// pictures depend only on the state drawn. Each run is its own show, so each
// runs in a child process.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "app/frame.h"
#include "app/seek.h"
#include "audio/music.h"
#include "core/demo_state.h"
#include "driver.h"
#include "render_pixels.h"

namespace {

constexpr double fps = 10;

struct Checkpoint {
    const char* name;
    long frame;
};
// The title, the main body, the magenta countdown panel, the end credits.
constexpr Checkpoint checkpoints[] = {
    {"title", 120}, {"main body", 400}, {"countdown", 1300}, {"credits", 1870}};

// Every frame for the first three seconds, then one frame in twenty, and the
// three frames before each checkpoint so the sheets move at their own pace.
std::vector<long> frame_plan() {
    std::vector<long> plan;
    for (long k = 0; k < 30; k++) plan.push_back(k);
    for (long k = 40; k <= 1880; k += 20) plan.push_back(k);
    for (const Checkpoint& c : checkpoints)
        for (long k = c.frame - 3; k <= c.frame; k++) plan.push_back(k);
    std::sort(plan.begin(), plan.end());
    plan.erase(std::unique(plan.begin(), plan.end()), plan.end());
    return plan;
}

bool is_checkpoint(long k) {
    return std::any_of(std::begin(checkpoints), std::end(checkpoints),
                       [k](const Checkpoint& c) { return c.frame == k; });
}

struct Shot {
    Picture picture, scene, panel;
    bool clear_only;  // nothing in the picture but the clear colour
};

// The frames a stepped run still draws: those frame_needs_drawing names for
// the next checkpoint.
bool settles(long k) {
    return std::any_of(std::begin(checkpoints), std::end(checkpoints),
                       [k](const Checkpoint& c) { return k <= c.frame && frame_needs_drawing(k, c.frame); });
}

// Starts the plan with the shipped storyboard in a child process, drawing
// every frame or stepping all but the checkpoints and the frames that settle
// the GL state; what each checkpoint left goes to `path`.
pid_t start_plan(bool stepping, const char* path) {
    std::fflush(nullptr);
    pid_t child = fork();
    if (child != 0) return child;
    DriverOptions o;
    const char* src = std::getenv("TANGLE_SOURCE_DIR");
    o.data_dir = std::string(src ? src : "..") + "/data";
    o.fps = fps;
    driver_start(o);
    FILE* out = std::fopen(path, "wb");
    for (long k : frame_plan()) {
        if (stepping && !settles(k)) {
            driver_step_frame(k);
            continue;
        }
        driver_fast_forward(!is_checkpoint(k));
        driver_run_frame(k);
        if (!is_checkpoint(k)) continue;
        Picture p = read_picture();
        for (const Picture& q : {p, read_scene_target(), read_overlay_target()})
            std::fwrite(q.rgb.data(), 1, q.rgb.size(), out);
        float clear[3];
        choose_clear_colour(demo_time, clear);
        unsigned char blank = count_away(p, whole_picture, rgb_of(clear[0], clear[1], clear[2]), 12) == 0;
        std::fwrite(&blank, 1, 1, out);
    }
    _exit(out && std::fclose(out) == 0 ? 0 : 1);
}

std::vector<Shot> read_shots(const char* path) {
    std::vector<Shot> shots;
    FILE* in = std::fopen(path, "rb");
    if (!in) return shots;
    for (size_t i = 0; i < std::size(checkpoints); i++) {
        Shot s{{1280, 720, {}}, {1600, 900, {}}, {238, 80, {}}, false};
        bool ok = true;
        for (Picture* p : {&s.picture, &s.scene, &s.panel}) {
            p->rgb.resize(static_cast<size_t>(p->width) * p->height * 3);
            ok = ok && std::fread(p->rgb.data(), 1, p->rgb.size(), in) == p->rgb.size();
        }
        unsigned char blank = 1;
        ok = ok && std::fread(&blank, 1, 1, in) == 1;
        s.clear_only = blank != 0;
        if (ok) shots.push_back(std::move(s));
    }
    std::fclose(in);
    return shots;
}

bool finished_well(pid_t child) {
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Both shows at once: a display server may reset when its last client goes,
// and one started just then can fail to connect, so a failed show runs again.
void run_both(std::vector<Shot>& drawn, std::vector<Shot>& skipped) {
    char drawn_path[] = "/tmp/tangle-seek-XXXXXX", skipped_path[] = "/tmp/tangle-seek-XXXXXX";
    close(mkstemp(drawn_path));
    close(mkstemp(skipped_path));
    pid_t a = start_plan(false, drawn_path), b = start_plan(true, skipped_path);
    bool a_ok = finished_well(a), b_ok = finished_well(b);
    if (!a_ok) a_ok = finished_well(start_plan(false, drawn_path));
    if (!b_ok) b_ok = finished_well(start_plan(true, skipped_path));
    if (a_ok) drawn = read_shots(drawn_path);
    if (b_ok) skipped = read_shots(skipped_path);
    unlink(drawn_path);
    unlink(skipped_path);
}

long bytes_differing(const Picture& a, const Picture& b) {
    long n = 0;
    for (size_t i = 0; i < std::min(a.rgb.size(), b.rgb.size()); i++) n += a.rgb[i] != b.rgb[i];
    return n;
}

}  // namespace

TEST(Stepping, CheckpointsMatchAShowThatDrewEveryFrame) {
    std::vector<Shot> drawn, skipped;
    run_both(drawn, skipped);
    ASSERT_EQ(drawn.size(), std::size(checkpoints)) << "the fully drawn show did not finish";
    ASSERT_EQ(skipped.size(), std::size(checkpoints)) << "the stepped show did not finish";
    for (size_t i = 0; i < drawn.size(); i++) {
        SCOPED_TRACE(checkpoints[i].name);
        // Equal blank pictures would prove nothing.
        EXPECT_FALSE(drawn[i].clear_only);
        EXPECT_EQ(bytes_differing(drawn[i].picture, skipped[i].picture), 0);
        EXPECT_EQ(bytes_differing(drawn[i].scene, skipped[i].scene), 0);
        EXPECT_EQ(bytes_differing(drawn[i].panel, skipped[i].panel), 0);
        if (bytes_differing(drawn[i].picture, skipped[i].picture) != 0) {
            dump_picture(drawn[i].picture, std::string("seek-drawn-") + checkpoints[i].name);
            dump_picture(skipped[i].picture, std::string("seek-skipped-") + checkpoints[i].name);
        }
    }
}
