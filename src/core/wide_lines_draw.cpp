// wide_lines_draw.cpp: one draw for a pass of smooth wide lines.
#include "core/wide_lines_draw.h"

#include <GL/glew.h>

#include <algorithm>
#include <vector>

#include "core/draw_stats.h"

namespace {

// Opaque white with an alpha of 1 in one corner texel only: filtered, it
// gives the product of the two coverage ramps. Made at start-up.
GLuint coverage_texture = 0;

// The coverage grids' triangles, in an element buffer made at start-up and
// grown only if a pass ever has more lines than it holds: they never change.
GLuint triangle_buffer = 0;
size_t triangle_buffer_lines = 0;

// Binds it, holding at least `lines` grids; the GL calls it made.
int bind_triangle_buffer(size_t lines) {
    int calls = 1;
    if (triangle_buffer == 0) {
        glGenBuffers(1, &triangle_buffer);
        calls++;
    }
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, triangle_buffer);
    if (lines <= triangle_buffer_lines) return calls;
    // The whole grown bridge fits the first buffer made.
    triangle_buffer_lines = std::max<size_t>(2 * lines, 40000);
    std::vector<unsigned> indices;
    wide_line_triangles(triangle_buffer_lines, indices);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(unsigned)),
                 indices.data(), GL_STATIC_DRAW);
    return calls + 1;
}

// The GL calls it made.
int bind_coverage_texture() {
    if (coverage_texture != 0) {
        glBindTexture(GL_TEXTURE_2D, coverage_texture);
        return 1;
    }
    // Rows of 8 bytes suit any unpack alignment.
    static const GLubyte texels[16] = {255, 255, 255, 0, 255, 255, 255, 0,
                                       255, 255, 255, 0, 255, 255, 255, 255};
    glGenTextures(1, &coverage_texture);
    glBindTexture(GL_TEXTURE_2D, coverage_texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    return 7;
}

}  // namespace

void prepare_wide_line_drawing() {
    glActiveTexture(GL_TEXTURE1);
    bind_coverage_texture();
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
    bind_triangle_buffer(1);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

WideLineView current_line_view() {
    WideLineView v;
    int viewport[4];
    glGetFloatv(GL_MODELVIEW_MATRIX, v.modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, v.projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    draw_stats_add(3);
    v.space = make_line_space(v.modelview, v.projection, viewport);
    return v;
}

void draw_wide_lines(const WideLineView& view, const WideLineMesh& mesh) { draw_wide_lines(view, &mesh, 1); }

void draw_wide_lines(const WideLineView& view, const WideLineMesh* parts, size_t count) {
    size_t most_lines = 0;
    int drawn = 0;
    for (size_t k = 0; k < count; k++)
        if (parts[k].vertices > 0) most_lines = std::max(most_lines, parts[k].vertices / 9), drawn++;
    if (drawn == 0) return;
    const bool coverage = parts[0].coverage;
    GLint matrix_mode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &matrix_mode);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLboolean cull = glIsEnabled(GL_CULL_FACE), polygon_smooth = glIsEnabled(GL_POLYGON_SMOOTH);
    if (cull) glDisable(GL_CULL_FACE);
    if (polygon_smooth) glDisable(GL_POLYGON_SMOOTH);
    // Reading and setting the matrices and enables, the arrays on and off,
    // putting it all back; the pointers and draws counted below.
    long calls = 15 + 2 * (cull ? 1 : 0) + 2 * (polygon_smooth ? 1 : 0);

    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    if (coverage) {
        glActiveTexture(GL_TEXTURE1);
        calls += bind_coverage_texture() + 11;
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glClientActiveTexture(GL_TEXTURE1);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        calls += bind_triangle_buffer(most_lines);
    }
    for (size_t k = 0; k < count; k++) {
        const WideLineMesh& mesh = parts[k];
        if (mesh.vertices == 0) continue;
        glVertexPointer(4, GL_FLOAT, 0, mesh.position.data());
        glColorPointer(4, GL_FLOAT, 0, mesh.colour.data());
        if (coverage) {
            glTexCoordPointer(2, GL_FLOAT, 0, mesh.texcoord.data());
            glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(24 * (mesh.vertices / 9)), GL_UNSIGNED_INT,
                           nullptr);
            calls += 4;
        } else {
            glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(mesh.vertices));
            calls += 3;
        }
    }
    if (coverage) {
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glClientActiveTexture(GL_TEXTURE0);
        glDisable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, 0);
        glActiveTexture(GL_TEXTURE0);
    }
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);

    if (polygon_smooth) glEnable(GL_POLYGON_SMOOTH);
    if (cull) glEnable(GL_CULL_FACE);
    glLoadMatrixf(view.modelview);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(view.projection);
    glMatrixMode(static_cast<GLenum>(matrix_mode));
    draw_stats_add(calls, drawn);
}
