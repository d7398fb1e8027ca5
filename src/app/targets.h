// targets.h: creating the offscreen render targets, loading the image
// textures, and copying the scene target to the composed picture. The handles
// themselves are shared ground (core/targets.h).
#pragma once

#include <GL/glew.h>

#include "core/targets.h"
#include "core/view.h"

// A framebuffer drawing into a colour texture (linear filtering; edges
// clamped when `clamp_edges`) with a depth renderbuffer, left bound. An
// incomplete one prints the show's fixed line on standard output and the show
// goes on.
void create_framebuffer(int width, int height, GLint internal_format, GLenum format, bool clamp_edges,
                        GLuint& fbo, GLuint& colour, GLuint& depth);
void create_overlay_target();
void create_scene_target();
void load_textures();                  // slots 1..49 from gfx/, in slot order
GLint load_texture(const char* path);  // 0 (and a message on stderr) when unreadable
void draw_scene_target();

// The file name of a texture slot, 1 to 49 ("gfx/txt7.png", "gfx/V3.png", ...).
const char* texture_file(int slot);
