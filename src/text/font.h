// font.h: the seven-segment glyph font and its printf-style print operation.
//
// build_glyph_font turns "digital-7.ttf" (working directory) into one texture
// per character code 0 to 127 and one atlas holding them all, using FreeType
// once at start-up. freetype::print draws text, possibly of several lines, at
// window pixel positions from the atlas, one draw per line, applying the
// caller's modelview matrix in pixel units. Needs a current GL context; main
// thread only. Depends on core/draw_stats.h, FreeType, GL and GLU.
#pragma once

#include <GL/glew.h>

#include <cstddef>
#include <exception>
#include <vector>

// Where code c's quad goes, relative to the pen, and where its texels are.
struct GlyphQuad {
    float left = 0, bottom = 0, right = 0, top = 0;  // pixels from the pen
    float s0 = 0, t0 = 0, s1 = 0, t1 = 0;            // atlas coordinates, t0 at the top row
    float advance = 0;                               // pen movement, whole pixels
};

struct GlyphFont {
    float pixel_height = 0;  // requested glyph size (64)
    // Texture of character code c at index c. Text is drawn from the atlas;
    // print leaves the last code's texture bound, as drawing it alone did.
    GLuint glyph_textures[128] = {};
    GLuint atlas = 0;
    GlyphQuad glyphs[128] = {};
    int modelview_depth_limit = 32;  // the driver's; a full stack changes what print draws
};

extern GlyphFont our_font;

// Size of every formatting buffer of the text code; longer output is cut.
constexpr std::size_t text_buffer_size = 380;

// Fills our_font. Throws std::runtime_error carrying one of the four font
// messages ("FT_New_Face failed (...)" when the file is missing or bad).
void build_glyph_font();

// What main does with a failure of the font build: writes the message alone
// (and a newline) to stderr and returns the exit status, 1.
int report_font_failure(const std::exception& failure);

// Projection = pixel grid of the current viewport (pushed), and back.
void push_screen_projection();
void pop_screen_projection();

// printf into `buffer`, cut to fit; returns what vsnprintf returns.
int format_text(char (&buffer)[text_buffer_size], const char* format, ...)
    __attribute__((format(printf, 2, 3)));

namespace freetype {
// Prints at window pixels (x, y) = baseline origin of the first line, in the
// current colour. A null format prints nothing. Lines are split at "\n" and
// drawn font.pixel_height / 0.63 pixels apart; a text that begins with "1" is
// moved 26 pixels right.
void print(const GlyphFont& font, float x, float y, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
}  // namespace freetype

// --- Pure rules of the print operation (no GL) --------------------------------

// Distance between printed lines, pixels.
float print_line_height(const GlyphFont& font);

// Where line `line` (0 first) of a printed text starts. `formatted` is false
// for a null format, which never takes the "1" shift.
struct LineOrigin {
    float x, y;
};
LineOrigin print_line_origin(const GlyphFont& font, float x, float y, const char* text, bool formatted,
                             int line);

// Lines a text splits into: one more than its "\n" characters.
int count_text_lines(const char* text);

// The luminance-alpha texels of one glyph bitmap (bw x br coverage bytes,
// rows `stride` bytes apart) in the smallest power-of-two texture holding it,
// top row first. Each texel row is padded to `alignment` bytes, the unpack
// alignment the upload reads rows with (a one-texel-wide glyph has rows of 2
// bytes, which the default alignment of 4 would otherwise overrun).
struct GlyphTexels {
    int width = 1, height = 1;
    std::vector<unsigned char> bytes;
};
GlyphTexels make_glyph_texels(const unsigned char* buffer, int bw, int br, int stride, int alignment);

// All glyph textures in one luminance-alpha texture (rows 2 x width bytes,
// both sides powers of two), each in a cell of its own with a one-texel
// border copied from its opposite edges. Linear filtering at a glyph's edge
// then reads the texels the glyph's own repeating texture gave it, and the
// glyph's coordinates scaled into the atlas fall on the same texel centres.
// x[k], y[k]: the atlas texel of glyph k's texel (0, 0).
struct GlyphAtlas {
    int width = 1, height = 1;
    std::vector<unsigned char> bytes;
    std::vector<int> x, y;
};
GlyphAtlas make_glyph_atlas(const std::vector<GlyphTexels>& glyphs);
