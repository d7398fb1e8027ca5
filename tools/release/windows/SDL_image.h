/* SDL_image.h for the PNG-only stand-in (png_image.c): the part of
 * SDL_image 1.2's interface the show uses. */
#ifndef TANGLE_PNG_IMAGE_H
#define TANGLE_PNG_IMAGE_H

#include "SDL.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Decodes a PNG from `src` into a new surface: 24-bit RGB, or 32-bit RGBA
 * when the image has any transparency, bytes in that order. Closes `src`
 * when `freesrc` is non-zero. NULL on failure, with the reason in
 * IMG_GetError. */
extern DECLSPEC SDL_Surface* SDLCALL IMG_Load_RW(SDL_RWops* src, int freesrc);

#define IMG_GetError SDL_GetError
#define IMG_SetError SDL_SetError

#ifdef __cplusplus
}
#endif

#endif
