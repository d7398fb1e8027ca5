// credits.h: the end credits, a tall seven-segment scroller over the finale music.
//
// Every line of credits_lines is a magenta bar with its text drawn as lit
// segments over dim unlit ones; the line "XD" shows the picture plate
// (texture slot 49) instead. The lines rise with a clock of their own taken
// from finale_stream, so they move only while that music plays. Depends on
// text/font.h, text/overlays.h (unlit_text), core/targets.h, core/view.h,
// effects/plates.h and audio/music.h.
#pragma once

#include "audio/music.h"

constexpr int credits_line_count = 390;
extern const char* const credits_lines[credits_line_count];

// 0.75 x every positive step of the finale stream's position, kept in
// single precision frame by frame. The previous position starts at 2.0 so
// that the silent stream before the finale (position 0) counts for nothing.
struct CreditsState {
    float scroll = 0;
    float last_position = 2.0f;
    float offset = 0;  // upward shift of all lines, screen heights
    bool operator==(const CreditsState&) const = default;
};
extern CreditsState credits_state;
inline float& credits_scroll = credits_state.scroll;
inline float& credits_last_position = credits_state.last_position;
inline float& credits_offset = credits_state.offset;

// Takes the finale stream's position (seconds, as a float) of this frame.
void advance_credits_scroll(float position);

// Each frame once demo_time passes 1799 (unless the hidden part is on): the
// advance reads the finale stream and moves the scroll; the display callback
// then draws the credits at (-0.05, -0.34) from that scroll.
void advance_end_credits();
void reset_end_credits();  // the scroll back to its start
void draw_end_credits(float x_origin, float y_origin);

// pass 0 gathers the line's bar (or draws the picture, after the bars
// gathered so far), pass 1 draws its text; draw_end_credits draws the bars
// gathered at the end of each pass.
void draw_credits_line(int index, const char* text, float x, float y, float offset, int pass);

// The picture texture as a centred plate (zoom 6 for the credits).
void draw_picture_plate(float alpha, float zoom, float dx, float dy);

// --- Pure rules ---------------------------------------------------------------

// 0 up to scroll 0, scroll^2 / 15 below 1, scroll / 15 above.
float credits_offset_for(float scroll);

// Text baseline of line `index`, window pixels, for the line origin y and offset.
double credits_line_baseline(int index, float y, float offset);

// Lines are drawn while their baseline lies in [-200, 1200].
bool credits_line_in_band(double baseline);

// Vertical offset handed to the picture plate by line `index`.
float credits_picture_dy(int index, float offset);

// Width of a line's bar, unit screen widths (36 pixels of 1280 per character).
float credits_bar_width(int length);

// The x origin of line `index` for the caller's x_origin.
float credits_line_x(int index, float x_origin);
