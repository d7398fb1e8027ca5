// plates.cpp: the title plate and the panel tile.
#include "effects/plates.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include "core/draw_stats.h"
#include "core/targets.h"
#include "core/view.h"

namespace {
constexpr float plate_base = 0.2f;    // side at size 0
constexpr float plate_growth = 0.3f;  // relative growth per unit of size
}  // namespace

namespace {
void plate(int name, float alpha, float size, const float* shift) {
    if (shift) glMatrixMode(GL_MODELVIEW);
    push_modelview_unit_ortho();

    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(name));

    float grow = size * plate_growth + 1.0f;
    glTranslatef(0.5f, 0.5f, 0.0f);
    glScalef(plate_base, plate_base, plate_base);
    glScalef(grow, grow, grow);
    glTranslatef(-0.5f, -0.5f, 0.0f);
    if (shift) glTranslatef(shift[0], shift[1], 0.0f);

    draw_upright_image_quad();
    glPopMatrix();
    // The unit projection counts as four calls.
    draw_stats_add(shift ? 22 : 20);
}
}  // namespace

void draw_plate(int name, float alpha, float size) { plate(name, alpha, size, nullptr); }

void draw_shifted_plate(int name, float alpha, float size, float dx, float dy) {
    const float shift[2] = {dx, dy};
    plate(name, alpha, size, shift);
}

void draw_upright_image_quad() {
    // The image's first row goes at the top.
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(0, 1);
    glTexCoord2f(1, 0);
    glVertex2f(1, 1);
    glTexCoord2f(1, 1);
    glVertex2f(1, 0);
    glTexCoord2f(0, 1);
    glVertex2f(0, 0);
    glEnd();
    draw_stats_add(10, 1);
}

void draw_panel_tile(float ax, float ay, float az, float rx, float ry, float rz, float sx, float sy,
                     float sz) {
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glPushMatrix();
    glViewport(0, 0, 1600, 900);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, static_cast<double>(16.0f / 9.0f), static_cast<double>(0.1f), 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glTranslatef(-1.95f, 0.95f, -3.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, overlay_target);
    // The panel shows in its own colours: unlit, whatever lighting the state
    // restored before the closing sequence has on. Only for this quad, so
    // what the frame keeps for the next one is unchanged.
    glPushAttrib(GL_LIGHTING_BIT);
    glDisable(GL_LIGHTING);

    glScalef(sx, sy, sz);
    glTranslatef(ax, ay, az);
    glTranslatef(-0.45f, 0.45f, 0.0f);
    glRotatef(rx, 1.0f, 0.0f, 0.0f);
    glRotatef(ry, 0.0f, 1.0f, 0.0f);
    glRotatef(rz, 0.0f, 0.0f, 1.0f);
    glScalef(0.33f, 0.1f, 1.0f);

    // The panel was rendered into the target, so its first row is its bottom.
    glBegin(GL_QUADS);
    glTexCoord2f(1, 0);
    glVertex3f(1, -1, 0);
    glTexCoord2f(0, 0);
    glVertex3f(-1, -1, 0);
    glTexCoord2f(0, 1);
    glVertex3f(-1, 1, 0);
    glTexCoord2f(1, 1);
    glVertex3f(1, 1, 0);
    glEnd();
    glPopAttrib();
    glPopMatrix();
    draw_stats_add(35, 1);
}
