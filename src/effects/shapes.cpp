// shapes.cpp: GL submission of the outline shapes and the GLUT solids. The
// rippled ellipse goes as one vertex array, the other outlines in immediate
// mode (a few vertices each); rect adds one matrix save, translation and
// restore. The GLUT solids are compiled once per size into display lists.
// Depends on core/clock.h, core/draw_stats.h, GLUT.
#include "effects/shapes.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <vector>

#include "core/clock.h"
#include "core/draw_stats.h"

namespace {

// A GLUT solid compiled once: the same vertices each time it is called.
enum class Solid { sphere, wire_torus, cube };
struct CompiledSolid {
    Solid solid;
    double size;
    int detail;
    GLuint list;
};
std::vector<CompiledSolid> compiled_solids;

GLuint solid_list(Solid solid, double size, int detail) {
    for (const CompiledSolid& c : compiled_solids)
        if (c.solid == solid && c.size == size && c.detail == detail) return c.list;
    GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    if (solid == Solid::sphere)
        glutSolidSphere(size, detail, detail);
    else if (solid == Solid::wire_torus)
        glutWireTorus(size, size, detail, 16);
    else
        glutSolidCube(size);
    glEndList();
    compiled_solids.push_back({solid, size, detail, list});
    return list;
}

// GLUT draws its solids from vertex arrays, which leave the current colour,
// normal and texture coordinates alone; a list's replay sets them to its last
// vertex's, so they are kept around it.
void call_solid(Solid solid, double size, int detail) {
    const GLuint list = solid_list(solid, size, detail);
    glPushAttrib(GL_CURRENT_BIT);
    glCallList(list);
    glPopAttrib();
    draw_stats_add(3, 1);
}

std::vector<ShapeVertex> ellipse_vertices;

}  // namespace

void draw_ripple_ellipse(float x) {
    ellipse_vertices.clear();
    for_each_ripple_ellipse_vertex(x, demo_time, [](ShapeVertex v) { ellipse_vertices.push_back(v); });
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, sizeof(ShapeVertex), ellipse_vertices.data());
    glDrawArrays(GL_LINE_LOOP, 0, static_cast<GLsizei>(ellipse_vertices.size()));
    glDisableClientState(GL_VERTEX_ARRAY);
    draw_stats_add(4, 1);
}

void draw_star_dot(float x) {
    glBegin(GL_POLYGON);
    for_each_star_dot_vertex(x, [](ShapeVertex v) { glVertex2d(v.x, v.y); });
    glEnd();
    draw_stats_add(18, 1);
}

void draw_spike(float x) {
    glBegin(GL_POLYGON);
    for_each_spike_vertex(x, [](SpikeVertex v) { glVertex2d(v.x, v.y); });
    glEnd();
    draw_stats_add(5, 1);
}

void rect(float x, float y, float w, float h) {
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    glBegin(GL_QUADS);
    for_each_rect_corner(w, h, [](RectCorner c) { glVertex2f(c.x, c.y); });
    glEnd();
    glPopMatrix();
    draw_stats_add(9, 1);
}

void prepare_shapes() {
    // The glow sphere's two sizes, the anchor sphere, the wire torus, the cube.
    for (double radius : {static_cast<double>(0.05f), static_cast<double>(0.15f)})
        solid_list(Solid::sphere, radius, 256);
    solid_list(Solid::sphere, static_cast<double>(0.2f), 32);
    solid_list(Solid::wire_torus, 3.4, 128);
    solid_list(Solid::cube, 0.4, 0);
}

void draw_solid_sphere(double radius, int n) { call_solid(Solid::sphere, radius, n); }
void draw_torus_wires(double radius, int sides) { call_solid(Solid::wire_torus, radius, sides); }
void draw_solid_cube(double size) { call_solid(Solid::cube, size, 0); }
