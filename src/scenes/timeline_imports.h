// timeline_imports.h: routines of other subsystems that the timeline calls,
// declared here until their own headers are in the tree (then this file goes).
#pragma once

#include "physics/cloth.h"

// effects
void fractal_noise(float& out, float offset, float amplitude, float persistence, float frequency,
                   float x);
void draw_sheet_bridge(ClothSheet& a, ClothSheet& b);
void draw_cloud_links(ClothSheet& sheet);
void draw_plate(int name, float alpha, float size);
void draw_ripple_ellipse(float x);
void draw_star_dot(float x);
void draw_spike(float x);

// physics
void draw_sheet(ClothSheet& sheet, int mode, int style);
void place_roots(ClothSheet& sheet);
void draw_cloud();

// captions, countdown pass, closing sequence
void draw_captions();
void draw_countdown_pass();
void draw_closing_sequence();

// hidden part
void run_hidden_part();
