// Moving the show without drawing it against drawing every frame: a show
// stepped to a moment the way the capture tool steps (drawing only the frames
// frame_needs_drawing names), and a show moved there by the rehearsal's jump
// (show_seek, after running past the moment first, so its reset is tested
// too), must each hold exactly the state of a show that drew every frame:
// the show's own state and the GL state a frame leaves for the next (matrix
// stacks, saved attributes, current values). The moment lies after the first
// frames of the lattice, which fill the projection stack. Each show runs in a
// child process of its own.
#include <GL/glew.h>

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

constexpr double rate = 30, moment = 30;
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
    const size_t at = out.size();
    out.resize(at + sizeof value);
    std::memcpy(out.data() + at, &value, sizeof value);
}

// Every entry of a matrix stack, top first; the stack is emptied on the way.
void put_matrix_stack(std::vector<unsigned char>& out, GLenum mode, GLenum depth_name, GLenum matrix_name) {
    glMatrixMode(mode);
    GLint depth = 0;
    glGetIntegerv(depth_name, &depth);
    put(out, depth);
    for (; depth >= 1; depth--) {
        GLfloat m[16];
        glGetFloatv(matrix_name, m);
        put(out, m);
        if (depth > 1) glPopMatrix();
    }
}

// The GL state a frame leaves for the next: current values, and the saved
// attributes level by level, then the matrix stacks (emptied by reading).
void put_gl_state(std::vector<unsigned char>& out) {
    GLint saved = 0;
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &saved);
    put(out, saved);
    for (; saved >= 0; saved--) {
        GLfloat v[4];
        for (GLenum name : {GL_CURRENT_COLOR, GL_CURRENT_NORMAL, GL_CURRENT_TEXTURE_COORDS, GL_LINE_WIDTH,
                            GL_VIEWPORT, GL_COLOR_CLEAR_VALUE, GL_BLEND_SRC, GL_BLEND_DST}) {
            glGetFloatv(name, v);
            put(out, v);
        }
        for (GLenum cap : {GL_DEPTH_TEST, GL_BLEND, GL_LIGHTING, GL_TEXTURE_2D, GL_CULL_FACE, GL_LINE_SMOOTH,
                           GL_COLOR_MATERIAL})
            out.push_back(glIsEnabled(cap));
        if (saved > 0) glPopAttrib();
    }
    put_matrix_stack(out, GL_MODELVIEW, GL_MODELVIEW_STACK_DEPTH, GL_MODELVIEW_MATRIX);
    put_matrix_stack(out, GL_PROJECTION, GL_PROJECTION_STACK_DEPTH, GL_PROJECTION_MATRIX);
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
    put_gl_state(out);
    return out;
}

enum class Move { draw_all, stepped, jumped };

std::vector<unsigned char> in_child(Move run) {
    char path[] = "/tmp/tangle-seek-state-XXXXXX";
    close(mkstemp(path));
    std::fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
        start_driver();
        const long target = static_cast<long>(moment * rate);
        if (run == Move::jumped) {
            driver_run_to(0, target + static_cast<long>(5 * rate));
            hold_music_at_start();
            show_seek(moment, rate, seed, step_held_music);
        } else {
            for (long k = 0; k < target; k++) {
                if (run == Move::draw_all || frame_needs_drawing(k, target)) {
                    driver_fast_forward(true);
                    driver_run_frame(k);
                } else {
                    driver_step_frame(k);
                }
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

TEST(ShowSeek, SteppingAndJumpingLandOnTheStateOfDrawingEveryFrame) {
    const std::vector<unsigned char> drawn = in_child(Move::draw_all);
    ASSERT_FALSE(drawn.empty()) << "the show drawing every frame did not finish";
    for (Move run : {Move::stepped, Move::jumped}) {
        const char* name = run == Move::stepped ? "stepped" : "jumped";
        const std::vector<unsigned char> moved = in_child(run);
        ASSERT_EQ(moved.size(), drawn.size())
            << "the " << name << " show did not finish, or its GL stacks differ";
        size_t first = 0;
        while (first < drawn.size() && drawn[first] == moved[first]) first++;
        EXPECT_EQ(first, drawn.size())
            << name << ": first differing byte " << first << " of " << drawn.size();
    }
}
