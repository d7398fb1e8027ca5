// cost_plot.cpp: scatter plot of frame cost against music time, written with
// libpng; labels through FreeType. Pure layout is kept apart from drawing.
#include "cost_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "labels.h"
#include "png_file.h"

namespace {

constexpr int margin_left = 70, margin_right = 20, margin_top = 60, margin_bottom = 40;

struct Colour {
    unsigned char r, g, b;
};
// Distinct hues for up to twelve sections, then round again.
constexpr Colour palette[] = {{230, 80, 70},   {240, 170, 50}, {200, 220, 60},  {90, 200, 90},
                              {60, 200, 200},  {80, 140, 240}, {170, 110, 240}, {240, 110, 200},
                              {180, 180, 180}, {150, 100, 60}, {40, 130, 90},   {250, 250, 250}};

void put(std::vector<unsigned char>& rgb, const PlotSize& s, int x, int y, Colour c) {
    if (x < 0 || y < 0 || x >= s.width || y >= s.height) return;
    size_t k = (static_cast<size_t>(y) * s.width + x) * 3;
    rgb[k] = c.r, rgb[k + 1] = c.g, rgb[k + 2] = c.b;
}

}  // namespace

PlotPoint plot_point(const PlotSize& size, double t0, double t1, double top_ms, double music_seconds,
                     double cost_seconds) {
    int inner_w = size.width - margin_left - margin_right, inner_h = size.height - margin_top - margin_bottom;
    double fx = t1 > t0 ? (music_seconds - t0) / (t1 - t0) : 0;
    double ms = std::max(cost_seconds * 1000, 1.0);
    double fy = std::log10(ms) / std::log10(top_ms);
    fx = std::clamp(fx, 0.0, 1.0), fy = std::clamp(fy, 0.0, 1.0);
    return {margin_left + static_cast<int>(std::lround(fx * inner_w)),
            margin_top + inner_h - static_cast<int>(std::lround(fy * inner_h))};
}

double plot_top_ms(const std::vector<ReportSample>& samples) {
    double top = 10;
    for (const ReportSample& s : samples)
        while (s.seconds * 1000 >= top) top *= 10;
    return top;
}

bool cost_plot_write(const std::string& path, const std::vector<ReportSample>& samples,
                     const std::vector<std::string>& section_names, const std::string& font_path) {
    if (samples.empty()) return false;
    PlotSize size;
    std::vector<unsigned char> rgb(static_cast<size_t>(size.width) * size.height * 3, 20);
    double t0 = samples.front().music_seconds, t1 = t0;
    for (const ReportSample& s : samples)
        t0 = std::min(t0, s.music_seconds), t1 = std::max(t1, s.music_seconds);
    double top = plot_top_ms(samples);
    std::vector<Label> labels;
    const Colour grid{60, 60, 60};

    // Decades of cost across, ten-second steps of music time (or coarser) up.
    for (double ms = 1; ms <= top; ms *= 10) {
        int y = plot_point(size, t0, t1, top, t0, ms / 1000).y;
        for (int x = margin_left; x < size.width - margin_right; x++) put(rgb, size, x, y, grid);
        char text[16];
        std::snprintf(text, sizeof text, "%g ms", ms);
        labels.push_back({4, y - 9, text, 200, 200, 200});
    }
    double step = 10;
    while ((t1 - t0) / step > 12) step *= 2;
    for (double t = std::ceil(t0 / step) * step; t <= t1; t += step) {
        int x = plot_point(size, t0, t1, top, t, 0.001).x;
        for (int y = margin_top; y < size.height - margin_bottom; y++) put(rgb, size, x, y, grid);
        char text[16];
        std::snprintf(text, sizeof text, "%g s", t);
        labels.push_back({x - 12, size.height - margin_bottom + 6, text, 200, 200, 200});
    }

    // Each frame a 3 x 3 dot in its section's colour.
    for (const ReportSample& s : samples) {
        PlotPoint p = plot_point(size, t0, t1, top, s.music_seconds, s.seconds);
        Colour c = palette[static_cast<size_t>(s.section) % std::size(palette)];
        for (int dy = -1; dy <= 1; dy++)
            for (int dx = -1; dx <= 1; dx++) put(rgb, size, p.x + dx, p.y + dy, c);
    }

    // The key: section names in their colours along the top.
    // A second row takes what the first can't hold.
    int pen = margin_left, row = 22;
    labels.push_back({4, 2, "frame cost by music time", 230, 230, 230});
    for (size_t i = 0; i < section_names.size(); i++) {
        Colour c = palette[i % std::size(palette)];
        int width = 10 * static_cast<int>(section_names[i].size()) + 18;
        if (pen + width > size.width && pen > margin_left) pen = margin_left, row += 18;
        labels.push_back({pen, row, section_names[i], c.r, c.g, c.b});
        pen += width;
    }
    if (!draw_labels(rgb, size.width, size.height, labels, font_path))
        std::fprintf(stderr, "tangle: %s: no labels on the cost plot\n", font_path.c_str());
    return write_png(path, size.width, size.height, rgb);
}
