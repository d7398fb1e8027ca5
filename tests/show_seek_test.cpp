// The rehearsal's jump against the capture tool's stepping: a show moved to
// 100 s by show_seek (after running elsewhere first, so its reset is tested
// too) must hold exactly the state of a show stepped there frame by frame the
// way the capture tool does, at the rehearsal's rate and seed. Each show runs
// in a child process of its own.
#include <cstdio>
#include <cstring>

#include <gtest/gtest.h>

#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "app/frame.h"
#include "app/seek.h"
#include "core/clock.h"
#include "core/demo_state.h"
#include "core/random.h"
#include "driver.h"
#include "physics/cloth.h"
#include "physics/cloud.h"
#include "scenes/captions.h"
#include "scenes/timeline.h"

namespace {

constexpr double rate = 30, moment = 100;
constexpr unsigned seed = 1;

void start_driver() {
    DriverOptions o;
    const char* src = std::getenv("TANGLE_SOURCE_DIR");
    o.data_dir = std::string(src ? src : "..") + "/data";
    o.fps = rate;
    o.seed = seed;
    driver_start(o);
}

template <class T>
void put(std::vector<unsigned char>& out, const T& value) {
    const auto* p = reinterpret_cast<const unsigned char*>(&value);
    out.insert(out.end(), p, p + sizeof value);
}

// Everything the next frame depends on, as bytes.
std::vector<unsigned char> state_bytes() {
    std::vector<unsigned char> out;
    put(out, demo);
    put(out, demo_time), put(out, demo_time_d), put(out, music_seconds_now), put(out, frame_step);
    for (const ClothSheet* s : {&cloth_a, &cloth_b}) {
        for (const Particle& p : s->particles) put(out, p.position), put(out, p.velocity), put(out, p.flags);
        put(out, s->anchor_offset), put(out, s->anchor_spin), put(out, s->anchor_tilt);
    }
    for (const Vec3& p : cloud_positions) put(out, p);
    put(out, finale_started), put(out, glow_time), put(out, glow_counter), put(out, ticker_index);
    put(out, random_next());
    return out;
}

std::vector<unsigned char> in_child(bool jump) {
    char path[] = "/tmp/tangle-seek-state-XXXXXX";
    close(mkstemp(path));
    std::fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
        start_driver();
        const long target = static_cast<long>(moment * rate);
        if (jump) {
            for (long k = 0; k < 20 * rate; k++) driver_step_frame(k);
            hold_music_at_start();
            show_seek(moment, rate, seed, step_held_music);
        } else {
            for (long k = 0; k < target; k++) {
                if (frame_needs_drawing(k, target))
                    driver_run_frame(k);
                else
                    driver_step_frame(k);
            }
        }
        std::vector<unsigned char> bytes = state_bytes();
        FILE* out = std::fopen(path, "wb");
        bool ok = out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
        _exit(out && std::fclose(out) == 0 && ok ? 0 : 1);
    }
    int status = 0;
    std::vector<unsigned char> bytes;
    if (waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        FILE* in = std::fopen(path, "rb");
        for (int c; in && (c = std::fgetc(in)) != EOF;) bytes.push_back(static_cast<unsigned char>(c));
        if (in) std::fclose(in);
    }
    unlink(path);
    return bytes;
}

}  // namespace

TEST(ShowSeek, AJumpLandsOnTheStateOfStepping) {
    const std::vector<unsigned char> stepped = in_child(false);
    const std::vector<unsigned char> jumped = in_child(true);
    ASSERT_FALSE(stepped.empty()) << "the stepped show did not finish";
    ASSERT_EQ(jumped.size(), stepped.size()) << "the jumping show did not finish";
    size_t first = 0;
    while (first < stepped.size() && stepped[first] == jumped[first]) first++;
    EXPECT_EQ(first, stepped.size()) << "first differing byte " << first << " of " << stepped.size();
}
