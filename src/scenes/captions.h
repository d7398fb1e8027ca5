// captions.h: the main show's captions and storyboard ticker, the countdown
// panel pass and the closing sequence (one panel tile or a growing tile grid).
//
// The timeline's advance moves the ticker (advance_captions, at the end of the
// lattice block) and the closing sequence (advance_closing_sequence, after the
// title plates); the drawing below only reads. What the timeline draws, and
// when (all main-show frames, never in the hidden part):
//   draw_captions()          at the end of the lattice block, so only while
//                            lattice_switch is 1 and demo_time_d > 210; leaves
//                            the unit orthographic projection in force.
//   draw_countdown_pass()    first half of the step after the title plates:
//                            renders the countdown panel into the overlay
//                            target, inside its own attribute save/restore
//                            (and restores the save of the previous frame's
//                            end first, once attrib_saved is 1).
//   draw_closing_sequence()  right after draw_countdown_pass(): shows the
//                            overlay target as a tile by sequence_mode, at
//                            the pose the advance returned.
// Reads finale_started from the timeline and attrib_saved from
// scenes/matrix_stack.h. Depends on text/overlays.h, text/font.h,
// effects/plates.h, sync/storyboard.h, core/targets.h, core/demo_state.h,
// audio/music.h, scenes/timeline.h.
#pragma once

struct PanelPose;

void advance_captions();
// The ticker, the panel and the tile grid back to their start.
void reset_captions();
// Steps the panel (modes 1 and 3) or the tile grid (mode 2); returns the
// panel's pose for this frame.
PanelPose advance_closing_sequence();

void draw_captions();
void draw_countdown_pass();
void draw_closing_sequence(const PanelPose& pose);

// --- State (one block; reset_captions puts it back) ---------------------------
struct CaptionState {
    int ticker_index = 0;   // storyboard slot on the ticker's centre line
    int sequence_wait = 0;  // frames of the pause between the panel's two swings
    float panel_offset[3] = {0, 0, 0};
    float panel_angles[3] = {0, 0, 0};
    int grid_frames = 0, grid_columns = 0, grid_full = 0, grid_shift = 0;
    bool operator==(const CaptionState&) const = default;
};
extern CaptionState caption_state;
inline int& ticker_index = caption_state.ticker_index;
inline int& sequence_wait = caption_state.sequence_wait;
inline float (&panel_offset)[3] = caption_state.panel_offset;
inline float (&panel_angles)[3] = caption_state.panel_angles;
inline int& grid_frames = caption_state.grid_frames;
inline int& grid_columns = caption_state.grid_columns;
inline int& grid_full = caption_state.grid_full;
inline int& grid_shift = caption_state.grid_shift;

// --- Pure rules ---------------------------------------------------------------

// The countdown caption for n tenths left: a format and whether it takes n.
// n 1552 and up "%d\n", then "%dX", "(39)%d", "dF%d", the 34-space variant
// (n 550 and 551 only), and below 550 the fixed phrase.
const char* caption_countdown_format(int n);

// The caption countdown's n at time T.
int caption_countdown_value(float time);

// True while the countdown, the running time and the ticker are shown.
bool captions_running(int mode, float time, int finale);

// Moves the ticker's slot on: at least one slot per call, over every event
// already due at `time` (tenths), never past `capacity` and never reading a
// slot at or beyond it.
int advance_ticker_index(int index, const float* times, int capacity, float time);

// The key shown at ticker slot `slot`: the table's, or the empty-slot key
// beyond the table's end.
char ticker_key(const char* keys, int capacity, int slot);

// Brightness of the ticker row j (-30 to 29): 1 at the centre, 0.5 at j = +-30.
float ticker_brightness(int j);

// One mode-2 frame of the tile grid's counters.
void advance_tile_grid(int& frames, int& columns, int& full, int& shift);

// Poses of the panel tile: stage 1 eases out over u in [0, 1], stage 2 eases
// in over w in [0, 1].
struct PanelPose {
    float offset[3];
    float angles[3];
};
PanelPose panel_pose_stage1(float u);
PanelPose panel_pose_stage2(float w);

// One frame of the animated panel (modes 1 and 3) at time T: advances the
// stage flags, the wait and the stored pose, and returns the pose to draw.
PanelPose step_panel_sequence(float time);
