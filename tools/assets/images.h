// Procedural pictures of the show: the sheets' fin textures, their late colour
// variants, the early rosette texture, the title plate and the flickering
// overlay. Every picture is a pure function of its name (fixed seeds), so the
// written PNG files are identical on every run. Depends on libpng and FreeType.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct Image {
    int width = 0;
    int height = 0;
    int channels = 3;  // 3: RGB, 4: RGBA, 8 bits each, top row first
    std::vector<std::uint8_t> pixels;
};

struct Rgb {
    float r, g, b;  // 0..1
};

// The 49 file names below gfx/, in texture-slot order (slot 1 first).
std::vector<std::string> image_file_names();

// Builds one picture by its file name ("txt7.png", "V3.png", ...); the title
// pictures need the show's font. An unknown name gives an empty image.
Image make_image(const std::string& name, const std::string& font_path);

// Writes every picture into dir; returns the number written, stops at the
// first failure (reported on stderr).
int write_all_images(const std::string& dir, const std::string& font_path);

// PNG writing without time stamps or other varying chunks.
bool write_png(const std::string& path, const Image& image);

// Building blocks shared by the picture makers.
Image new_image(int width, int height, int channels);
void set_pixel(Image& image, int x, int y, Rgb c, float alpha);
Rgb mix_rgb(Rgb a, Rgb b, float t);
Rgb rgb255(int r, int g, int b);
float clamp01(float v);
float smooth_step(float e0, float e1, float x);
// Value noise that tiles with the given integer periods (the fins repeat
// their textures); fbm sums octaves, each doubling the period.
float tile_noise(float x, float y, int period_x, int period_y, std::uint32_t seed);
float tile_fbm(float x, float y, int period_x, int period_y, int octaves, std::uint32_t seed);
std::uint32_t hash_u32(std::uint32_t x);
float hash_unit(std::uint32_t x);  // 0..1

Image make_fin_texture(int number, bool late_colours);
Image make_rosette();
Image make_title_plate(const std::string& font_path);
Image make_flicker_overlay(const std::string& font_path);
