// plates.h: textured quads of the scene timeline: a centred square plate
// under a unit orthographic projection (title plates) and the countdown
// panel's tile placed and turned in a perspective view of its own (closing
// sequence).
//
// Both leave the projection they set in force, and the enables they set.
// Depends on core/targets.h (overlay_target).
#pragma once

// Draws texture `name` as a centred square plate, image upright, blended with
// `alpha`. Leaves lighting off, texturing and blending on, the unit
// orthographic projection loaded and the model-view matrix as it found it.
void draw_plate(int name, float alpha, float size);
// The same plate moved by (dx, dy) plate units after scaling, with the
// model-view matrix made current first (the end credits' picture).
void draw_shifted_plate(int name, float alpha, float size, float dx, float dy);

// The unit square (0..1 on x and y) textured with the bound image, its first
// row at the top: the plates' quad.
void draw_upright_image_quad();

// Draws the overlay target as a 0.66 x 0.2 tile: scaled by (sx, sy, sz),
// moved by (ax, ay, az) and turned rx, ry, rz degrees about x, y, z from its
// place in the upper left of the view, unlit. Leaves the 1600 x 900 viewport,
// its perspective projection, culling off and texturing on; lighting as found.
void draw_panel_tile(float ax, float ay, float az, float rx, float ry, float rz, float sx, float sy,
                     float sz);
