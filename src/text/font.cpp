// font.cpp: builds the glyph font with FreeType and prints text with it.
//
// Depends on FreeType (only while building), OpenGL and GLU.
#include "text/font.h"

#include <ft2build.h>

#include "core/input_file.h"
#include FT_FREETYPE_H
#include FT_GLYPH_H

#include <GL/glew.h>
#include <GL/glu.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include <unistd.h>

#include <vector>

GlyphFont our_font;

namespace {

constexpr float line_spacing_divisor = 0.63f;
constexpr float one_shift_pixels = 26.0f;

int next_power_of_two(int value) {
    int result = 1;
    while (result < value) result <<= 1;
    return result;
}

// Texture and display list of one character code.
void make_glyph(FT_Face face, signed char code, GLuint first_list, GLuint* textures) {
    int c = static_cast<unsigned char>(code);
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
    int w = texels.width;
    int h = texels.height;
    glBindTexture(GL_TEXTURE_2D, textures[c]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE,
                 texels.bytes.data());

    float tx = static_cast<float>(bw) / static_cast<float>(w);
    float ty = static_cast<float>(br) / static_cast<float>(h);
    glNewList(first_list + static_cast<GLuint>(c), GL_COMPILE);
    glBindTexture(GL_TEXTURE_2D, textures[c]);
    glPushMatrix();
    glTranslatef(static_cast<float>(left), 0, 0);
    glTranslatef(0, static_cast<float>(top - br), 0);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(0, static_cast<float>(br));
    glTexCoord2f(0, ty);
    glVertex2f(0, 0);
    glTexCoord2f(tx, ty);
    glVertex2f(static_cast<float>(bw), 0);
    glTexCoord2f(tx, 0);
    glVertex2f(static_cast<float>(bw), static_cast<float>(br));
    glEnd();
    glPopMatrix();
    glTranslatef(static_cast<float>(face->glyph->advance.x >> 6), 0, 0);
    glEndList();

    FT_Done_Glyph(glyph);
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

    our_font.first_list = glGenLists(128);
    glGenTextures(128, our_font.glyph_textures);
    try {
        for (int c = 0; c < 128; c++)
            make_glyph(face, static_cast<signed char>(c), our_font.first_list, our_font.glyph_textures);
    } catch (...) {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
        throw;
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
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
    glListBase(font.first_list);

    float caller_modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, caller_modelview);

    const char* line_start = text;
    for (int line = 0;; line++) {
        const char* line_end = std::strchr(line_start, '\n');
        size_t length = line_end ? static_cast<size_t>(line_end - line_start) : std::strlen(line_start);
        // Only codes 0..127 have lists; other bytes draw nothing and keep the pen.
        unsigned char codes[text_buffer_size];
        GLsizei count = 0;
        for (size_t k = 0; k < length; k++) {
            unsigned char c = static_cast<unsigned char>(line_start[k]);
            if (c < 128) codes[count++] = c;
        }
        LineOrigin origin = print_line_origin(font, x, y, text, format != nullptr, line);
        glPushMatrix();
        glLoadIdentity();
        glTranslatef(origin.x, origin.y, 0);
        glMultMatrixf(caller_modelview);
        glCallLists(count, GL_UNSIGNED_BYTE, codes);
        glPopMatrix();
        if (!line_end) break;
        line_start = line_end + 1;
    }

    glPopAttrib();
    pop_screen_projection();
}

}  // namespace freetype
