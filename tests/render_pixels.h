// render_pixels.h: what the render checks share: starting the show on the
// frame driver and looking at the pictures it leaves behind.
//
// Pictures are 8-bit RGB, top row first. Regions are given in unit screen
// coordinates with y going up (as the show places things), so a check reads
// like the layout it verifies. Colours are compared with a tolerance; nothing
// here hashes a picture.
#pragma once

#include <string>
#include <vector>

struct Rgb {
    int r, g, b;
};

// A colour given as fractions of 255 (how the show sets its colours).
Rgb rgb_of(double r, double g, double b);

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    Rgb at(int x, int row) const;  // row 0 is the top
};

// A rectangle in unit coordinates, y up: x0 <= x < x1, y0 <= y < y1.
struct Region {
    double x0, y0, x1, y1;
};
constexpr Region whole_picture{0, 0, 1, 1};

// Starts the show with an empty storyboard (no command unless a test gives
// one) at `fps` frames per music second.
void start_show(double fps, unsigned seed = 1);

Picture read_picture();         // the composed 1280 x 720 picture
Picture read_scene_target();    // the 1600 x 900 scene target
Picture read_overlay_target();  // the 238 x 80 countdown panel

// Pixels of `region` (clipped to the picture) within `tolerance` of `colour`
// on every channel, and the region's pixel count.
int count_near(const Picture& p, const Region& region, Rgb colour, int tolerance = 3);
int count_pixels(const Picture& p, const Region& region);
// Pixels of `region` farther than `tolerance` from `colour` on some channel.
int count_away(const Picture& p, const Region& region, Rgb colour, int tolerance = 3);
// Pixels of `region` that differ by more than `tolerance` between two pictures.
int count_changed(const Picture& a, const Picture& b, const Region& region, int tolerance = 8);

// With TANGLE_RENDER_DUMP set to a folder, writes the picture there as
// NAME.png so a failing check can be looked at; otherwise does nothing.
void dump_picture(const Picture& p, const std::string& name);
