// credits.cpp: draws the end credits over the finished frame.
//
// Two passes over the 390 lines: all bars first (gathered into one draw),
// then all texts, so that no bar covers a text. Only lines whose baseline
// lies in a band around the screen are drawn. Depends on text/font.h,
// text/overlays.h, core/targets.h, core/view.h, core/clock.h,
// core/draw_stats.h, effects/plates.h.
#include "text/credits.h"

#include <GL/glew.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/draw_stats.h"
#include "core/targets.h"
#include "core/view.h"
#include "effects/plates.h"
#include "text/font.h"
#include "text/overlays.h"

CreditsState credits_state;

namespace {

constexpr double band_bottom = -200.0;
constexpr double band_top = 1200.0;

// The bars of pass 0, two quads a line (outer, then inner), gathered into one
// draw: r, g, b, a, x, y per corner, in the order the quads always went.
std::vector<float> bar_corners;
const float bar_outer[4] = {magenta_bar_outer.r, magenta_bar_outer.g, magenta_bar_outer.b, 1};
const float bar_inner[4] = {magenta_bar_inner.r, magenta_bar_inner.g, magenta_bar_inner.b, 1};

void add_bar_quad(const float (&rgba)[4], float x0, float y0, float x1, float y1) {
    const float corners[4][2] = {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}};
    for (const auto& c : corners) {
        bar_corners.insert(bar_corners.end(), rgba, rgba + 4);
        bar_corners.insert(bar_corners.end(), {c[0], c[1]});
    }
}

// Draws the bars gathered so far, untextured, unlit and opaque as each bar
// was, and leaves the last one's colour current.
void draw_bars() {
    if (bar_corners.empty()) return;
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glColorPointer(4, GL_FLOAT, 6 * sizeof(float), bar_corners.data());
    glVertexPointer(2, GL_FLOAT, 6 * sizeof(float), bar_corners.data() + 4);
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(bar_corners.size() / 6));
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glColor4fv(bar_inner);
    bar_corners.clear();
    draw_stats_add(12, 1);
}

}  // namespace

void advance_credits_scroll(float position) {
    advance_derived_clock(credits_last_position, credits_scroll, position);
}

float credits_offset_for(float scroll) {
    if (scroll <= 0) return 0;
    if (scroll < 1) return scroll * scroll / 15.0f;
    return scroll / 15.0f;
}

double credits_line_baseline(int index, float y, float offset) {
    float b = static_cast<float>(index - 1) * 0.1f;
    float t = offset - b;
    return static_cast<double>(y) * 720.0 + 655.0 + static_cast<double>(t) * 720.0;
}

bool credits_line_in_band(double baseline) { return baseline >= band_bottom && baseline <= band_top; }

float credits_picture_dy(int index, float offset) {
    float b = static_cast<float>(index - 1) * 0.1f;
    float t = offset - b;
    return (t - b) * 1.8f + 1.62f;
}

float credits_bar_width(int length) { return static_cast<float>(length) * 36.0f / 1280.0f; }

float credits_line_x(int index, float x_origin) {
    if (index == 0) return x_origin + 0.15f;
    if (index == credits_line_count - 1) return -150.0f;
    return x_origin;
}

void draw_picture_plate(float alpha, float zoom, float dx, float dy) {
    draw_shifted_plate(textures[49], alpha, zoom, dx, dy + 0.5f);
}

void draw_credits_line(int index, const char* text, float x, float y, float offset, int pass) {
    float b = static_cast<float>(index - 1) * 0.1f;
    double baseline = credits_line_baseline(index, y, offset);
    if (!credits_line_in_band(baseline)) return;

    if (std::strcmp(text, "XD") == 0) {
        draw_bars();  // the bars above it go under the picture, as ever
        draw_picture_plate(1.0f, 6.0f, 0.0f, credits_picture_dy(index, offset));
        return;
    }

    if (pass == 0) {
        float w = credits_bar_width(static_cast<int>(std::strlen(text)));
        if (w == 0) return;  // an empty line leaves a gap
        const SegmentBar bar = segment_bar(x, y, b, 1.001f * w, 0.094f, w, 0.092f);
        add_bar_quad(bar_outer, bar.outer[0], bar.outer[1], bar.outer[2], bar.outer[3]);
        add_bar_quad(bar_inner, bar.inner[0], bar.inner[1], bar.inner[2], bar.inner[3]);
        return;
    }

    std::string unlit = unlit_text(text);
    float text_x = x * 1280 + 80;
    float text_y = static_cast<float>(baseline);
    // Handed over as data, not as a format: a table line can never be misread.
    glColor4f(magenta_unlit_text.r, magenta_unlit_text.g, magenta_unlit_text.b, 1);
    freetype::print(our_font, text_x, text_y, "%s", unlit.c_str());
    glColor4f(magenta_lit_text.r, magenta_lit_text.g, magenta_lit_text.b, 1);
    freetype::print(our_font, text_x, text_y, "%s", text);
    draw_stats_add(2);
}

void reset_end_credits() { credits_state = CreditsState{}; }

void advance_end_credits() {
    advance_credits_scroll(static_cast<float>(stream_seconds(finale_stream)));
    credits_offset = credits_offset_for(credits_scroll);
}

void draw_end_credits(float x_origin, float y_origin) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    push_unit_ortho();
    glViewport(0, 0, window_width, window_height);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);

    float line_y = y_origin - 0.1f;
    glTranslatef(0, credits_offset * 1.001f, 0);

    for (int pass = 0; pass < 2; pass++) {
        for (int index = 0; index < credits_line_count; index++)
            draw_credits_line(index, credits_lines[index], credits_line_x(index, x_origin), line_y,
                              credits_offset, pass);
        draw_bars();
    }

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    draw_stats_add(15);
}
