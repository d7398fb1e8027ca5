// png_file.cpp: PNG output through libpng's simplified API.
#include "png_file.h"

#include <cstdio>
#include <cstring>

#include <png.h>

bool write_png(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), width * 3, nullptr)) {
        std::fprintf(stderr, "tangle: %s: can't write PNG: %s\n", path.c_str(), image.message);
        return false;
    }
    return true;
}
