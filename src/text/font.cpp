// font.cpp: builds the glyph font with FreeType and prints text with it.
//
// Depends on FreeType (only while building), OpenGL, GLU and core/draw_stats.h.
#include "text/font.h"

#include <ft2build.h>

#include "core/input_file.h"
#include FT_FREETYPE_H
#include FT_GLYPH_H

#include <GL/glew.h>
#include <GL/glu.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include <unistd.h>

#include <vector>

#include "core/draw_stats.h"

GlyphFont our_font;

namespace {

constexpr float line_spacing_divisor = 0.63f;
constexpr float one_shift_pixels = 26.0f;

int next_power_of_two(int value) {
    int result = 1;
    while (result < value) result <<= 1;
    return result;
}

// Texture of one character code and where its quad goes; its texels are
// kept for the atlas.
GlyphTexels make_glyph(FT_Face face, int c, GLuint texture, GlyphQuad& quad) {
    FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(c));
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0) throw std::runtime_error("FT_Load_Glyph failed");
    FT_Glyph glyph;
    if (FT_Get_Glyph(face->glyph, &glyph) != 0) throw std::runtime_error("FT_Get_Glyph failed");
    // A glyph that can't be rendered is drawn as an empty one (it still
    // advances the pen) rather than read as a bitmap it isn't.
    FT_Bitmap empty_bitmap{};
    const FT_Bitmap* bitmap = &empty_bitmap;
    int left = 0, top = 0;
    if (FT_Glyph_To_Bitmap(&glyph, FT_RENDER_MODE_NORMAL, nullptr, 1) == 0 &&
        glyph->format == FT_GLYPH_FORMAT_BITMAP) {
        FT_BitmapGlyph bitmap_glyph = reinterpret_cast<FT_BitmapGlyph>(glyph);
        bitmap = &bitmap_glyph->bitmap;
        left = bitmap_glyph->left;
        top = bitmap_glyph->top;
    }

    int bw = static_cast<int>(bitmap->width);
    int br = static_cast<int>(bitmap->rows);
    // Rows are pitch bytes apart; the rasteriser may pad them beyond the width.
    int stride = bitmap->pitch > 0 ? bitmap->pitch : bw;

    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    GlyphTexels texels = make_glyph_texels(bitmap->buffer, bw, br, stride, alignment);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, texels.width, texels.height, 0, GL_LUMINANCE_ALPHA,
                 GL_UNSIGNED_BYTE, texels.bytes.data());

    // The bitmap's top row at `top` above the baseline, whole pixels all.
    quad.left = static_cast<float>(left);
    quad.right = static_cast<float>(left + bw);
    quad.bottom = static_cast<float>(top - br);
    quad.top = static_cast<float>(top);
    quad.advance = static_cast<float>(face->glyph->advance.x >> 6);
    // Texel extent for now; scaled into the atlas once it is laid out.
    quad.s1 = static_cast<float>(bw);
    quad.t1 = static_cast<float>(br);

    FT_Done_Glyph(glyph);
    return texels;
}

// One atlas texture from every glyph's texels, and each quad's coordinates in it.
void upload_atlas(const std::vector<GlyphTexels>& texels, GlyphFont& font) {
    GlyphAtlas atlas = make_glyph_atlas(texels);
    glGenTextures(1, &font.atlas);
    glBindTexture(GL_TEXTURE_2D, font.atlas);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // Rows of 2 x width bytes, width a power of two: any unpack alignment fits
    // from 2 texels on; a one-texel atlas is read byte by byte.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, atlas.width, atlas.height, 0, GL_LUMINANCE_ALPHA,
                 GL_UNSIGNED_BYTE, atlas.bytes.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    // Powers of two over powers of two: every coordinate is exact.
    const float w = static_cast<float>(atlas.width), h = static_cast<float>(atlas.height);
    for (size_t c = 0; c < texels.size(); c++) {
        GlyphQuad& q = font.glyphs[c];
        const float x = static_cast<float>(atlas.x[c]), y = static_cast<float>(atlas.y[c]);
        q.s0 = x / w;
        q.t0 = y / h;
        q.s1 = (x + q.s1) / w;
        q.t1 = (y + q.t1) / h;
    }
}

// One draw of the quads of `count` codes in a row, the pen starting at 0;
// `at_origin` puts a lone glyph's quad at the origin, for a caller that moved
// the matrix there itself. Returns the GL calls made and counts the draw.
long draw_glyph_quads(const GlyphFont& font, const unsigned char* codes, size_t count, bool at_origin,
                      long& draws) {
    float pen = 0;
    // s, t, x, y per corner, in the order the corners always went.
    static std::vector<float> corners;
    corners.clear();
    for (size_t k = 0; k < count; k++) {
        const GlyphQuad& q = font.glyphs[codes[k]];
        if (q.right > q.left && q.top > q.bottom) {
            const float x0 = at_origin ? 0 : pen + q.left, x1 = x0 + (q.right - q.left);
            const float y0 = at_origin ? 0 : q.bottom, y1 = y0 + (q.top - q.bottom);
            corners.insert(corners.end(),
                           {q.s0, q.t0, x0, y1, q.s0, q.t1, x0, y0, q.s1, q.t1, x1, y0, q.s1, q.t0, x1, y1});
        }
        pen += q.advance;
    }
    if (corners.empty()) return 0;
    // One begin/end pair, not a vertex array: drawn from client arrays, these
    // few-vertex draws left Mesa's no-op driver (GALLIUM_NOOP, the capture
    // report's CPU-side measurements) crashing when the context went away.
    glBegin(GL_QUADS);
    for (size_t k = 0; k < corners.size(); k += 4) {
        glTexCoord2f(corners[k], corners[k + 1]);
        glVertex2f(corners[k + 2], corners[k + 3]);
    }
    glEnd();
    draws++;
    return 2 + static_cast<long>(corners.size() / 2);
}

}  // namespace

void build_glyph_font() {
    our_font = GlyphFont{};
    our_font.pixel_height = 64;

    FT_Library library;
    if (FT_Init_FreeType(&library) != 0) throw std::runtime_error("FT_Init_FreeType failed");
    // Read whole and size-checked first: FreeType would wait on a FIFO
    // named like the font, and the bytes must outlive the face.
    static std::vector<unsigned char> font_bytes;
    std::string why;
    FT_Face face;
    if (!read_input("digital-7.ttf", 16 << 20, font_bytes, why) ||
        FT_New_Memory_Face(library, font_bytes.data(), static_cast<FT_Long>(font_bytes.size()), 0, &face) !=
            0) {
        // The message below is the font's own and fixed; this line names the file.
        std::fprintf(stderr, "tangle: digital-7.ttf: %s\n", why.empty() ? "not a font" : why.c_str());
        FT_Done_FreeType(library);
        throw std::runtime_error("FT_New_Face failed (there is probably a problem with your font file)");
    }
    FT_Set_Char_Size(face, 4096, 4096, 96, 96);

    glGenTextures(128, our_font.glyph_textures);
    std::vector<GlyphTexels> texels;
    try {
        for (int c = 0; c < 128; c++)
            texels.push_back(make_glyph(face, c, our_font.glyph_textures[c], our_font.glyphs[c]));
    } catch (...) {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
        throw;
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    upload_atlas(texels, our_font);
    GLint limit = 32;
    glGetIntegerv(GL_MAX_MODELVIEW_STACK_DEPTH, &limit);
    our_font.modelview_depth_limit = limit;
}

int report_font_failure(const std::exception& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
    return 1;
}

void push_screen_projection() {
    glPushAttrib(GL_TRANSFORM_BIT);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    // Width and height as the right and top edges, as the print rules expect.
    gluOrtho2D(viewport[0], viewport[2], viewport[1], viewport[3]);
    glPopAttrib();
}

void pop_screen_projection() {
    glPushAttrib(GL_TRANSFORM_BIT);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

int format_text(char (&buffer)[text_buffer_size], const char* format, ...) {
    va_list args;
    va_start(args, format);
    int written = std::vsnprintf(buffer, text_buffer_size, format, args);
    va_end(args);
    if (written < 0) buffer[0] = '\0';
    return written;
}

float print_line_height(const GlyphFont& font) { return font.pixel_height / line_spacing_divisor; }

LineOrigin print_line_origin(const GlyphFont& font, float x, float y, const char* text, bool formatted,
                             int line) {
    if (formatted && text[0] == '1') x += one_shift_pixels;
    float h = print_line_height(font);
    return {x, y - h * static_cast<float>(line)};
}

GlyphTexels make_glyph_texels(const unsigned char* buffer, int bw, int br, int stride, int alignment) {
    GlyphTexels texels;
    texels.width = next_power_of_two(bw);
    texels.height = next_power_of_two(br);
    if (alignment < 1) alignment = 1;
    int row_bytes = (2 * texels.width + alignment - 1) / alignment * alignment;
    texels.bytes.assign(static_cast<size_t>(row_bytes) * static_cast<size_t>(texels.height), 0);
    for (int j = 0; j < br; j++) {
        for (int i = 0; i < bw; i++) {
            unsigned char value = buffer[i + j * stride];
            texels.bytes[static_cast<size_t>(j * row_bytes + 2 * i)] = value;
            texels.bytes[static_cast<size_t>(j * row_bytes + 2 * i + 1)] = value;
        }
    }
    return texels;
}

GlyphAtlas make_glyph_atlas(const std::vector<GlyphTexels>& glyphs) {
    // Cells on shelves across a fixed width, in code order.
    constexpr int shelf_width = 1024;
    GlyphAtlas atlas;
    int x = 0, y = 0, shelf_height = 0, widest = 1;
    for (const GlyphTexels& g : glyphs) {
        const int cw = g.width + 2, ch = g.height + 2;
        if (x > 0 && x + cw > shelf_width) x = 0, y += shelf_height, shelf_height = 0;
        atlas.x.push_back(x + 1);
        atlas.y.push_back(y + 1);
        x += cw;
        shelf_height = std::max(shelf_height, ch);
        widest = std::max(widest, x);
    }
    atlas.width = next_power_of_two(widest);
    atlas.height = next_power_of_two(std::max(1, y + shelf_height));
    const size_t row_bytes = 2 * static_cast<size_t>(atlas.width);
    atlas.bytes.assign(row_bytes * static_cast<size_t>(atlas.height), 0);
    for (size_t k = 0; k < glyphs.size(); k++) {
        const GlyphTexels& g = glyphs[k];
        const size_t from_row = g.bytes.size() / static_cast<size_t>(g.height);
        // Rows and columns -1 and width/height are the opposite edges, as
        // the glyph's own texture repeats.
        for (int j = -1; j <= g.height; j++)
            for (int i = -1; i <= g.width; i++) {
                const int si = (i + g.width) % g.width, sj = (j + g.height) % g.height;
                const size_t from = static_cast<size_t>(sj) * from_row + 2 * static_cast<size_t>(si);
                const size_t to =
                    static_cast<size_t>(atlas.y[k] + j) * row_bytes + 2 * static_cast<size_t>(atlas.x[k] + i);
                atlas.bytes[to] = g.bytes[from];
                atlas.bytes[to + 1] = g.bytes[from + 1];
            }
    }
    return atlas;
}

int count_text_lines(const char* text) {
    int lines = 1;
    for (const char* p = text; *p; p++)
        if (*p == '\n') lines++;
    return lines;
}

namespace freetype {

void print(const GlyphFont& font, float x, float y, const char* format, ...) {
    push_screen_projection();

    char text[text_buffer_size];
    text[0] = '\0';
    if (format) {
        va_list args;
        va_start(args, format);
        int written = std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
        if (written < 0) text[0] = '\0';
    }

    // The colour-buffer group carries the blend function, which the caller
    // gets back as well.
    glPushAttrib(GL_LIST_BIT | GL_CURRENT_BIT | GL_ENABLE_BIT | GL_TRANSFORM_BIT | GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    float caller_modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, caller_modelview);

    glBindTexture(GL_TEXTURE_2D, font.atlas);
    long calls = 22, draws = 0;
    int last_code = -1;
    const char* line_start = text;
    for (int line = 0;; line++) {
        const char* line_end = std::strchr(line_start, '\n');
        size_t length = line_end ? static_cast<size_t>(line_end - line_start) : std::strlen(line_start);
        // Only codes 0..127 are glyphs; other bytes draw nothing and keep the pen.
        unsigned char codes[text_buffer_size];
        size_t count = 0;
        for (size_t k = 0; k < length; k++) {
            unsigned char c = static_cast<unsigned char>(line_start[k]);
            if (c < 128) codes[count++] = c;
        }
        if (count > 0) last_code = codes[count - 1];
        LineOrigin origin = print_line_origin(font, x, y, text, format != nullptr, line);
        glPushMatrix();
        glLoadIdentity();
        glTranslatef(origin.x, origin.y, 0);
        glMultMatrixf(caller_modelview);
        calls += 6;
        size_t from = 0;
        if (count > 0) {
            GLint depth = 0;
            glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
            calls++;
            if (depth >= font.modelview_depth_limit) {
                // Each glyph saves and restores the matrix around its quad. On
                // a full stack the first glyph's save is ignored and its
                // restore takes the entry below, which the rest of the line
                // is then drawn on: done call for call as a glyph of its own.
                const GlyphQuad& q = font.glyphs[codes[0]];
                glPushMatrix();
                glTranslatef(q.left, 0, 0);
                glTranslatef(0, q.bottom, 0);
                calls += draw_glyph_quads(font, codes, 1, true, draws);
                glPopMatrix();
                glTranslatef(q.advance, 0, 0);
                calls += 5;
                from = 1;
            }
        }
        calls += draw_glyph_quads(font, codes + from, count - from, false, draws);
        glPopMatrix();
        if (!line_end) break;
        line_start = line_end + 1;
    }
    // Drawing code by code used to leave the last one's texture bound.
    if (last_code >= 0) glBindTexture(GL_TEXTURE_2D, font.glyph_textures[last_code]), calls++;
    draw_stats_add(calls, draws);

    glPopAttrib();
    pop_screen_projection();
}

}  // namespace freetype
