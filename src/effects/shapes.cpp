// shapes.cpp: GL submission of the outline shapes. Only begin/end and the
// vertices; rect adds one matrix save, translation and restore.
#include "effects/shapes.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include "core/clock.h"

void draw_ripple_ellipse(float x) {
    glBegin(GL_LINE_LOOP);
    for_each_ripple_ellipse_vertex(x, demo_time, [](ShapeVertex v) { glVertex2d(v.x, v.y); });
    glEnd();
}

void draw_star_dot(float x) {
    glBegin(GL_POLYGON);
    for_each_star_dot_vertex(x, [](ShapeVertex v) { glVertex2d(v.x, v.y); });
    glEnd();
}

void draw_spike(float x) {
    glBegin(GL_POLYGON);
    for_each_spike_vertex(x, [](SpikeVertex v) { glVertex2d(v.x, v.y); });
    glEnd();
}

void rect(float x, float y, float w, float h) {
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    glBegin(GL_QUADS);
    for_each_rect_corner(w, h, [](RectCorner c) { glVertex2f(c.x, c.y); });
    glEnd();
    glPopMatrix();
}

void draw_solid_sphere(double radius, int n) { glutSolidSphere(radius, n, n); }
