// The title plate and the flickering overlay that doubles as the credits
// picture: the production's name set in the show's seven-segment font through
// FreeType, over transparent ground. Both are 16:9 like the screen, since the
// plates are drawn as squares in screen units (stretched 16:9).
#include <algorithm>
#include <cmath>
#include <cstdio>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "images.h"

namespace {

const int plate_width = 1024;
const int plate_height = 576;
const char* const production_name = "TANGLE";

struct Coverage {
    int width = 0, height = 0;
    std::vector<float> a;  // 0..1 per pixel
};

Coverage new_coverage(int w, int h) {
    Coverage c;
    c.width = w;
    c.height = h;
    c.a.assign(std::size_t(w) * h, 0.0f);
    return c;
}

float coverage_at(const Coverage& c, int x, int y) {
    if (x < 0 || y < 0 || x >= c.width || y >= c.height) return 0.0f;
    return c.a[std::size_t(y) * c.width + x];
}

// Sets text centred on x = centre with its baseline at y; returns false when
// the font can't be used.
bool draw_text(Coverage& out, const std::string& font_path, const char* text, int pixel_height, int centre,
               int baseline) {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "tangle: FreeType failed to start\n");
        return false;
    }
    bool ok = FT_New_Face(library, font_path.c_str(), 0, &face) == 0 &&
              FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixel_height)) == 0;
    if (!ok) std::fprintf(stderr, "tangle: %s: cannot load the font\n", font_path.c_str());
    int width = 0;
    for (const char* p = text; ok && *p; p++) {
        ok = FT_Load_Char(face, FT_ULong(static_cast<unsigned char>(*p)), FT_LOAD_DEFAULT) == 0;
        width += int(face->glyph->advance.x >> 6);
    }
    int pen = centre - width / 2;
    for (const char* p = text; ok && *p; p++) {
        ok = FT_Load_Char(face, FT_ULong(static_cast<unsigned char>(*p)), FT_LOAD_RENDER) == 0;
        if (!ok) break;
        const FT_Bitmap& bm = face->glyph->bitmap;
        const int left = pen + face->glyph->bitmap_left, top = baseline - face->glyph->bitmap_top;
        for (unsigned row = 0; row < bm.rows; row++) {
            for (unsigned col = 0; col < bm.width; col++) {
                const int x = left + int(col), y = top + int(row);
                if (x < 0 || y < 0 || x >= out.width || y >= out.height) continue;
                float& dst = out.a[std::size_t(y) * out.width + x];
                dst = std::max(dst, bm.buffer[row * bm.pitch + col] / 255.0f);
            }
        }
        pen += int(face->glyph->advance.x >> 6);
    }
    if (face) FT_Done_Face(face);
    FT_Done_FreeType(library);
    return ok;
}

// Three box-blur passes approximate a gaussian glow.
Coverage blur(const Coverage& in, int radius) {
    Coverage cur = in;
    for (int pass = 0; pass < 3; pass++) {
        Coverage tmp = new_coverage(in.width, in.height);
        for (int y = 0; y < in.height; y++) {
            for (int x = 0; x < in.width; x++) {
                float sum = 0.0f;
                for (int k = -radius; k <= radius; k++) sum += coverage_at(cur, x + k, y);
                tmp.a[std::size_t(y) * in.width + x] = sum / float(2 * radius + 1);
            }
        }
        for (int y = 0; y < in.height; y++) {
            for (int x = 0; x < in.width; x++) {
                float sum = 0.0f;
                for (int k = -radius; k <= radius; k++) sum += coverage_at(tmp, x, y + k);
                cur.a[std::size_t(y) * in.width + x] = sum / float(2 * radius + 1);
            }
        }
    }
    return cur;
}

const int name_size = 170;
const int name_baseline = 370;

}  // namespace

Image make_title_plate(const std::string& font_path) {
    Coverage lit = new_coverage(plate_width, plate_height);
    Coverage unlit = new_coverage(plate_width, plate_height);
    if (!draw_text(lit, font_path, production_name, name_size, plate_width / 2, name_baseline) ||
        !draw_text(unlit, font_path, "888888", name_size, plate_width / 2, name_baseline))
        return Image();
    const Coverage glow = blur(lit, 9);
    const Rgb lit_colour = rgb255(220, 135, 209), unlit_colour = rgb255(160, 65, 129);
    const Rgb bar_outer = rgb255(120, 35, 109), bar_inner = rgb255(150, 35, 109);
    const Rgb panel = rgb255(34, 32, 36);
    Image image = new_image(plate_width, plate_height, 4);
    for (int y = 0; y < plate_height; y++) {
        for (int x = 0; x < plate_width; x++) {
            // Ground: a dim panel across the middle, fading out at its ends.
            const float fx = float(x) / plate_width;
            const float band =
                (y > 150 && y < 420) ? smooth_step(0.0f, 0.12f, fx) * smooth_step(1.0f, 0.88f, fx) : 0.0f;
            Rgb c = panel;
            float a = band * 0.55f;
            // Bars of two quads, an outer and an inset inner one, above and below.
            const bool outer = (y >= 130 && y < 146) || (y >= 424 && y < 440);
            const bool inner = (y >= 133 && y < 143) || (y >= 427 && y < 437);
            if ((outer || inner) && fx > 0.08f && fx < 0.92f) {
                c = inner && fx > 0.083f && fx < 0.917f ? bar_inner : bar_outer;
                a = 1.0f;
            }
            const float g = coverage_at(glow, x, y), u = coverage_at(unlit, x, y) * 0.45f,
                        l = coverage_at(lit, x, y);
            c = mix_rgb(c, lit_colour, clamp01(g * 1.5f) * (1.0f - a * 0.5f));
            a = std::max(a, clamp01(g * 1.2f));
            c = mix_rgb(c, unlit_colour, u);
            a = std::max(a, u);
            c = mix_rgb(c, mix_rgb(lit_colour, rgb255(255, 235, 250), 0.3f), l);
            a = std::max(a, l);
            set_pixel(image, x, y, c, a);
        }
    }
    return image;
}

Image make_flicker_overlay(const std::string& font_path) {
    // The name in rainbow bands, torn into shifted slices like a bad signal.
    Coverage lit = new_coverage(plate_width, plate_height);
    if (!draw_text(lit, font_path, production_name, name_size, plate_width / 2, name_baseline))
        return Image();
    Coverage torn = new_coverage(plate_width, plate_height);
    for (int y = 0; y < plate_height; y++) {
        const int slice = y / 14;
        const float h = hash_unit(9000U + std::uint32_t(slice));
        const int shift = h > 0.7f ? int((hash_unit(9500U + std::uint32_t(slice)) - 0.5f) * 90.0f) : 0;
        for (int x = 0; x < plate_width; x++)
            torn.a[std::size_t(y) * plate_width + x] = coverage_at(lit, x - shift, y);
    }
    const Coverage glow = blur(torn, 12);
    static const Rgb rainbow[6] = {rgb255(228, 3, 3),  rgb255(255, 140, 0), rgb255(255, 237, 0),
                                   rgb255(0, 128, 38), rgb255(36, 64, 142), rgb255(115, 41, 130)};
    const int top = 222, bottom = 374;  // the letters' band, split into six stripes
    Image image = new_image(plate_width, plate_height, 4);
    for (int y = 0; y < plate_height; y++) {
        const int stripe = std::clamp((y - top) * 6 / (bottom - top), 0, 5);
        const float scan = (y % 4 < 2) ? 1.0f : 0.6f;
        for (int x = 0; x < plate_width; x++) {
            const float t = coverage_at(torn, x, y), g = coverage_at(glow, x, y);
            Rgb c = mix_rgb(rainbow[stripe], rgb255(255, 255, 255), t * 0.25f);
            float a = std::max(t * 0.95f, clamp01(g * 0.9f)) * scan;
            // A thin frame in the six colours, one per side segment.
            const bool frame = (x >= 40 && x < 984 && (std::abs(y - 110) < 3 || std::abs(y - 466) < 3)) ||
                               (y >= 110 && y <= 466 && (std::abs(x - 40) < 3 || std::abs(x - 983) < 3));
            if (frame) {
                c = rainbow[std::clamp((x + y) * 6 / (plate_width + plate_height), 0, 5)];
                a = 0.85f;
            }
            set_pixel(image, x, y, c, a);
        }
    }
    return image;
}
