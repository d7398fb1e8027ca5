// overlays.cpp: the countdown panel (drawn into the overlay target by the
// timeline) and the GLUT bitmap captions.
//
// Depends on text/font.h (freetype::print), core/view.h
// (use_window_perspective), core/clock.h (demo_time), GLUT.
#include "text/overlays.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <GL/glu.h>

#include <cmath>
#include <cstring>

#include "core/clock.h"
#include "core/draw_stats.h"
#include "core/targets.h"
#include "core/view.h"
#include "text/font.h"

const int countdown_cell_offsets[7] = {0, 36, 80, 96, 132, 176, 192};

namespace {

// Cells 2 and 5 are the colons; the others take digits 0..4 in order.
bool is_colon_cell(int cell) { return cell == 2 || cell == 5; }

}  // namespace

void fill_quad(float x0, float y0, float x1, float y1) {
    glBegin(GL_QUADS);
    glVertex2f(x0, y0);
    glVertex2f(x0, y1);
    glVertex2f(x1, y1);
    glVertex2f(x1, y0);
    glEnd();
    draw_stats_add(6, 1);
}

CountdownDigits countdown_digits(float c) {
    int t = static_cast<int>(1819.0f - c);
    int m = static_cast<int>(t / 10.0 / 60.0);
    int s = static_cast<int>((t - 600.0 * m) / 10.0);
    int d = t - 10 * s - 600 * m;
    if (m < 0) m = 0;
    if (s < 0) s = 0;
    if (d < 0) d = 0;
    CountdownDigits result{m, s, d, {m / 10, m % 10, s / 10, s % 10, d}};
    return result;
}

CountdownPalette countdown_palette(float time) {
    const Rgb unlit{0.4f, 0.5f, 0.3f};
    if (time > 1300.0f) return {magenta_bar_outer, magenta_bar_inner, unlit, magenta_lit_text};
    return {{0.24f, 0.34f, 0.14f}, {0.34f, 0.54f, 0.24f}, unlit, {0.4f, 1.0f, 0.4f}};
}

std::string unlit_text(std::string_view text) {
    std::string result(text.size(), '8');
    for (size_t k = 0; k < text.size(); k++) {
        char c = text[k];
        switch (c) {
            case '1':
            case 'I':
            case ':':
            case '!':
            case ',':
            case '.':
            case ' ':
            case '-':
            case '(':
            case ')':
            case 'i':
                result[k] = c;
                break;
            case 'C':
            case 'E':
            case 'F':
            case 'c':
            case 'e':
            case 'f':
                result[k] = 'E';
                break;
            default:
                break;
        }
    }
    return result;
}

void draw_countdown_panel(float x, float y, float c) {
    glMatrixMode(GL_MODELVIEW);
    push_modelview_unit_ortho();

    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);

    CountdownPalette palette = countdown_palette(demo_time);
    const SegmentBar bar = segment_bar(x, y, 0.0f, 0.19f, 0.112f, 0.188f, 0.11f);
    glColor4f(palette.panel_outer.r, palette.panel_outer.g, palette.panel_outer.b, 1);
    fill_quad(bar.outer[0], bar.outer[1], bar.outer[2], bar.outer[3]);
    glColor4f(palette.panel_inner.r, palette.panel_inner.g, palette.panel_inner.b, 1);
    fill_quad(bar.inner[0], bar.inner[1], bar.inner[2], bar.inner[3]);

    CountdownDigits value = countdown_digits(c);
    float text_x = x * 1280 + 80;
    float text_y = (y + 0.005f) * 720 + 655;

    glColor4f(palette.unlit.r, palette.unlit.g, palette.unlit.b, 1);
    for (int cell = 0; cell < 7; cell++) {
        float cell_x = text_x + static_cast<float>(countdown_cell_offsets[cell]);
        if (is_colon_cell(cell))
            freetype::print(our_font, cell_x, text_y, ":");
        else
            freetype::print(our_font, cell_x, text_y, "%0d", 8);
        use_window_perspective();
    }

    glColor4f(palette.lit.r, palette.lit.g, palette.lit.b, 1);
    int digit = 0;
    for (int cell = 0; cell < 7; cell++) {
        float cell_x = text_x + static_cast<float>(countdown_cell_offsets[cell]);
        if (is_colon_cell(cell))
            freetype::print(our_font, cell_x, text_y, ":");
        else
            freetype::print(our_font, cell_x, text_y, "%0d", value.digits[digit++]);
        if (cell < 6) use_window_perspective();
    }

    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    draw_stats_add(18);
}

void draw_bitmap_text(float x, float y, float z, const char* text) {
    glRasterPos3f(x, y, z);
    for (const char* p = text; *p; p++)
        glutBitmapCharacter(GLUT_BITMAP_9_BY_15, static_cast<unsigned char>(*p));
    // GLUT saves the pixel store, sets it for its bitmap, draws and restores.
    const long n = static_cast<long>(std::strlen(text));
    draw_stats_add(1 + 9 * n, n);
}
