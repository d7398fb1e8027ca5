// targets.h: the offscreen render targets, the image textures and the two
// projection helpers shared by the scenes, overlays and credits.
#pragma once

#include <GL/glew.h>

extern GLuint scene_fbo, scene_target, scene_depth;        // 1600 x 900
extern GLuint overlay_fbo, overlay_target, overlay_depth;  // 238 x 80
extern GLint textures[100];                                // slots 1..49 hold the images

void create_overlay_target();
void create_scene_target();
void load_textures();                  // slots 1..49 from gfx/, in slot order
GLint load_texture(const char* path);  // 0 (and a message on stderr) when unreadable
void draw_scene_target();
void use_window_perspective();
// The show's perspective (field_of_view, the composed picture's aspect) and an
// identity model-view matrix.
void load_show_perspective();
void push_unit_ortho();

// The file name of a texture slot, 1 to 49 ("gfx/txt7.png", "gfx/V3.png", ...).
const char* texture_file(int slot);
