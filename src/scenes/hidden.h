// hidden.h: the hidden part, a second show that replaces the main one once the
// unlock chain has set `hidden_part_on`.
//
// It plays the hidden stream, keeps its own clock from that stream, and draws a
// red background, a dark panel with a beat-driven dot pattern (thirteen
// patterns in order, then random ones with growing variation, each random
// choice written to standard output), a bottom band and a long horizontal
// scroller of `napis`.
//
// The rules (clock, beat, pattern choice, dots, scroll) are pure functions over
// a HiddenState record so that they can be tested without a GL context;
// run_hidden_part() runs them on the program's one state and submits the
// result to OpenGL.
//
// Depends on: audio/music.h (hidden_stream), core/random.h (the shared
// generator, reseeded here), effects/shapes.h (rect), text/font.h (our_font).
#pragma once

#include <cstdio>
#include <vector>

// --- Entry -----------------------------------------------------------------

// One frame of the hidden part. The scene timeline runs it, instead of the
// whole main show, on every frame on which `hidden_part_on` is 1 (from the
// first such frame on, for the rest of the process). The advance reads the
// hidden stream, steps the beat, the dots and the scroller (the first one
// stops all music and plays the hidden stream); the drawing reads the result.
// It expects the scene target bound and model-view the current matrix mode,
// and leaves the unit orthographic projection.
void advance_hidden_part();
void draw_hidden_part();
// Back to the state before the first hidden frame.
void reset_hidden_part();

// --- The scroll text ---------------------------------------------------------

extern const char napis[];                  // 8,860 characters, ends with the only "@"
extern const int napis_length;              // 8860
constexpr int rozmiar = 50;                 // characters shown at a time
constexpr float hidden_glyph_cell = 62.0f;  // pixels per character

// --- State -----------------------------------------------------------------

struct HiddenState {
    int music_started = 0;
    float prev_seconds = 0.0f;  // hidden stream position at the previous frame
    float clock = 0.0f;         // 0.75 x every positive advance of the stream
    int frames = 0;             // hidden frames drawn, the current one included
    float last_beat = -1.0f;    // beat number of the last pattern change
    int pattern_type = 0;       // 0..12; 13 raises the level
    int pattern_level = 0;      // completed cycles; 0 in the first, ordered one
    int dot_count = 1;          // dots the pattern loop draws; set by the patterns
    int pozycja = 0;            // first visible character of `napis`
    float posx = 0.0f;          // scroll offset in pixels, 0 down to -62
    bool operator==(const HiddenState&) const = default;
};

// The program's one hidden part, which advance_hidden_part runs.
extern HiddenState hidden_state;

// One dot of the pattern: a rectangle in unit coordinates and its colour.
// Colour components may exceed 1 (GL clamps them).
struct HiddenDot {
    float x, y, w, h;
    double r, g, b, a;
};

// One glyph of the scroller, in window pixels (baseline at y = 375).
struct HiddenGlyph {
    float x;
    char ch;
};

// --- Rules (pure; the order of the calls below is the order of a frame) -------

// Reads the stream position `seconds` (already rounded to float) and advances
// the clock by 0.75 of a positive change. Returns `dete`, the change itself.
float advance_hidden_clock(HiddenState& s, float seconds);

// Counts the frame and, on a new beat, steps the pattern: in order during level
// 0, at random afterwards (reseeding the shared generator from the frame count
// and writing "frames  type" to `out`, flushed). Returns 1 on a beat.
int step_hidden_beat(HiddenState& s, std::FILE* out);

// Reseeds the shared generator for the level and runs the pattern loop,
// replacing `dots` with the dots to draw. May raise the level (type 13).
void compute_hidden_dots(HiddenState& s, std::vector<HiddenDot>& dots);

// Moves the scroller by `dete` seconds of hidden music (500 pixels a second,
// one character per 62 pixels).
void scroll_hidden_text(HiddenState& s, float dete);

// Lays out the visible window of `napis`, replacing `glyphs`. Meeting the final
// "@" sends `pozycja` back to the start for the next frame.
void layout_hidden_text(HiddenState& s, std::vector<HiddenGlyph>& glyphs);
