// Moving the show without drawing it against drawing every frame: a show
// stepped to a moment the way the capture tool steps (drawing only the frames
// frame_needs_drawing names), a show moved there by the rehearsal's jump
// (show_seek, after running past the moment first, so its reset is tested
// too), and one moved there from a copy kept on the way (as the rehearsal
// keeps them behind the live music) must each hold exactly the state of a
// show that drew every frame: every block of ShowState, and the GL state a
// frame leaves for the next (matrix stacks, saved attributes, current
// values). The moment lies after the first frames of the lattice, which fill
// the projection stack. Then the copies against a changed storyboard, and the
// picture after a jump from a copy. Each show runs in a child process of its
// own.
#include <GL/glew.h>

#include <cstdio>
#include <cstring>

#include <gtest/gtest.h>

#include <string>

#include <sys/wait.h>

#include <type_traits>

#include <unistd.h>

#include <vector>

#include "app/frame.h"
#include "app/seek.h"
#include "driver.h"

namespace {

constexpr double rate = 30, moment = 30;
constexpr unsigned seed = 1;

void start_driver(const std::string& storyboard = "") {
    DriverOptions o;
    const char* src = std::getenv("TANGLE_SOURCE_DIR");
    o.data_dir = std::string(src ? src : "..") + "/data";
    o.fps = rate;
    o.seed = seed;
    o.storyboard = storyboard;
    driver_start(o);
}

template <class T>
void put(std::vector<unsigned char>& out, const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    const size_t at = out.size();
    out.resize(at + sizeof value);
    std::memcpy(out.data() + at, &value, sizeof value);
}

template <class T>
void put(std::vector<unsigned char>& out, const std::vector<T>& values) {
    put(out, values.size());
    for (const T& v : values) put(out, v);
}

void put(std::vector<unsigned char>& out, const SheetState& s) {
    put(out, s.particles), put(out, s.tip_rest_flags);
    put(out, s.anchor_offset), put(out, s.anchor_spin), put(out, s.anchor_tilt);
}

struct Reader {
    const std::vector<unsigned char>& in;
    size_t at = 0;
    bool ok = true;
    template <class T>
    void get(T& value) {
        static_assert(std::is_trivially_copyable_v<T>);
        if (at + sizeof value > in.size()) {
            ok = false;
            return;
        }
        std::memcpy(&value, in.data() + at, sizeof value);
        at += sizeof value;
    }
    template <class T>
    void get(std::vector<T>& values) {
        size_t n = 0;
        get(n);
        if (!ok || n > in.size()) {
            ok = false;
            return;
        }
        values.resize(n);
        for (T& v : values) get(v);
    }
    void get(SheetState& s) {
        get(s.particles), get(s.tip_rest_flags);
        get(s.anchor_offset), get(s.anchor_spin), get(s.anchor_tilt);
    }
};

void put_show(std::vector<unsigned char>& out, const ShowState& show) {
    visit_show_blocks(show, [&](const char*, const auto& block) { put(out, block); });
}

ShowState get_show(Reader& in) {
    ShowState show;
    visit_show_blocks(show, [&](const char*, auto& block) { in.get(block); });
    return show;
}

// The names of the blocks in which two shows differ, by value.
std::string differing_blocks(const ShowState& a, const ShowState& b) {
    std::vector<const void*> others;
    visit_show_blocks(b, [&](const char*, const auto& block) { others.push_back(&block); });
    std::string names;
    size_t i = 0;
    visit_show_blocks(a, [&](const char* name, const auto& block) {
        using Block = std::remove_cvref_t<decltype(block)>;
        if (!(block == *static_cast<const Block*>(others[i++]))) names += std::string(" ") + name;
    });
    return names;
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

// The show's state, then the GL state the next frame depends on.
std::vector<unsigned char> state_bytes() {
    std::vector<unsigned char> out;
    put_show(out, save_show());
    put_gl_state(out);
    return out;
}

// Runs `body` in a child process with the show started on `storyboard` (on
// Mesa's softpipe when `softpipe`) and returns the bytes it gave, empty when
// it failed.
template <class Body>
std::vector<unsigned char> in_child(const std::string& storyboard, Body body, bool softpipe = false) {
    char path[] = "/tmp/tangle-seek-state-XXXXXX";
    close(mkstemp(path));
    std::fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
        if (softpipe) setenv("GALLIUM_DRIVER", "softpipe", 1);
        start_driver(storyboard);
        std::vector<unsigned char> bytes = body();
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

enum class Move { draw_all, stepped, jumped, from_copy };

std::vector<unsigned char> moved_show(Move run) {
    return in_child("", [run] {
        const long target = static_cast<long>(moment * rate);
        if (run == Move::jumped) {
            driver_run_to(0, target + static_cast<long>(5 * rate));
            show_seek(moment, rate, seed, step_held_music);
        } else if (run == Move::from_copy) {
            // Copies up to 25 s by a seek, then on past the moment as the
            // rehearsal makes them behind the live music.
            Checkpoints copies;
            SeekRun seek{rate, seed, step_held_music, &copies, nullptr};
            show_seek(moment - 5, seek);
            Checkpoint frontier;
            frontier.frame = -1;
            while (extend_checkpoints(copies, frontier, seek, target + copies.interval, 25) > 0) {
            }
            // Back at the start, with the stacks emptied that the lattice's
            // first frames fill: the copy must bring the driver's stacks back.
            reset_show(seed);
            // Then to the moment from the copy an interval before it.
            const SeekReport report = show_seek(moment, seek);
            if (report.from_frame != target - copies.interval) return std::vector<unsigned char>{};
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
        return state_bytes();
    });
}

// The picture of the frame at the moment, on softpipe, whose pictures follow
// from the state drawn alone: after a stepped run, or after a jump from a
// copy (the seeks' frames drawn as small as the stepped run draws its unseen
// ones, which does not change their state).
std::vector<unsigned char> picture_at_moment(bool from_copy) {
    return in_child(
        "",
        [from_copy] {
            const long target = static_cast<long>(moment * rate);
            if (from_copy) {
                driver_fast_forward(true);
                driver_run_frame(0);
                Checkpoints copies;
                SeekRun seek{rate, seed, step_held_music, &copies, nullptr};
                show_seek(moment + 5, seek);
                reset_show(seed);
                show_seek(moment, seek);
                driver_set_clock(static_cast<double>(target - 1) / rate);
                driver_fast_forward(false);
                driver_run_frame(target);
            } else {
                driver_run_to(0, target);
            }
            std::vector<unsigned char> rgb;
            driver_read_picture(rgb);
            return rgb;
        },
        true);
}

std::string write_storyboard(const char* text) {
    char path[] = "/tmp/tangle-seek-story-XXXXXX";
    const int fd = mkstemp(path);
    const ssize_t n = static_cast<ssize_t>(std::strlen(text));
    const bool ok = fd >= 0 && write(fd, text, static_cast<size_t>(n)) == n;
    if (fd >= 0) close(fd);
    return ok ? path : "";
}

}  // namespace

TEST(ShowSeek, SteppingJumpingAndCopiesLandOnTheStateOfDrawingEveryFrame) {
    std::vector<unsigned char> drawn = moved_show(Move::draw_all);
    ASSERT_FALSE(drawn.empty()) << "the show drawing every frame did not finish";
    Reader drawn_in{drawn};
    const ShowState drawn_show = get_show(drawn_in);
    ASSERT_TRUE(drawn_in.ok);
    for (Move run : {Move::stepped, Move::jumped, Move::from_copy}) {
        const char* name = run == Move::stepped ? "stepped" : run == Move::jumped ? "jumped" : "from a copy";
        const std::vector<unsigned char> moved = moved_show(run);
        ASSERT_FALSE(moved.empty()) << "the " << name
                                    << " show did not finish, or kept no copy to start from";
        Reader in{moved};
        const ShowState show = get_show(in);
        ASSERT_TRUE(in.ok);
        EXPECT_TRUE(show == drawn_show)
            << name << ": blocks that differ:" << differing_blocks(show, drawn_show);
        const std::vector<unsigned char> gl(moved.begin() + static_cast<long>(in.at), moved.end());
        const std::vector<unsigned char> drawn_gl(drawn.begin() + static_cast<long>(drawn_in.at),
                                                  drawn.end());
        ASSERT_EQ(gl.size(), drawn_gl.size()) << name << ": the GL stacks differ";
        EXPECT_TRUE(gl == drawn_gl) << name << ": the GL state differs";
    }
}

// Copies kept under one storyboard, then a record at 20 s changed: the copies
// whose replay reached 20 s are forgotten, and a seek from what is left lands
// on the state of the new storyboard run from the start; the forgotten ones
// would not have.
TEST(ShowSeek, AStoryboardChangeForgetsTheCopiesThatFiredTheOldRecord) {
    const std::string before = write_storyboard("12.0 h\n20.0 e\n24.0 +\n");
    const std::string after = write_storyboard("12.0 h\n20.0 r\n24.0 +\n");
    ASSERT_FALSE(before.empty() || after.empty());
    constexpr float changed_at = 20.0f;
    std::vector<unsigned char> bytes = in_child(before, [&] {
        Checkpoints copies;
        SeekRun seek{rate, seed, step_held_music, &copies, nullptr};
        show_seek(moment + 5, seek);
        Checkpoints stale = copies;
        load_storyboard(after.c_str());
        forget_checkpoints_from(copies, changed_at);
        std::vector<unsigned char> out;
        put(out, copies.kept.size());
        put(out, copies.kept.empty() ? 0L : copies.kept.back().frame);
        const SeekReport fresh = show_seek(moment, seek);
        put(out, fresh.from_frame);
        put_show(out, save_show());
        seek.checkpoints = &stale;
        show_seek(moment, seek);
        put_show(out, save_show());
        seek.checkpoints = nullptr;
        show_seek(moment, seek);
        put_show(out, save_show());
        return out;
    });
    unlink(before.c_str());
    unlink(after.c_str());
    ASSERT_FALSE(bytes.empty()) << "the show did not finish";
    Reader in{bytes};
    size_t kept = 0;
    long last = 0, from = 0;
    in.get(kept), in.get(last), in.get(from);
    const ShowState fresh = get_show(in), stale = get_show(in), from_start = get_show(in);
    ASSERT_TRUE(in.ok);
    // The copies up to 20 s fired nothing at 20 s: the one at 20 s is taken
    // before its frame runs, so it stays too.
    EXPECT_EQ(kept, static_cast<size_t>(changed_at * rate) / Checkpoints{}.interval + 1);
    EXPECT_EQ(last, static_cast<long>(changed_at * rate));
    EXPECT_EQ(from, last) << "the seek did not start from the latest copy left";
    EXPECT_TRUE(fresh == from_start) << "blocks that differ:" << differing_blocks(fresh, from_start);
    EXPECT_FALSE(stale == from_start) << "the changed record made no difference: the test shows nothing";
}

TEST(ShowSeek, TheFrameAfterAJumpFromACopyIsTheSteppedRunsPicture) {
    const std::vector<unsigned char> stepped = picture_at_moment(false);
    const std::vector<unsigned char> jumped = picture_at_moment(true);
    ASSERT_EQ(stepped.size(), 1280u * 720 * 3) << "the stepped show did not finish";
    ASSERT_EQ(jumped.size(), stepped.size()) << "the show jumping from a copy did not finish";
    size_t differing = 0;
    for (size_t i = 0; i < stepped.size(); i++) differing += stepped[i] != jumped[i];
    EXPECT_EQ(differing, 0u) << "bytes of the picture that differ";
}
