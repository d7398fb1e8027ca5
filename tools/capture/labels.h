// labels.h: short lines of text drawn into RGB pictures through FreeType, for
// the contact sheet and the cost plot.
#pragma once

#include <string>
#include <vector>

struct Label {
    int x, y;  // top left of the line, in pixels, row 0 at the top
    std::string text;
    unsigned char r, g, b;
};

// Draws the labels at 14 pixels in the font file given; false when the font
// can't be used (the picture is then left as it was).
bool draw_labels(std::vector<unsigned char>& rgb, int width, int height, const std::vector<Label>& labels,
                 const std::string& font_path);
