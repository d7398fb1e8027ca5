// labels.cpp: FreeType glyphs blended into an RGB picture.
#include "labels.h"

#include <ft2build.h>
#include FT_FREETYPE_H

namespace {

// Blends one line of text into the picture, each glyph's coverage as alpha.
void draw_label(FT_Face face, std::vector<unsigned char>& rgb, int width, int height, const Label& label) {
    int pen = label.x;
    const unsigned char colour[3] = {label.r, label.g, label.b};
    for (char c : label.text) {
        if (FT_Load_Char(face, static_cast<unsigned char>(c), FT_LOAD_RENDER)) continue;
        FT_GlyphSlot g = face->glyph;
        int top = label.y + 16 - g->bitmap_top;
        for (unsigned r = 0; r < g->bitmap.rows; r++)
            for (unsigned col = 0; col < g->bitmap.width; col++) {
                int px = pen + g->bitmap_left + static_cast<int>(col), py = top + static_cast<int>(r);
                if (px < 0 || py < 0 || px >= width || py >= height) continue;
                unsigned v = g->bitmap.buffer[r * g->bitmap.pitch + col];
                for (int ch = 0; ch < 3; ch++) {
                    unsigned char& dst = rgb[(static_cast<size_t>(py) * width + px) * 3 + ch];
                    dst = static_cast<unsigned char>((dst * (255 - v) + colour[ch] * v) / 255);
                }
            }
        pen += static_cast<int>(g->advance.x >> 6);
    }
}

}  // namespace

bool draw_labels(std::vector<unsigned char>& rgb, int width, int height, const std::vector<Label>& labels,
                 const std::string& font_path) {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    bool ok = FT_Init_FreeType(&library) == 0 && FT_New_Face(library, font_path.c_str(), 0, &face) == 0 &&
              FT_Set_Pixel_Sizes(face, 0, 14) == 0;
    if (ok)
        for (const Label& label : labels) draw_label(face, rgb, width, height, label);
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
    return ok;
}
