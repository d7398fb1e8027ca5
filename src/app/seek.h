// seek.h: the show's state as one value, and moving the show to any moment,
// for the capture and rehearsal tools.
//
// Every piece of state a frame changes lives in a named block of its
// subsystem; ShowState gathers them, so the show can be kept and put back as
// a value. The show's state depends on every frame before, so a moment is
// reached by running the frames at a fixed rate, from the start or from a
// copy kept on an earlier run: stepped without GL, apart from the few that
// the GL state of the next drawn frame depends on (the stepping rule below).
// Depends on the frame loop and every subsystem's state.
#pragma once

#include <array>
#include <vector>

#include "app/frame.h"
#include "audio/music.h"
#include "core/clock.h"
#include "core/demo_state.h"
#include "core/random.h"
#include "physics/cloth.h"
#include "physics/cloud.h"
#include "scenes/captions.h"
#include "scenes/hidden.h"
#include "scenes/matrix_stack.h"
#include "scenes/timeline.h"
#include "sync/storyboard.h"
#include "text/credits.h"

// Everything a frame changes, block by block. Not in it: what each frame
// derives afresh before it is read (the timeline's SceneFrame, the hidden
// part's dots and glyphs), the storyboard's tables (an input; only how far
// the replay has gone is state), and the driver's own stacks (MatrixStacks).
struct ShowState {
    DemoState demo;
    ClockState clock;
    TimelineState timeline;
    CaptionState captions;
    CreditsState credits;
    HiddenState hidden;
    CloudState cloud;
    SheetState sheet_a, sheet_b;
    RandomState random;
    ReplayPosition replay;
    ProjectionStackNotes projection;
    MusicPlace music;
    bool operator==(const ShowState&) const = default;
};

// Calls visit(name, block) for every block of `state`, in declaration order.
// The binding below fails to compile when a block is added to ShowState and
// not here, so whatever walks the blocks (tests comparing two shows) can't
// miss one.
template <class State, class Visit>
void visit_show_blocks(State& state, Visit&& visit) {
    auto& [demo_block, clock, timeline, captions, credits, hidden, cloud, sheet_a, sheet_b, random, replay,
           projection, music] = state;
    visit("demo", demo_block);
    visit("clock", clock);
    visit("timeline", timeline);
    visit("captions", captions);
    visit("credits", credits);
    visit("hidden", hidden);
    visit("cloud", cloud);
    visit("sheet_a", sheet_a);
    visit("sheet_b", sheet_b);
    visit("random", random);
    visit("replay", replay);
    visit("projection", projection);
    visit("music", music);
}

// --- The stepping rule: which frames a run draws and which it only steps ----
//
// The GL state a frame leaves behind reaches later frames through the matrix
// stacks (frame_leaves_lasting_state) and through the attributes each frame
// saves at its end for the next one to restore. So those frames and the last
// few before a frame that is seen are drawn (unseen is enough); the rest only
// step, and the seen frame starts from the show state and GL state of a run
// that drew every frame (tests/show_seek_test.cpp). Its picture is then that
// run's on Mesa's softpipe; llvmpipe's also depends on which frames it drew
// before.
constexpr long settle_last_frames = 4;

// Whether frame k, about to run, is drawn when `seen(j)` tells which frames
// are seen: k itself, or one at most settle_last_frames after it, or k leaves
// lasting state.
template <class Seen>
bool frame_needs_drawing_for(long k, Seen&& seen) {
    if (frame_leaves_lasting_state(k)) return true;
    for (long j = k; j <= k + settle_last_frames; ++j)
        if (seen(j)) return true;
    return false;
}

// The same for one seen frame, `target`.
inline bool frame_needs_drawing(long k, long target) {
    return frame_needs_drawing_for(k, [target](long j) { return j == target; });
}

// The show's state as it stands.
ShowState save_show();
// Puts every block back and holds the music at its place, the stepping clock
// (step_held_music) standing at 0. The attribute save a drawn frame left on
// GL's stack stays where it is, and so its note (attrib_saved). The projection notes describe the driver's
// projection stack: the caller puts that back to match (restore_matrix_stacks, or emptying it for the initial
// state).
void restore_show(const ShowState& state);
// The state start-up leaves, with the generator seeded by `seed` and the
// music held at the start with the main stream playing.
const ShowState& initial_show_state(unsigned seed);

// Restores initial_show_state(seed) and empties the show's part of both
// matrix stacks, as at start-up. Needs the GL context the show runs in.
void reset_show(unsigned seed);

// The driver's model-view and projection stacks, entry by entry from the
// bottom. The attribute stack can't be read back: the frames drawn before a
// target settle it (frame_needs_drawing).
struct MatrixStacks {
    std::vector<std::array<float, 16>> modelview, projection;
    bool operator==(const MatrixStacks&) const = default;
};
MatrixStacks save_matrix_stacks();
void restore_matrix_stacks(const MatrixStacks& stacks);

// The stepping clock of a seek: where step_held_music last put the music,
// and the hold's count of its steps.
struct SeekClock {
    double stepped_to = 0;
    MusicHoldCount count;
};

// A copy of the show kept on the way to a moment: the state before frame
// `frame` runs, the driver's stacks and the stepping clock as they stood then.
struct Checkpoint {
    long frame = 0;
    long landing = 0;  // kept off the interval, just before a seek's target: the seek's number
    ShowState show;
    MatrixStacks stacks;
    SeekClock clock;
};

// The copies kept by seeks at one rate, every `interval` frames, by frame.
// A seek starts from the latest one at or before its target and keeps new
// ones as it passes their frames; `limit` bounds how many are kept (1.6 MB
// each, nearly all of it the two sheets' particles).
struct Checkpoints {
    long interval = 30;
    size_t limit = 300;
    std::vector<Checkpoint> kept;
    long landings = 0;  // copies kept off the interval so far
};
// Forgets every copy whose storyboard replay had reached `seconds` (records
// at or after it changed, so those copies may hold their commands).
void forget_checkpoints_from(Checkpoints& checkpoints, float seconds);
size_t checkpoint_bytes(const Checkpoint& checkpoint);

// What a seek did: where it started (frame), how many frames it ran, and the
// milliseconds spent on the state (restoring, stepping, keeping copies) and on
// the frames it drew.
struct SeekReport {
    long from_frame = 0, frames = 0;
    double state_ms = 0, picture_ms = 0;
};

// A seek's settings. `set_clock(k / rate)` runs before each frame k so that
// the music player reports that time; `progress(done, total)`, when given,
// runs between frames.
struct SeekRun {
    double rate = 30;
    unsigned seed = 1;
    void (*set_clock)(double seconds) = nullptr;
    Checkpoints* checkpoints = nullptr;
    void (*progress)(long done, long total) = nullptr;
};

// Runs frames k while k / rate < seconds, from the start (reset_show) or from
// the latest kept copy that leaves the last few frames before the target to
// run. Storyboard events before `seconds` fire on the way (the caller puts
// the tables back as loaded first). The next frame drawn, at `seconds` or just
// after, is the show at that moment.
SeekReport show_seek(double seconds, const SeekRun& run);
// Moves the copies on while the caller's own show is put aside (it saves and
// restores it around the call, and gives a clock that moves no music it
// hears): from `frontier`, where the last call stopped, or from the latest
// copy at or before `up_to` when that is further on, steps at most
// `max_frames` frames without a GL call towards frame `up_to`, keeping a copy
// at every interval with the driver's stacks of the copy it started from
// (stepped frames leave them be). Stops before a frame that must be drawn
// and in the hidden part. Returns the frames stepped.
long extend_checkpoints(Checkpoints& checkpoints, Checkpoint& frontier, const SeekRun& run, long up_to,
                        long max_frames);

// The same from the start, keeping no copies.
void show_seek(double seconds, double rate, unsigned seed, void (*set_clock)(double seconds));

// The stepping clock for show_seek on held music: every playing stream moves
// on to `seconds` (times never decrease).
void step_held_music(double seconds);
