// timeline_imports.h: routines of other subsystems that the timeline calls,
// declared here until their own headers are in the tree (then this file goes).
#pragma once

#include "physics/cloth.h"

// sheet drawing and the particle cloud
void draw_sheet(ClothSheet& sheet, int mode, int style);
void draw_cloud();

// captions, countdown pass, closing sequence
void draw_captions();
void draw_countdown_pass();
void draw_closing_sequence();

// hidden part
void run_hidden_part();
