// wide_lines_draw.h: submitting a pass of smooth wide lines (core/wide_lines.h)
// as one draw.
//
// Depends on core/wide_lines.h and OpenGL (1.3 multitexture for the coverage).
#pragma once

#include "core/wide_lines.h"

// The GL matrices and viewport lines are drawn through, read once per pass.
struct WideLineView {
    LineSpace space;
    float modelview[16], projection[16];
};
WideLineView current_line_view();

// Makes the coverage texture and the triangles' buffer at start-up rather
// than in the frame that first needs them; every binding is left as it was.
void prepare_wide_line_drawing();

// Draws the mesh with unit matrices, since its points are already in clip
// coordinates, with culling and polygon smoothing off (a smooth line is
// neither culled nor a polygon), and with coverage, on texture unit 1 so
// that whatever unit 0 does to the lines it still does. Everything it
// changes is put back as it found it, both matrices included.
void draw_wide_lines(const WideLineView& view, const WideLineMesh& mesh);

// The same for the parts of one pass widened apart (all with or all without
// coverage), in order: a draw for each part that has vertices.
void draw_wide_lines(const WideLineView& view, const WideLineMesh* parts, size_t count);
