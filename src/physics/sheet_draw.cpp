// sheet_draw.cpp: submitting a sheet to OpenGL in immediate mode.
// Depends on physics/sheet_draw.h, app/targets.h, app/demo_state.h, audio/music.h.
#include "physics/sheet_draw.h"

#include <GL/glew.h>

#include "core/clock.h"
#include "core/demo_state.h"
#include "core/targets.h"
#include "core/view.h"

namespace {

void send_normal(const Vec3& n) {
    glNormal3f(static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z));
}
void send_vertex(const Vec3& p) {
    glVertex3f(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z));
}

void draw_fins(const ClothSheet& s, int style) {
    glShadeModel(GL_SMOOTH);
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, 0.65f);
    int c = choose_sheet_texture(demo.cloth_texture, style, demo_time);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(textures[c]));
    const int R = s.rows, S = s.columns;
    for (int j = 0; j + 1 < S; j++)
        for (int i = 0; i + 1 < R; i++) {
            const int corners[4][2] = {{i, j}, {i + 1, j}, {i + 1, j + 1}, {i, j + 1}};
            glBegin(GL_QUADS);
            for (const auto& kl : corners) {
                const Particle& p = sheet_particle(s, kl[0], kl[1]);
                float g = fin_grey(p.normal);
                float st[2];
                fin_texture_coords(kl[0], kl[1], R, S, st);
                glColor4f(g, g, g, 0.65f);
                send_normal(p.normal);
                glTexCoord2f(st[0], st[1]);
                send_vertex(p.position);
            }
            glEnd();
        }
    glDisable(GL_TEXTURE_2D);
}

void draw_early_strands(const ClothSheet& s) {
    static const GLfloat light_position[4] = {1.5f, 2.0f, 2.0f, 0.0f};
    static const GLfloat diffuse[4] = {0.0f, 0.8f, 0.8f, 1.0f};
    static const GLfloat specular[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_POSITION, light_position);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT, GL_SHININESS, 150.0f);
    // Black source times the destination: the strands darken what is beneath.
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_COLOR, GL_DST_COLOR);
    glColor4f(0, 0, 0, 0);
    glBegin(GL_LINES);
    for (int j = 0; j < s.columns; j++)
        for (int i = 0; i + 1 < s.rows; i++) {
            const Particle& a = sheet_particle(s, i, j);
            const Particle& b = sheet_particle(s, i + 1, j);
            send_normal(a.normal);
            send_vertex(a.position);
            send_normal(b.normal);
            send_vertex(b.position);
        }
    glEnd();
}

void draw_late_strands(const ClothSheet& s) {
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_COLOR, GL_DST_COLOR);
    for (int j = 0; j < s.columns; j++)
        for (int i = 0; i + 1 < s.rows; i++) {
            StrandSegmentLook look = late_segment_look(s, i, j);
            // Far from the anchor the width comes out zero or negative; the
            // width set before stays, as GL would keep it on a rejected value.
            if (look.width > 0) glLineWidth(look.width);
            glBegin(GL_LINE_STRIP);
            glColor4fv(look.near_rgba);
            send_vertex(sheet_particle(s, i, j).position);
            glColor4fv(look.far_rgba);
            send_vertex(sheet_particle(s, i + 1, j).position);
            glEnd();
        }
}

}  // namespace

void draw_sheet(const ClothSheet& sheet, int mode, int style) {
    if (mode == 1) {
        draw_fins(sheet, style);
    } else if (mode == 0) {
        glLineWidth(1);
        if (demo_time < 600)
            draw_early_strands(sheet);
        else
            draw_late_strands(sheet);
    }
}
