/* png_image.c: a PNG-only SDL_image for the Windows build, used only where
 * the archive serves no sources of SDL_image. Decodes with libpng's
 * simplified reader into the surface layout SDL_image gives 8-bit RGB and
 * RGBA PNGs (bytes R, G, B(, A) in memory order); palette and grey images
 * come out as RGB(A) too, which the show converts to anyway. */
#include <stdlib.h>
#include <string.h>

#include <png.h>

#include "SDL.h"

#define BUILD_PNG_IMAGE
#include "SDL_image.h"

static SDL_Surface* decode(const unsigned char* bytes, size_t size) {
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes, size)) {
        SDL_SetError("%s", image.message);
        return NULL;
    }
    const int alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    SDL_Surface* surface =
        SDL_CreateRGBSurface(SDL_SWSURFACE, (int)image.width, (int)image.height, alpha ? 32 : 24, 0x000000ff,
                             0x0000ff00, 0x00ff0000, alpha ? 0xff000000 : 0);
    if (!surface) {
        png_image_free(&image);
        return NULL;
    }
    if (!png_image_finish_read(&image, NULL, surface->pixels, surface->pitch, NULL)) {
        SDL_SetError("%s", image.message);
        SDL_FreeSurface(surface);
        return NULL;
    }
    return surface;
}

SDL_Surface* SDLCALL IMG_Load_RW(SDL_RWops* src, int freesrc) {
    if (!src) {
        SDL_SetError("no image to read");
        return NULL;
    }
    SDL_Surface* surface = NULL;
    const int start = SDL_RWtell(src);
    const int end = SDL_RWseek(src, 0, RW_SEEK_END);
    if (start < 0 || end < start || SDL_RWseek(src, start, RW_SEEK_SET) != start) {
        SDL_SetError("can't find the image's size");
    } else {
        const size_t size = (size_t)(end - start);
        unsigned char* bytes = malloc(size ? size : 1);
        if (!bytes)
            SDL_SetError("out of memory");
        else if (SDL_RWread(src, bytes, 1, (int)size) != (int)size)
            SDL_SetError("can't read the image");
        else
            surface = decode(bytes, size);
        free(bytes);
    }
    if (freesrc) SDL_RWclose(src);
    return surface;
}
