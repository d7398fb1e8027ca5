// contact_sheet.cpp: thumbnails by box filtering, labels through FreeType.
#include "contact_sheet.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>

#include "png_file.h"

namespace {

constexpr int thumb_scale = 5;  // 1280 x 720 -> 256 x 144
constexpr int thumb_w = 1280 / thumb_scale, thumb_h = 720 / thumb_scale;
constexpr int label_h = 22, gap = 4, columns = 6;

struct Thumbnail {
    std::vector<unsigned char> rgb;
    double seconds;
};
std::vector<Thumbnail> thumbnails;

// Draws white text into the sheet at (x, y) = top-left of the label line.
void draw_label(FT_Face face, std::vector<unsigned char>& sheet, int sheet_w, int x, int y, const char* text) {
    int pen = x;
    for (const char* c = text; *c; c++) {
        if (FT_Load_Char(face, static_cast<unsigned char>(*c), FT_LOAD_RENDER)) continue;
        FT_GlyphSlot g = face->glyph;
        int top = y + 16 - g->bitmap_top;
        for (unsigned r = 0; r < g->bitmap.rows; r++)
            for (unsigned col = 0; col < g->bitmap.width; col++) {
                int px = pen + g->bitmap_left + static_cast<int>(col), py = top + static_cast<int>(r);
                if (px < 0 || py < 0 || px >= sheet_w || static_cast<size_t>(py) * sheet_w * 3 >= sheet.size()) continue;
                unsigned char v = g->bitmap.buffer[r * g->bitmap.pitch + col];
                for (int ch = 0; ch < 3; ch++) {
                    unsigned char& dst = sheet[(static_cast<size_t>(py) * sheet_w + px) * 3 + ch];
                    dst = static_cast<unsigned char>(dst + (255 - dst) * v / 255);
                }
            }
        pen += static_cast<int>(g->advance.x >> 6);
    }
}

}  // namespace

void contact_sheet_add(const std::vector<unsigned char>& rgb, double seconds) {
    Thumbnail t{std::vector<unsigned char>(thumb_w * thumb_h * 3), seconds};
    for (int y = 0; y < thumb_h; y++)
        for (int x = 0; x < thumb_w; x++)
            for (int ch = 0; ch < 3; ch++) {
                unsigned sum = 0;
                for (int dy = 0; dy < thumb_scale; dy++)
                    for (int dx = 0; dx < thumb_scale; dx++)
                        sum += rgb[((y * thumb_scale + dy) * 1280 + x * thumb_scale + dx) * 3 + ch];
                t.rgb[(y * thumb_w + x) * 3 + ch] = static_cast<unsigned char>(sum / (thumb_scale * thumb_scale));
            }
    thumbnails.push_back(std::move(t));
}

bool contact_sheet_write(const std::string& path, const std::string& font_path) {
    if (thumbnails.empty()) return false;
    int rows = (static_cast<int>(thumbnails.size()) + columns - 1) / columns;
    int cell_w = thumb_w + gap, cell_h = thumb_h + label_h + gap;
    int sheet_w = columns * cell_w + gap, sheet_h = rows * cell_h + gap;
    std::vector<unsigned char> sheet(static_cast<size_t>(sheet_w) * sheet_h * 3, 24);

    FT_Library library = nullptr;
    FT_Face face = nullptr;
    bool labels = FT_Init_FreeType(&library) == 0 && FT_New_Face(library, font_path.c_str(), 0, &face) == 0 &&
                  FT_Set_Pixel_Sizes(face, 0, 14) == 0;
    if (!labels) std::fprintf(stderr, "tangle: %s: no labels on the contact sheet\n", font_path.c_str());

    for (size_t i = 0; i < thumbnails.size(); i++) {
        int x0 = gap + static_cast<int>(i % columns) * cell_w, y0 = gap + static_cast<int>(i / columns) * cell_h;
        for (int y = 0; y < thumb_h; y++)
            std::copy_n(&thumbnails[i].rgb[static_cast<size_t>(y) * thumb_w * 3], thumb_w * 3,
                        &sheet[(static_cast<size_t>(y0 + y) * sheet_w + x0) * 3]);
        if (labels) {
            char text[32];
            double s = thumbnails[i].seconds;
            std::snprintf(text, sizeof text, "%d:%04.1f", static_cast<int>(s / 60), s - 60 * static_cast<int>(s / 60));
            draw_label(face, sheet, sheet_w, x0 + 2, y0 + thumb_h + 3, text);
        }
    }
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
    return write_png(path, sheet_w, sheet_h, sheet);
}
