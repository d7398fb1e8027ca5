// image_size.h: the size an image file decodes to, read from its header
// before anything is decoded, whatever the file is named.
//
// Depends on nothing.
#pragma once

#include <cstddef>
#include <cstdint>

// Width and height of a PNG, JPEG or BMP image in `bytes`; false for any
// other content (or a header cut short), which the show doesn't decode.
bool image_size(const unsigned char* bytes, size_t size, uint32_t& width, uint32_t& height);
