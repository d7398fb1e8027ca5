// cost_plot.h: the timing report as a picture: each drawn frame's cost over
// the music time it showed, coloured by section of the show, on a log scale.
#pragma once

#include <string>
#include <vector>

#include "capture_output.h"

struct PlotSize {
    int width = 1200, height = 520;
};

// Where a sample lands: pixel column and row (row 0 at the top) in a plot of
// `size` spanning music times t0..t1 and costs of 1 ms up to `top_ms`.
struct PlotPoint {
    int x, y;
};
PlotPoint plot_point(const PlotSize& size, double t0, double t1, double top_ms, double music_seconds,
                     double cost_seconds);
// The smallest power of ten (in ms, at least 10) above every cost.
double plot_top_ms(const std::vector<ReportSample>& samples);

// Writes the plot as PNG, labelled in the font file given.
bool cost_plot_write(const std::string& path, const std::vector<ReportSample>& samples,
                     const std::vector<std::string>& section_names, const std::string& font_path);
