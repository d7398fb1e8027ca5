// overlays.h: the seven-segment countdown panel and the bitmap captions.
//
// The scene timeline renders the countdown panel into the overlay target every
// main-show frame and draws small GLUT bitmap captions over the scene. The
// value shown and the colours are pure functions of the clock, kept apart
// from the drawing. Depends on text/font.h, core/targets.h, core/clock.h.
#pragma once

#include <string>
#include <string_view>

// The clock MM:SS:T counting down to tenth 1819 of the clock argument c.
struct CountdownDigits {
    int minutes, seconds, tenths;  // clamped to 0 when negative
    int digits[5];                 // minute tens, minute units, second tens, units, tenths
};
CountdownDigits countdown_digits(float c);

struct Rgb {
    float r, g, b;
};
// The seven-segment look's magenta (RGB / 255), one palette for the late
// countdown panel, the end credits and the clear colour of the countdown's
// stretch: bars and panels are an outer and an inset inner quad, and dim
// unlit glyphs lie under the lit text.
inline constexpr Rgb magenta_bar_outer{120 / 255.0f, 35 / 255.0f, 109 / 255.0f};
inline constexpr Rgb magenta_bar_inner{150 / 255.0f, 35 / 255.0f, 109 / 255.0f};
inline constexpr Rgb magenta_unlit_text{160 / 255.0f, 65 / 255.0f, 129 / 255.0f};
inline constexpr Rgb magenta_lit_text{220 / 255.0f, 135 / 255.0f, 209 / 255.0f};

// A bar of the seven-segment look (the countdown panel, each credits line):
// an outer quad with its corner at (x + 0.06, y + 0.9 - drop) in unit
// coordinates and an inner one inset by 0.003, each of its own size. Corners
// as x0, y0, x1, y1, summed in this order (the pictures depend on it).
struct SegmentBar {
    float outer[4], inner[4];
};
inline SegmentBar segment_bar(float x, float y, float drop, float outer_w, float outer_h, float inner_w,
                              float inner_h) {
    const float ox = x + 0.06f, oy = y + 0.9f - drop;
    const float ix = x + 0.063f, iy = y + 0.903f - drop;
    return {{ox, oy, ox + outer_w, oy + outer_h}, {ix, iy, ix + inner_w, iy + inner_h}};
}

struct CountdownPalette {
    Rgb panel_outer, panel_inner, unlit, lit;
};
// Green up to and including time 1300, magenta strictly above.
CountdownPalette countdown_palette(float time);

// Where each of the seven cells (digit, digit, colon, digit, digit, colon,
// digit) sits, pixels right of the panel's text origin.
extern const int countdown_cell_offsets[7];

// The dim companion of a lit seven-segment text: "8" (or "E" for C, E, F and
// their lower case) wherever a segment could light, punctuation kept.
std::string unlit_text(std::string_view text);

// Draws the panel with its corner at unit coordinates (x, y) of the current
// viewport, showing countdown_digits(c), palette by demo_time. Leaves the
// window perspective of use_window_perspective in force.
void draw_countdown_panel(float x, float y, float c);

// GLUT 9 x 15 bitmap text from raster position (x, y, z), current colour.
void draw_bitmap_text(float x, float y, float z, const char* text);

// One flat quad from (x0, y0) to (x1, y1) in the current colour: the bars and
// panels of the seven-segment look.
void fill_quad(float x0, float y0, float x1, float y1);
