// wide_lines.h: smooth wide lines as window-space quads, so that a whole pass
// of lines, each with a width and colours of its own, goes to GL as one draw.
//
// A smooth line of width w covers, in window pixels, a rectangle w + 1 wide
// and 1 longer than the segment (half a pixel past each end), with a coverage
// that falls from 1 to 0 over the last pixel of every side. The quads here
// cover exactly that rectangle; with coverage, each is cut into four so that
// a 2 x 2 coverage texture, filtered, gives the product of the two ramps at
// every fragment. Points are taken through the same matrices and viewport GL
// would use and clipped to the view volume as GL clips a line, then handed
// back in clip coordinates, to be drawn with unit matrices.
//
// Plain arithmetic; the submission is in core/wide_lines_draw.h. Depends on nothing.
#pragma once

#include <cstddef>
#include <vector>

// How points reach window pixels: projection × model-view (column-major, as
// GL keeps matrices) and the viewport.
struct LineSpace {
    float mvp[16];
    float scale[2], offset[2];  // window = ndc * scale + offset
};

LineSpace make_line_space(const float modelview[16], const float projection[16], const int viewport[4]);

// The quads of one pass, in the order the lines were added. The arrays only
// grow, so that a pass of tens of thousands of lines costs no allocation or
// clearing from frame to frame: the first `vertices` are this pass's.
struct WideLineMesh {
    bool coverage = false;        // with texture coordinates for the coverage ramps
    std::vector<float> position;  // x y z w, clip coordinates
    std::vector<float> colour;    // r g b a
    std::vector<float> texcoord;  // s t, with coverage only
    size_t vertices = 0;
    int lines = 0;  // lines added, clipped away or not
};

// Room for `lines` lines, taken (and its memory touched) now rather than in
// the frame that first needs it.
void reserve_wide_lines(WideLineMesh& mesh, size_t lines);

// Empties the mesh, keeping its storage, and says whether it carries coverage.
void clear_wide_lines(WideLineMesh& mesh, bool coverage);

// The width GL draws a smooth line of `requested` width with, on the drivers
// the show's pictures are judged on: at least one pixel.
float smooth_line_width(float requested);

// Adds the smooth line from a to b (object coordinates), `width` pixels wide,
// coloured rgba_a at a and rgba_b at b. A line wholly outside the view volume
// adds nothing.
void add_wide_line(WideLineMesh& mesh, const LineSpace& space, const float a[3], const float b[3],
                   float width, const float rgba_a[4], const float rgba_b[4]);

// A line to add: its ends (object coordinates), width and end colours.
struct WideLine {
    float a[3], b[3];
    float width;
    float rgba_a[4], rgba_b[4];
};

// Adds `count` lines in order, each exactly as add_wide_line would add it;
// faster, as several lines go through the arithmetic side by side.
void add_wide_lines(WideLineMesh& mesh, const LineSpace& space, const WideLine* lines, size_t count);

// The triangles of `lines` coverage grids, 24 indices each: the same for
// every pass, so they are made once and kept by the drawing.
void wide_line_triangles(size_t lines, std::vector<unsigned>& indices);

// Vertices of one line: 4 for a plain quad, 9 (a 3 x 3 grid) with coverage.
inline int wide_line_vertices(const WideLineMesh& mesh) { return mesh.coverage ? 9 : 4; }
