// seek.cpp: the show's state as a value, and running the show to a moment.
#include "app/seek.h"

#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>

#include "app/frame.h"

namespace {
double held_at = 0;  // where step_held_music last put the music

using Clock = std::chrono::steady_clock;
double ms_since(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// The stack of `mode`, bottom entry first; read by taking it apart and
// building it again.
std::vector<std::array<float, 16>> read_stack(GLenum mode, GLenum depth_name, GLenum matrix_name) {
    glMatrixMode(mode);
    GLint depth = 1;
    glGetIntegerv(depth_name, &depth);
    std::vector<std::array<float, 16>> entries(static_cast<size_t>(std::max(depth, 1)));
    for (GLint k = depth; k >= 1; --k) {
        glGetFloatv(matrix_name, entries[static_cast<size_t>(k - 1)].data());
        if (k > 1) glPopMatrix();
    }
    for (size_t k = 1; k < entries.size(); ++k) {
        glPushMatrix();
        glLoadMatrixf(entries[k].data());
    }
    return entries;
}

void write_stack(GLenum mode, GLenum depth_name, const std::vector<std::array<float, 16>>& entries) {
    glMatrixMode(mode);
    GLint depth = 1;
    glGetIntegerv(depth_name, &depth);
    for (; depth > 1; --depth) glPopMatrix();
    for (size_t k = 0; k < entries.size(); ++k) {
        if (k > 0) glPushMatrix();
        glLoadMatrixf(entries[k].data());
    }
}

// The latest copy at or before `frame`, or null.
const Checkpoint* latest_at_or_before(const Checkpoints& c, long frame) {
    auto after = std::upper_bound(c.kept.begin(), c.kept.end(), frame,
                                  [](long f, const Checkpoint& k) { return f < k.frame; });
    return after == c.kept.begin() ? nullptr : &*(after - 1);
}

// Copies off the interval's grid, just before the targets of the last few
// seeks: where the next jumps are likely to go again (a loop's start, Home).
constexpr long landing_copies = 8;

void keep(Checkpoints& c, long frame, bool landing) {
    auto at = std::lower_bound(c.kept.begin(), c.kept.end(), frame,
                               [](const Checkpoint& k, long f) { return k.frame < f; });
    if (at != c.kept.end() && at->frame == frame) return;
    if (landing && std::count_if(c.kept.begin(), c.kept.end(),
                                 [](const Checkpoint& k) { return k.landing > 0; }) >= landing_copies) {
        auto oldest =
            std::min_element(c.kept.begin(), c.kept.end(), [](const Checkpoint& a, const Checkpoint& b) {
                return (a.landing > 0 ? a.landing : LONG_MAX) < (b.landing > 0 ? b.landing : LONG_MAX);
            });
        c.kept.erase(oldest);
        at = std::lower_bound(c.kept.begin(), c.kept.end(), frame,
                              [](const Checkpoint& k, long f) { return k.frame < f; });
    }
    if (c.kept.size() >= c.limit) return;
    c.kept.insert(at, Checkpoint{frame, landing ? ++c.landings : 0, save_show(), save_matrix_stacks(),
                                 SeekClock{held_at, music_hold_count()}});
}
}  // namespace

void step_held_music(double seconds) {
    if (seconds > held_at) music_hold_advance(seconds - held_at);
    held_at = std::max(held_at, seconds);
}

ShowState save_show() {
    ShowState s;
    s.demo = demo;
    s.clock = show_clock;
    s.timeline = timeline_state;
    s.captions = caption_state;
    s.credits = credits_state;
    s.hidden = hidden_state;
    s.cloud = cloud_state;
    s.sheet_a = save_sheet(cloth_a);
    s.sheet_b = save_sheet(cloth_b);
    s.random = random_save();
    s.replay = replay_position();
    s.projection = projection_stack_notes();
    s.music = music_place();
    return s;
}

void restore_show(const ShowState& s) {
    demo = s.demo;
    show_clock = s.clock;
    timeline_state = s.timeline;
    caption_state = s.captions;
    credits_state = s.credits;
    hidden_state = s.hidden;
    cloud_state = s.cloud;
    restore_sheet(cloth_a, s.sheet_a);
    restore_sheet(cloth_b, s.sheet_b);
    random_restore(s.random);
    restore_replay_position(s.replay);
    set_projection_stack_notes(s.projection);
    music_put_place(s.music);
    held_at = 0;
}

const ShowState& initial_show_state(unsigned seed) {
    static bool made = false;
    static unsigned made_for = 0;
    static ShowState initial;
    if (made && made_for == seed) return initial;
    // The sheets draw from the generator in its first state, as at static
    // initialisation; then the seed and the cloud, as at start-up.
    rebuild_sheets();
    random_seed(seed);
    init_cloud();
    initial = ShowState{};
    initial.sheet_a = save_sheet(cloth_a);
    initial.sheet_b = save_sheet(cloth_b);
    initial.cloud = cloud_state;
    initial.cloud.trail_counter = 0;
    initial.random = random_save();
    initial.music.playing[0] = true;  // the main stream, at its start
    made = true;
    made_for = seed;
    return initial;
}

void reset_show(unsigned seed) {
    restore_show(initial_show_state(seed));
    unwind_modelview_stack();
    unwind_projection_stack();
}

MatrixStacks save_matrix_stacks() {
    GLint mode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    MatrixStacks s;
    s.modelview = read_stack(GL_MODELVIEW, GL_MODELVIEW_STACK_DEPTH, GL_MODELVIEW_MATRIX);
    s.projection = read_stack(GL_PROJECTION, GL_PROJECTION_STACK_DEPTH, GL_PROJECTION_MATRIX);
    glMatrixMode(static_cast<GLenum>(mode));
    return s;
}

void restore_matrix_stacks(const MatrixStacks& stacks) {
    GLint mode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    write_stack(GL_MODELVIEW, GL_MODELVIEW_STACK_DEPTH, stacks.modelview);
    write_stack(GL_PROJECTION, GL_PROJECTION_STACK_DEPTH, stacks.projection);
    glMatrixMode(static_cast<GLenum>(mode));
}

void forget_checkpoints_from(Checkpoints& checkpoints, float seconds) {
    std::erase_if(checkpoints.kept,
                  [seconds](const Checkpoint& c) { return c.show.replay.seconds >= seconds; });
}

size_t checkpoint_bytes(const Checkpoint& c) {
    size_t bytes = sizeof c;
    for (const SheetState* s : {&c.show.sheet_a, &c.show.sheet_b})
        bytes +=
            s->particles.capacity() * sizeof(ParticleState) + s->tip_rest_flags.capacity() * sizeof(int32_t);
    bytes += (c.stacks.modelview.capacity() + c.stacks.projection.capacity()) * sizeof(std::array<float, 16>);
    return bytes;
}

SeekReport show_seek(double seconds, const SeekRun& run) {
    SeekReport report;
    // The last frame drawn may still be in the rasteriser's hands: its time
    // is the picture's, not the state's.
    const auto drawn = Clock::now();
    glFinish();
    report.picture_ms = ms_since(drawn);
    const auto begun = Clock::now();
    const long target = static_cast<long>(std::ceil(seconds * run.rate));
    // The last frames before the target are drawn to settle the GL state, so
    // a copy is only of use if they are still to run.
    const Checkpoint* from =
        run.checkpoints ? latest_at_or_before(*run.checkpoints, target - settle_last_frames) : nullptr;
    if (from) {
        restore_show(from->show);
        restore_matrix_stacks(from->stacks);
        held_at = from->clock.stepped_to;
        music_set_hold_count(from->clock.count);
        report.from_frame = from->frame;
    } else {
        reset_show(run.seed);
    }
    report.state_ms = ms_since(begun);
    for (long k = report.from_frame; k < target; k++) {
        const auto t = Clock::now();
        // Only copies of frames the stepping rule alone has drawn: the last
        // frames before a target are drawn for that target only.
        const long landing = target - settle_last_frames;
        if (run.checkpoints && k <= landing && (k % run.checkpoints->interval == 0 || k == landing))
            keep(*run.checkpoints, k, k % run.checkpoints->interval != 0);
        run.set_clock(static_cast<double>(k) / run.rate);
        if (frame_needs_drawing(k, target)) {
            draw_frame();
            report.picture_ms += ms_since(t);
        } else {
            step_frame();
            report.state_ms += ms_since(t);
        }
        report.frames++;
        if (run.progress) run.progress(k + 1 - report.from_frame, target - report.from_frame);
    }
    // The drawn frames are rasterised while the next ones step; what is left
    // of them counts as picture.
    const auto t = Clock::now();
    glFinish();
    report.picture_ms += ms_since(t);
    return report;
}

long extend_checkpoints(Checkpoints& c, Checkpoint& frontier, const SeekRun& run, long up_to,
                        long max_frames) {
    const Checkpoint* latest = latest_at_or_before(c, up_to);
    if (!latest || (latest->frame / c.interval + 1) * c.interval > up_to) return 0;
    const bool resume = frontier.frame > latest->frame && frontier.frame <= up_to;
    const Checkpoint& from = resume ? frontier : *latest;
    restore_show(from.show);
    held_at = from.clock.stepped_to;
    music_set_hold_count(from.clock.count);
    MatrixStacks stacks = from.stacks;
    long k = from.frame, steps = 0;
    while (k < up_to && steps < max_frames && !frame_leaves_lasting_state(k) && demo.hidden_part_on == 0) {
        run.set_clock(static_cast<double>(k) / run.rate);
        step_frame();
        ++k, ++steps;
        if (k % c.interval == 0 && c.kept.size() < c.limit) {
            auto at = std::lower_bound(c.kept.begin(), c.kept.end(), k,
                                       [](const Checkpoint& kept, long f) { return kept.frame < f; });
            if (at == c.kept.end() || at->frame != k)
                c.kept.insert(at,
                              Checkpoint{k, 0, save_show(), stacks, SeekClock{held_at, music_hold_count()}});
        }
    }
    frontier = Checkpoint{k, 0, save_show(), std::move(stacks), SeekClock{held_at, music_hold_count()}};
    return steps;
}

void show_seek(double seconds, double rate, unsigned seed, void (*set_clock)(double seconds)) {
    SeekRun run;
    run.rate = rate;
    run.seed = seed;
    run.set_clock = set_clock;
    show_seek(seconds, run);
}
