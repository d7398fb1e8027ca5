// cloud_draw.cpp: the cloud's web, trail and point layers.
//
// The positions go to GL as client-side arrays of doubles straight from
// cloud_positions. Depends on physics/cloud.h, core/demo_state.h, core/clock.h.
#include <GL/glew.h>

#include "core/clock.h"
#include "core/demo_state.h"
#include "core/draw_stats.h"
#include "physics/cloud.h"

namespace {

void draw_flat(GLenum primitive, int first_double, int count) {
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_DOUBLE, 0, cloud_flat() + first_double);
    glDrawArrays(primitive, 0, count);
    glDisableClientState(GL_VERTEX_ARRAY);
    draw_stats_add(4, 1);
}

}  // namespace

void draw_cloud() {
    const float t = demo_time;
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_POINT_SMOOTH);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glColor4f(0.25f, 0.23f, 0.21f, 0.025f);
    glLineWidth(1);
    draw_stats_add(6, 0, 1);
    const CloudLayers layers = cloud_layers(t);
    if (layers.web) {
        glPointSize(1);
        draw_stats_add(1);
        draw_flat(GL_LINES, 0, cloud_size);
    }
    if (layers.trail) {
        float e = trail_fade(t, demo.trail_time);
        float rgba[4];
        trail_colour(e, rgba);
        glColor4fv(rgba);
        glLineWidth(trail_width(e));
        draw_stats_add(2, 0, 1);
        if (trail_start_valid(demo.trail_index)) draw_flat(GL_LINES, demo.trail_index, trail_vertices);
    }
    if (layers.points) {
        glColor4f(1, 1, 1, 0.6f);
        glPointSize(1);
        draw_flat(GL_POINTS, 0, 940);
        glPointSize(3);
        draw_flat(GL_POINTS, 940, 50);
        glPointSize(5);
        draw_flat(GL_POINTS, 990, 10);
        draw_stats_add(4);
    }
}
