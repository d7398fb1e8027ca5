// matrix_stack.h: the show's 32-entry model-view stack, on the driver and as a model.
//
// Every main-show frame leaves two saves on the model-view stack, so after
// about fifteen frames the stack is full and each further save is ignored
// while its restore still removes the top entry. What the show looks like
// from then on depends on that limit being exactly 32 entries, so a driver
// with a deeper stack is made to behave like a 32-entry one: the entries
// beyond 32 are filled once, below everything the show pushes.
//
// The model replays the saves, restores and identity loads of one main-show
// frame (the timeline's own and those of the routines it calls) on a stack of
// symbolic entries, so the resulting steady state can be checked without GL.
#pragma once

constexpr int modelview_stack_limit = 32;

// --- Driver side -------------------------------------------------------------

// How many entries to fill on a driver whose model-view stack holds
// `driver_depth` entries (0 when it holds 32 or fewer).
int stack_filler_count(int driver_depth);

// Queries the driver once and fills the surplus entries. Needs a current
// context and nothing pushed on the model-view stack yet; later calls do
// nothing.
void limit_modelview_stack();
// Empties the show's part of the model-view stack, as at start-up, so that the
// first frames after a move back to the start fill it again as they did.
void unwind_modelview_stack();

// The attribute stack: each main-show frame saves every attribute group at
// its end, for the next frame's countdown pass to restore; 1 once a frame has
// left that save. It tells about GL's stack, not the show: a show put back
// (app/seek.h) keeps it, as the save is still there.
extern int attrib_saved;

// The projection stack. The captions save the projection once per frame and
// never restore it, so the first frames of the lattice each leave one entry
// behind until the stack is one short of full; from then on a frame's ignored
// save and its text's restore balance out. The end credits take one entry
// back in their first frame, and the stack holds there. So the stack settles
// for each kind of frame after a few frames of that kind; until it has, those
// frames must be drawn even where they are otherwise only stepped, or the
// stack a later drawn frame finds is not the one a full run leaves.

// Notes what a drawn frame of this kind (any number that tells apart the
// frames that treat the stack differently) did to the driver's projection stack.
void note_projection_stack(int kind);
// Whether a frame of this kind leaves the projection stack as it is: the last
// drawn frame was of the same kind and left it as it found it.
bool projection_stack_settled(int kind);
// Empties the projection stack, as at start-up.
void unwind_projection_stack();
// What the notes above know of the driver's projection stack: its depth after
// the last drawn frame, that frame's kind, and whether it changed the depth.
// Kept and put back with the show's state, together with the driver's stacks.
struct ProjectionStackNotes {
    int depth = 1;
    int kind = -1;
    bool moved = true;
    bool operator==(const ProjectionStackNotes&) const = default;
};
ProjectionStackNotes projection_stack_notes();
void set_projection_stack_notes(const ProjectionStackNotes& notes);

// --- Model -------------------------------------------------------------------

// Marks of what an entry's matrix holds.
enum StackMark : unsigned {
    mark_camera = 1u,        // camera and depth offset of the frame
    mark_global_scale = 2u,  // the 1.75 scale of the drawing state
    mark_lattice = 4u,       // the lattice block's scale and spins
    mark_own = 8u,           // an item's own transform
};

struct StackModel {
    unsigned entries[modelview_stack_limit];
    int depth;  // 1 to 32
    int ignored_saves;
};

void stack_reset(StackModel& stack);    // one entry, identity
void stack_save(StackModel& stack);     // ignored on a full stack
void stack_restore(StackModel& stack);  // ignored with one entry left
void stack_apply(StackModel& stack, unsigned mark);
void stack_load_identity(StackModel& stack);
unsigned stack_top(const StackModel& stack);

// What decides the save pattern of one main-show frame.
struct FrameShape {
    bool torus = false;
    bool flashes = false;        // T > 1400
    bool pulse_e_draws = false;  // pulse e in its drawing branch
    bool flare_a_draws = false;
    bool flare_b_draws = false;
    bool lattice = false;
    bool cloth_b_styled = true;  // cloth_b_style not 0
    bool burst_draws = false;
    int plates = 0;       // title plates drawn this frame
    int panel_tiles = 0;  // closing-sequence tiles drawn this frame
};

// Matrix on top of the stack when each item drew.
enum FrameItem {
    item_pulse_d,
    item_pulse_b,
    item_pulse_a,
    item_pulse_e,
    item_pulse_c,
    item_flare_a,
    item_flare_b,
    item_cloud,
    item_sheets,
    item_anchor_sphere,
    item_styled_b,
    item_cloth_a_style4,
    item_burst,
    frame_item_count
};
struct FrameMarks {
    unsigned at[frame_item_count];
    bool drawn[frame_item_count];
};

// Replays one main-show frame, from the display callback's identity load to
// its copy of the scene target, and records the marks each item drew under.
void replay_main_frame(StackModel& stack, const FrameShape& shape, FrameMarks& marks);
