// targets.cpp: storage of the render-target and texture handles.
#include "core/targets.h"

unsigned scene_fbo, scene_target, scene_depth;
unsigned overlay_fbo, overlay_target, overlay_depth;
int textures[100];

int window_width = 1280, window_height = 720;
