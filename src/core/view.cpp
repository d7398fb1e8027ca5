// view.cpp: the shared projection helpers.
#include "core/view.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include "core/demo_state.h"
#include "core/draw_stats.h"
#include "core/targets.h"

void use_window_perspective() {
    glDepthMask(GL_FALSE);
    glEnable(GL_NORMALIZE);
    glViewport(0, 0, window_width, window_height);
    load_show_perspective();
    draw_stats_add(3);
}

void load_show_perspective() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(demo.field_of_view, static_cast<float>(window_width) / static_cast<float>(window_height),
                   0.0001, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    draw_stats_add(5);
}

void push_modelview_unit_ortho() {
    glPushMatrix();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, 1, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void push_unit_ortho() {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0, 1, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    draw_stats_add(5);
}
