// sheet_draw.h: drawing a hair-ball sheet, as strands or as textured fins.
//
// draw_sheet sets the GL state it needs and leaves it set. The rules behind
// it (which texture, the shading of a fin corner, the late strands' widths
// and colours) are plain functions so they can be checked without a context.
// Depends on physics/cloth.h, core/targets.h (textures), core/demo_state.h
// (cloth_texture), core/clock.h (demo_time).
#pragma once

#include "physics/cloth.h"

// mode 0: strands; 1: textured fins; anything else draws nothing. The fins
// are shaded by the particles' normals, which the frame's advance brings up
// to date (compute_normals) before a sheet is drawn as fins.
void draw_sheet(const ClothSheet& sheet, int mode, int style);

// Takes the memory the late strands' quads need, at start-up.
void prepare_sheet_drawing();

// The texture slot for the fins at `time`, 1 to 48.
int choose_sheet_texture(int texture, int style, float time);

// Unnormalised light direction of the hand-made fin shading.
extern const Vec3 light_direction;
// The grey level of a fin corner with normal n (OpenGL clamps it later).
float fin_grey(Vec3 n);
// Texture coordinates of particle [k][l]: 0 at the root to 1 at the tip,
// 1 at the first strand to 0 at the last.
void fin_texture_coords(int k, int l, int rows, int columns, float st[2]);

// One late-style strand segment, from [i][j] to [i + 1][j]: the width
// requested before it and the colours of its two ends. A width of zero or
// less is not a width OpenGL takes; the one set before stays.
struct StrandSegmentLook {
    float width;
    float near_rgba[4], far_rgba[4];
};
StrandSegmentLook late_segment_look(const ClothSheet& sheet, int i, int j);
