// Pixel helpers, tileable value noise, the list of pictures and the writer of
// the whole set.
#include <cmath>
#include <cstdio>

#include "images.h"

Image new_image(int width, int height, int channels) {
    Image image;
    image.width = width;
    image.height = height;
    image.channels = channels;
    image.pixels.assign(std::size_t(width) * height * channels, 0);
    return image;
}

float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

static std::uint8_t to_byte(float v) { return std::uint8_t(std::lround(clamp01(v) * 255.0f)); }

void set_pixel(Image& image, int x, int y, Rgb c, float alpha) {
    std::uint8_t* p = &image.pixels[(std::size_t(y) * image.width + x) * image.channels];
    p[0] = to_byte(c.r);
    p[1] = to_byte(c.g);
    p[2] = to_byte(c.b);
    if (image.channels == 4) p[3] = to_byte(alpha);
}

Rgb mix_rgb(Rgb a, Rgb b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb rgb255(int r, int g, int b) { return {r / 255.0f, g / 255.0f, b / 255.0f}; }

float smooth_step(float e0, float e1, float x) {
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

std::uint32_t hash_u32(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

float hash_unit(std::uint32_t x) { return float(hash_u32(x) >> 8) / float(1U << 24); }

static float lattice(int x, int y, int px, int py, std::uint32_t seed) {
    x = ((x % px) + px) % px;
    y = ((y % py) + py) % py;
    return hash_unit(seed * 0x9e3779b9U ^
                     hash_u32(std::uint32_t(x) * 73856093U ^ std::uint32_t(y) * 19349663U));
}

float tile_noise(float x, float y, int period_x, int period_y, std::uint32_t seed) {
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = int(fx), iy = int(fy);
    const float tx = smooth_step(0.0f, 1.0f, x - fx), ty = smooth_step(0.0f, 1.0f, y - fy);
    const float a = lattice(ix, iy, period_x, period_y, seed);
    const float b = lattice(ix + 1, iy, period_x, period_y, seed);
    const float c = lattice(ix, iy + 1, period_x, period_y, seed);
    const float d = lattice(ix + 1, iy + 1, period_x, period_y, seed);
    const float top = a + (b - a) * tx, bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

float tile_fbm(float x, float y, int period_x, int period_y, int octaves, std::uint32_t seed) {
    float sum = 0.0f, weight = 0.5f, total = 0.0f;
    for (int o = 0; o < octaves; o++) {
        sum += weight * tile_noise(x, y, period_x, period_y, seed + std::uint32_t(o) * 101U);
        total += weight;
        x *= 2.0f;
        y *= 2.0f;
        period_x *= 2;
        period_y *= 2;
        weight *= 0.5f;
    }
    return sum / total;
}

std::vector<std::string> image_file_names() {
    std::vector<std::string> names;
    for (int i = 1; i <= 38; i++) names.push_back("txt" + std::to_string(i) + ".png");
    names.push_back("V3.png");
    names.push_back("rozel.png");
    for (int i = 1; i <= 8; i++) names.push_back("txt" + std::to_string(i) + "c.png");
    names.push_back("V4LGBT.png");
    return names;
}

Image make_image(const std::string& name, const std::string& font_path) {
    if (name == "V3.png") return make_title_plate(font_path);
    if (name == "V4LGBT.png") return make_flicker_overlay(font_path);
    if (name == "rozel.png") return make_rosette();
    int number = 0;
    char late = 0;
    char rest[8] = {0};
    if (std::sscanf(name.c_str(), "txt%d%7s", &number, rest) == 2) {
        if (std::string(rest) == "c.png")
            late = 1;
        else if (std::string(rest) != ".png")
            return Image();
    } else {
        return Image();
    }
    if (number < 1 || number > (late ? 8 : 38)) return Image();
    return make_fin_texture(number, late != 0);
}

int write_all_images(const std::string& dir, const std::string& font_path) {
    int written = 0;
    for (const std::string& name : image_file_names()) {
        Image image = make_image(name, font_path);
        if (!write_png(dir + "/" + name, image)) return written;
        written++;
    }
    return written;
}
