// contact_sheet.cpp: thumbnails by box filtering, labelled with their times.
#include "contact_sheet.h"

#include <algorithm>
#include <cstdio>

#include "labels.h"
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
                t.rgb[(y * thumb_w + x) * 3 + ch] =
                    static_cast<unsigned char>(sum / (thumb_scale * thumb_scale));
            }
    thumbnails.push_back(std::move(t));
}

bool contact_sheet_write(const std::string& path, const std::string& font_path) {
    if (thumbnails.empty()) return false;
    int rows = (static_cast<int>(thumbnails.size()) + columns - 1) / columns;
    int cell_w = thumb_w + gap, cell_h = thumb_h + label_h + gap;
    int sheet_w = columns * cell_w + gap, sheet_h = rows * cell_h + gap;
    std::vector<unsigned char> sheet(static_cast<size_t>(sheet_w) * sheet_h * 3, 24);

    std::vector<Label> labels;
    for (size_t i = 0; i < thumbnails.size(); i++) {
        int x0 = gap + static_cast<int>(i % columns) * cell_w,
            y0 = gap + static_cast<int>(i / columns) * cell_h;
        for (int y = 0; y < thumb_h; y++)
            std::copy_n(&thumbnails[i].rgb[static_cast<size_t>(y) * thumb_w * 3], thumb_w * 3,
                        &sheet[(static_cast<size_t>(y0 + y) * sheet_w + x0) * 3]);
        char text[32];
        double s = thumbnails[i].seconds;
        std::snprintf(text, sizeof text, "%d:%04.1f", static_cast<int>(s / 60),
                      s - 60 * static_cast<int>(s / 60));
        labels.push_back({x0 + 2, y0 + thumb_h + 3, text, 255, 255, 255});
    }
    if (!draw_labels(sheet, sheet_w, sheet_h, labels, font_path))
        std::fprintf(stderr, "tangle: %s: no labels on the contact sheet\n", font_path.c_str());
    return write_png(path, sheet_w, sheet_h, sheet);
}

bool contact_sheet_save(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = true;
    for (const Thumbnail& t : thumbnails)
        ok = ok && std::fwrite(&t.seconds, sizeof t.seconds, 1, f) == 1 &&
             std::fwrite(t.rgb.data(), 1, t.rgb.size(), f) == t.rgb.size();
    return std::fclose(f) == 0 && ok;
}

bool contact_sheet_load(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    Thumbnail t{std::vector<unsigned char>(thumb_w * thumb_h * 3), 0};
    while (std::fread(&t.seconds, sizeof t.seconds, 1, f) == 1 &&
           std::fread(t.rgb.data(), 1, t.rgb.size(), f) == t.rgb.size())
        thumbnails.push_back(t);
    std::fclose(f);
    return true;
}
