// PNG writer over libpng: 8-bit RGB or RGBA, no time or text chunks, so the
// bytes depend on the pixels alone.
#include <cstdio>

#include <png.h>

#include "images.h"

bool write_png(const std::string& path, const Image& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != std::size_t(image.width) * image.height * image.channels) {
        std::fprintf(stderr, "tangle: %s: no picture to write\n", path.c_str());
        return false;
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "tangle: %s: cannot open for writing\n", path.c_str());
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(f);
        std::fprintf(stderr, "tangle: %s: libpng failed to start\n", path.c_str());
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        std::fprintf(stderr, "tangle: %s: libpng failed while writing\n", path.c_str());
        return false;
    }
    png_init_io(png, f);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, image.width, image.height, 8,
                 image.channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const std::size_t stride = std::size_t(image.width) * image.channels;
    for (int y = 0; y < image.height; y++) png_write_row(png, image.pixels.data() + stride * y);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    bool ok = std::fflush(f) == 0;
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) std::fprintf(stderr, "tangle: %s: write failed\n", path.c_str());
    return ok;
}
