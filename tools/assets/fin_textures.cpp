// The sheets' fin textures and the early rosette. A fin maps the picture's x
// axis from a strand's root to its tip and its y axis across the strands, and
// the textures repeat, so every pattern tiles in both directions.
#include <algorithm>
#include <cmath>

#include "images.h"

namespace {

enum FinKind { STREAKS, GRADIENT, CLOUDS, STRIPES, BANDS, GRID, SCANLINES, DOTS, DASHES, MARBLE, KIND_COUNT };

struct FinRecipe {
    FinKind kind;
    int width, height, channels;
    Rgb low, high, accent;
    float detail;  // pattern frequency, in repeats per picture
};

const Rgb grey_dark = rgb255(58, 56, 60);
const Rgb grey_mid = rgb255(113, 111, 113);
const Rgb grey_light = rgb255(200, 198, 202);
const Rgb near_white = rgb255(236, 233, 238);
const Rgb magenta = rgb255(220, 135, 209);
const Rgb plum = rgb255(120, 35, 109);
const Rgb plum_light = rgb255(160, 65, 129);

struct Size {
    int w, h;
};

// Sides mix powers of two with a few that are not (the loader rescales them).
const Size sizes[] = {{256, 256},  {512, 256}, {256, 512}, {384, 192}, {512, 512},
                      {1024, 128}, {200, 200}, {256, 128}, {320, 240}, {128, 256}};

FinRecipe fin_recipe(int number, bool late) {
    static const FinKind order[KIND_COUNT] = {STREAKS, GRADIENT,  STRIPES, CLOUDS, BANDS,
                                              MARBLE,  SCANLINES, DOTS,    GRID,   DASHES};
    static const Rgb lows[] = {grey_dark, grey_mid, plum, grey_dark, grey_light, plum_light};
    static const Rgb highs[] = {grey_light, magenta, near_white, magenta, grey_dark, grey_light};
    static const Rgb accents[] = {magenta, near_white, magenta, grey_light, magenta, magenta};
    // Late variants trade the greys for saturated colours of the finale.
    static const Rgb late_lows[] = {rgb255(40, 20, 90),   rgb255(255, 90, 40), rgb255(20, 110, 120),
                                    rgb255(200, 40, 90),  rgb255(30, 60, 160), rgb255(90, 20, 130),
                                    rgb255(250, 200, 40), rgb255(20, 140, 80)};
    static const Rgb late_highs[] = {rgb255(60, 230, 255), rgb255(120, 30, 160),  rgb255(180, 255, 120),
                                     rgb255(255, 210, 80), rgb255(255, 120, 220), rgb255(255, 150, 60),
                                     rgb255(220, 60, 200), rgb255(230, 255, 240)};
    const int i = number - 1;
    FinRecipe r;
    r.kind = order[i % KIND_COUNT];
    const Size s = sizes[(i * 7 + i / KIND_COUNT) % 10];
    r.width = s.w;
    r.height = s.h;
    r.channels = (number % 3 == 0) ? 4 : 3;
    r.low = lows[i % 6];
    r.high = highs[(i + i / 6) % 6];
    for (int k = 1; r.high.r == r.low.r && r.high.g == r.low.g; k++) r.high = highs[(i + i / 6 + k) % 6];
    r.accent = accents[(i / 2) % 6];
    r.detail = float(2 + (i * 5) % 7);
    // Keep the two ends of the ramp apart in brightness so no fin reads flat.
    auto luma = [](Rgb c) { return 0.3f * c.r + 0.59f * c.g + 0.11f * c.b; };
    if (std::fabs(luma(r.high) - luma(r.low)) < 0.25f) r.low = luma(r.high) > 0.5f ? grey_dark : grey_light;
    if (late) {
        r.low = late_lows[i % 8];
        r.high = late_highs[i % 8];
        r.accent = near_white;
        r.channels = (number % 2 == 0) ? 4 : 3;
    }
    return r;
}

// Pattern value (0..1) and coverage (0..1) at fin coordinates u (root to
// tip) and v (across), both 0..1.
void fin_pattern(const FinRecipe& r, std::uint32_t seed, float u, float v, float& value, float& cover) {
    const int d = int(r.detail);
    cover = 1.0f;
    switch (r.kind) {
        case STREAKS: {
            // Long hair-like streaks: noise stretched along the strand.
            const float n = tile_fbm(u * 2.0f, v * 24.0f * d / 4.0f, 2, 6 * d, 4, seed);
            value = smooth_step(0.25f, 0.8f, n) * (0.6f + 0.4f * (1.0f - u));
            cover = 1.0f - 0.7f * u;
            break;
        }
        case GRADIENT: {
            const float n = tile_fbm(u * 4.0f, v * 4.0f, 4, 4, 3, seed);
            value = clamp01(u * 0.85f + (n - 0.5f) * 0.4f);
            cover = 1.0f - smooth_step(0.55f, 1.0f, u);
            break;
        }
        case CLOUDS:
            value = smooth_step(0.2f, 0.85f, tile_fbm(u * d, v * d, d, d, 5, seed));
            cover = 0.35f + 0.65f * value;
            break;
        case STRIPES: {
            // Diagonal stripes that still wrap: slope of whole repeats per side.
            const float t = v * d * 2.0f + u * d;
            const float f = t - std::floor(t);
            value = smooth_step(0.35f, 0.45f, f) * (1.0f - smooth_step(0.75f, 0.85f, f));
            cover = 0.45f + 0.55f * value;
            break;
        }
        case BANDS: {
            const float t = u * d * 3.0f;
            const float f = t - std::floor(t);
            const float n = tile_noise(u * 8.0f, v * 8.0f, 8, 8, seed);
            value = clamp01(std::pow(std::fabs(std::sin(3.14159265f * f)), 6.0f) + 0.25f * n);
            break;
        }
        case GRID: {
            const float gu = u * d * 4.0f, gv = v * d * 4.0f;
            const float fu = gu - std::floor(gu), fv = gv - std::floor(gv);
            const float line = std::max(1.0f - smooth_step(0.0f, 0.08f, std::min(fu, 1.0f - fu)),
                                        1.0f - smooth_step(0.0f, 0.08f, std::min(fv, 1.0f - fv)));
            const float cell = hash_unit(seed ^ hash_u32(std::uint32_t(gu) * 977U + std::uint32_t(gv)));
            value = std::max(line, cell > 0.8f ? 0.55f : 0.1f);
            cover = 0.3f + 0.7f * value;
            break;
        }
        case SCANLINES: {
            const float rows = float(r.height) / 4.0f;
            const float fv = v * rows - std::floor(v * rows);
            const float row_level = hash_unit(seed + std::uint32_t(v * rows));
            const float n = tile_noise(u * 16.0f, v * 4.0f, 16, 4, seed + 7U);
            value = (fv < 0.5f ? 1.0f : 0.15f) * (0.3f + 0.7f * row_level) * (0.6f + 0.4f * n);
            break;
        }
        case DOTS: {
            // Halftone dots that grow toward the tip.
            const float gu = u * d * 6.0f, gv = v * d * 6.0f;
            const float fu = gu - std::floor(gu) - 0.5f, fv = gv - std::floor(gv) - 0.5f;
            const float radius = 0.08f + 0.38f * u;
            value = 1.0f - smooth_step(radius - 0.06f, radius, std::sqrt(fu * fu + fv * fv));
            cover = 0.25f + 0.75f * value;
            break;
        }
        case DASHES: {
            // Segment-like dashes along the strand, lit at random.
            const float gu = u * d * 3.0f, gv = v * d * 5.0f;
            const float fu = gu - std::floor(gu), fv = gv - std::floor(gv);
            const bool inside = fu > 0.1f && fu < 0.9f && fv > 0.3f && fv < 0.7f;
            const float lit =
                hash_unit(seed ^ hash_u32(std::uint32_t(gu) * 131U + std::uint32_t(gv) * 7919U));
            value = inside ? (lit > 0.4f ? 1.0f : 0.35f) : 0.05f;
            cover = inside ? 1.0f : 0.35f;
            break;
        }
        case MARBLE:
        default: {
            const float n = tile_fbm(u * 3.0f, v * 3.0f, 3, 3, 5, seed);
            value = 0.5f + 0.5f * std::sin(6.2831853f * (v * d + n * 1.7f));
            value = std::pow(value, 3.0f);
            break;
        }
    }
}

}  // namespace

Image make_fin_texture(int number, bool late) {
    const FinRecipe r = fin_recipe(number, late);
    const std::uint32_t seed = 1000U + std::uint32_t(number) * 17U;
    Image image = new_image(r.width, r.height, r.channels);
    for (int y = 0; y < r.height; y++) {
        for (int x = 0; x < r.width; x++) {
            const float u = float(x) / float(r.width), v = float(y) / float(r.height);
            float value = 0.0f, cover = 1.0f;
            fin_pattern(r, seed, u, v, value, cover);
            Rgb c = mix_rgb(r.low, r.high, value);
            if (value > 0.85f) c = mix_rgb(c, r.accent, (value - 0.85f) / 0.15f);
            set_pixel(image, x, y, c, cover);
        }
    }
    return image;
}

Image make_rosette() {
    const int side = 512;
    Image image = new_image(side, side, 3);
    for (int y = 0; y < side; y++) {
        for (int x = 0; x < side; x++) {
            // Four rosettes per side so the pattern tiles; each has twelve petals.
            const float cu = float(x) / side * 2.0f, cv = float(y) / side * 2.0f;
            const float du = cu - std::floor(cu) - 0.5f, dv = cv - std::floor(cv) - 0.5f;
            const float radius = std::sqrt(du * du + dv * dv) * 2.0f;
            const float angle = std::atan2(dv, du);
            const float petal = 0.62f + 0.3f * std::cos(12.0f * angle);
            const float inner = 0.25f + 0.12f * std::cos(24.0f * angle + 1.0f);
            const float edge = 1.0f - smooth_step(petal - 0.04f, petal, radius);
            const float core = 1.0f - smooth_step(inner - 0.03f, inner, radius);
            const float vein = 0.5f + 0.5f * std::cos(12.0f * angle) * (1.0f - radius);
            const float n = tile_fbm(float(x) / side * 8.0f, float(y) / side * 8.0f, 8, 8, 4, 4242U);
            Rgb c = mix_rgb(grey_dark, grey_mid, n);
            c = mix_rgb(c, mix_rgb(plum_light, magenta, vein), edge);
            c = mix_rgb(c, near_white, core * 0.85f);
            set_pixel(image, x, y, c, 1.0f);
        }
    }
    return image;
}
