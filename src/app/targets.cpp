// targets.cpp: render targets, image textures and projection helpers.
//
// Every frame is drawn into the 1600 x 900 scene target and scaled down onto
// the screen, which smooths the picture; the 238 x 80 overlay target holds the
// countdown panel. Images come from PNG files through SDL_image and are
// uploaded with a full mipmap chain. Depends on GLEW, GLU, SDL_image.
#include "app/targets.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <SDL/SDL.h>
#include <SDL/SDL_image.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include <fcntl.h>

#include <string>

#include <unistd.h>

#include <vector>

#include "app/frame.h"
#include "core/demo_state.h"
#include "core/draw_stats.h"
#include "core/image_size.h"
#include "core/input_file.h"
#include "core/platform.h"

void create_framebuffer(int width, int height, GLint internal_format, GLenum format, bool clamp_edges,
                        GLuint& fbo, GLuint& colour, GLuint& depth) {
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glGenTextures(1, &colour);
    glBindTexture(GL_TEXTURE_2D, colour);
    glTexImage2D(GL_TEXTURE_2D, 0, internal_format, width, height, 0, format, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    if (clamp_edges) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
    GLenum buffers[1] = {GL_COLOR_ATTACHMENT0};
    glDrawBuffers(1, buffers);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        std::fputs("Problems with framebuffer amiga rulez\n", stdout);
        std::fflush(stdout);
    }
}

namespace {

// Copies a converted surface into tightly packed rows (4-byte aligned, as
// GL_UNPACK_ALIGNMENT 4 expects), whatever pitch SDL chose.
std::vector<unsigned char> pack_rows(const SDL_Surface* s, int bytes_per_pixel) {
    size_t row = static_cast<size_t>(s->w) * bytes_per_pixel;
    size_t stride = (row + 3) & ~static_cast<size_t>(3);
    std::vector<unsigned char> out(stride * s->h);
    for (int y = 0; y < s->h; y++)
        std::memcpy(&out[stride * y], static_cast<const unsigned char*>(s->pixels) + s->pitch * y, row);
    return out;
}

}  // namespace

void create_overlay_target() {
    create_framebuffer(238, 80, GL_RGB, GL_RGB, false, overlay_fbo, overlay_target, overlay_depth);
}

void create_scene_target() {
    create_framebuffer(1600, 900, GL_RGB, GL_RGB, false, scene_fbo, scene_target, scene_depth);
}

const char* texture_file(int slot) {
    static char name[32];
    if (slot >= 1 && slot <= 38)
        std::snprintf(name, sizeof name, "gfx/txt%d.png", slot);
    else if (slot == 39)
        std::snprintf(name, sizeof name, "gfx/V3.png");
    else if (slot == 40)
        std::snprintf(name, sizeof name, "gfx/rozel.png");
    else if (slot >= 41 && slot <= 48)
        std::snprintf(name, sizeof name, "gfx/txt%dc.png", slot - 40);
    else if (slot == 49)
        std::snprintf(name, sizeof name, "gfx/V4LGBT.png");
    else
        name[0] = '\0';
    return name;
}

namespace {

// Decodes `bytes` with SDL_image, the decoders' own lines on stderr (libpng's
// "libpng error: ...") kept out: what they say comes back in IMG_GetError.
SDL_Surface* decode_quietly(const std::vector<unsigned char>& bytes) {
    std::fflush(stderr);
    const int saved = dup(2);
    const int null = open(platform_null_device(), O_WRONLY);
    if (saved >= 0 && null >= 0) dup2(null, 2);
    SDL_Surface* image = IMG_Load_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
    if (saved >= 0 && null >= 0) dup2(saved, 2);
    if (saved >= 0) close(saved);
    if (null >= 0) close(null);
    return image;
}

}  // namespace

GLint load_texture(const char* path) {
    // The show's images are far smaller; a huge one would take gigabytes and
    // seconds to decode at start-up, before the music starts.
    // The size is read from the content, whatever the name says, and the
    // file is read through a guard that refuses a FIFO instead of waiting.
    constexpr uint32_t largest_side = 4096;
    std::vector<unsigned char> bytes;
    std::string why;
    if (!read_input(path, 64 << 20, bytes, why)) {
        std::fprintf(stderr, "tangle: %s: %s; not loaded\n", path, why.c_str());
        return 0;
    }
    uint32_t width = 0, height = 0;
    if (!image_size(bytes.data(), bytes.size(), width, height)) {
        std::fprintf(stderr, "tangle: %s: not a PNG, JPEG or BMP image; not loaded\n", path);
        return 0;
    }
    if (width > largest_side || height > largest_side) {
        std::fprintf(stderr, "tangle: %s: %u x %u pixels, over the %u a side the show takes; not loaded\n",
                     path, width, height, largest_side);
        return 0;
    }
    SDL_Surface* image = decode_quietly(bytes);
    if (!image) {
        std::fprintf(stderr, "tangle: %s: can't load image: %s\n", path, IMG_GetError());
        return 0;
    }
    // Decoded PNGs come in many layouts (palette, grey, 16-bit, BGR). Convert to
    // 8-bit RGB or RGBA in memory order R, G, B(, A) so the upload reads only
    // pixels that exist. An alpha mask on the decoded image selects RGBA.
    bool alpha = image->format->Amask != 0;
    SDL_PixelFormat fmt{};
    fmt.BitsPerPixel = alpha ? 32 : 24;
    fmt.BytesPerPixel = alpha ? 4 : 3;
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
    fmt.Rmask = 0x000000ff, fmt.Gmask = 0x0000ff00, fmt.Bmask = 0x00ff0000;
    fmt.Amask = alpha ? 0xff000000 : 0;
    fmt.Rshift = 0, fmt.Gshift = 8, fmt.Bshift = 16, fmt.Ashift = alpha ? 24 : 0;
#else
    fmt.Rmask = alpha ? 0xff000000 : 0x00ff0000, fmt.Gmask = alpha ? 0x00ff0000 : 0x0000ff00;
    fmt.Bmask = alpha ? 0x0000ff00 : 0x000000ff, fmt.Amask = alpha ? 0x000000ff : 0;
    fmt.Rshift = alpha ? 24 : 16, fmt.Gshift = alpha ? 16 : 8, fmt.Bshift = alpha ? 8 : 0;
    fmt.Ashift = 0;
#endif
    fmt.alpha = 255;
    SDL_Surface* converted = SDL_ConvertSurface(image, &fmt, SDL_SWSURFACE);
    SDL_FreeSurface(image);
    if (!converted) {
        std::fprintf(stderr, "tangle: %s: can't convert image: %s\n", path, SDL_GetError());
        return 0;
    }
    // A keyed (transparent-colour) image must not have its key applied to RGB.
    std::vector<unsigned char> pixels = pack_rows(converted, alpha ? 4 : 3);

    glEnable(GL_TEXTURE_2D);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    gluBuild2DMipmaps(GL_TEXTURE_2D, alpha ? 4 : 3, converted->w, converted->h, alpha ? GL_RGBA : GL_RGB,
                      GL_UNSIGNED_BYTE, pixels.data());
    SDL_FreeSurface(converted);
    return static_cast<GLint>(name);
}

void load_textures() {
    for (int slot = 1; slot <= 49; slot++) textures[slot] = load_texture(texture_file(slot));
}

void draw_scene_target() {
    // The scenes may leave depth testing, blending or lighting on; the copy
    // must reach the screen opaque and whole.
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_FOG);
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    push_modelview_unit_ortho();
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    glBindTexture(GL_TEXTURE_2D, scene_target);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1), glVertex2f(0, 1);
    glTexCoord2f(1, 1), glVertex2f(1, 1);
    glTexCoord2f(1, 0), glVertex2f(1, 0);
    glTexCoord2f(0, 0), glVertex2f(0, 0);
    glEnd();
    glPopMatrix();
    glPopAttrib();
    draw_stats_add(32, 1);
}
