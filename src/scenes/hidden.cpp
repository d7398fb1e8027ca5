// hidden.cpp: the hidden part's frame: advances the rules of hidden_logic.cpp
// on the program's one HiddenState, then draws the result. Depends on
// audio/music.h, effects/shapes.h (rect) and text/font.h (our_font).
#include "scenes/hidden.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include "audio/music.h"
#include "core/draw_stats.h"
#include "effects/shapes.h"
#include "text/font.h"

HiddenState hidden_state;

namespace {

HiddenState& hidden = hidden_state;
// Reused every frame: up to 1,250 dots and 50 glyphs.
std::vector<HiddenDot> hidden_dots;
std::vector<HiddenGlyph> hidden_glyphs;

// A full-width band: the quad from 0 to `height`, moved up by `lift`.
void draw_band(float r, float g, float b, float lift, float height) {
    glColor4f(r, g, b, 1.0f);
    glPushMatrix();
    glTranslatef(0.0f, lift, 0.0f);
    glBegin(GL_QUADS);
    glVertex2f(0.0f, height);
    glVertex2f(1.0f, height);
    glVertex2f(1.0f, 0.0f);
    glVertex2f(0.0f, 0.0f);
    glEnd();
    glPopMatrix();
    draw_stats_add(10, 1);
}

}  // namespace

void advance_hidden_part() {
    // The position is read before the music starts: the first frame sees 0.
    const float seconds = static_cast<float>(stream_seconds(hidden_stream));
    const float dete = advance_hidden_clock(hidden, seconds);
    if (hidden.music_started == 0) {
        hidden.music_started = 1;
        music_switch_to(hidden_stream);
    }
    step_hidden_beat(hidden, stdout);
    compute_hidden_dots(hidden, hidden_dots);
    scroll_hidden_text(hidden, dete);
    layout_hidden_text(hidden, hidden_glyphs);
}

void draw_hidden_part() {
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glClearColor(0.9f, 0.1f, 0.1f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    glPushMatrix();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, 1.0, 0.0, 1.0);
    glMatrixMode(GL_MODELVIEW);

    glColor4f(0.06f, 0.06f, 0.06f, 1.0f);
    rect(0.0f, 0.38f, 1.0f, 0.48f);

    draw_stats_add(14 + static_cast<long>(hidden_dots.size()));
    for (const HiddenDot& d : hidden_dots) {
        glColor4d(d.r, d.g, d.b, d.a);
        rect(d.x, d.y, d.w, d.h);
    }

    draw_band(0.95f, 0.15f, 0.16f, 0.0f, 0.38f);  // bottom band

    draw_band(0.2f, 0.3f, 0.2f, 0.3f, 0.1f);  // text band
    glColor4f(0.9f, 0.7f, 0.8f, 1.0f);
    for (const HiddenGlyph& g : hidden_glyphs) freetype::print(our_font, g.x, 375.0f, "%c", g.ch);

    glPopMatrix();
}

void reset_hidden_part() {
    hidden = HiddenState{};
    hidden_dots.clear();
    hidden_glyphs.clear();
}
