// framing.cpp: the framing measure of captured pictures (see framing.h).
#include "framing.h"

#include <cstdlib>

Framing measure_framing(const std::vector<unsigned char>& rgb, int width, int height, const int clear[3],
                        const FramingRules& rules) {
    Framing f;
    if (width <= 0 || height <= 0 || rgb.size() < static_cast<size_t>(width) * height * 3) return f;
    // Sums in doubles: a full 1280 x 720 picture of drawn pixels would
    // overflow 32-bit sums of coordinates.
    double sum_x = 0, sum_y = 0;
    long drawn = 0;
    const unsigned char* p = rgb.data();
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++, p += 3) {
            bool away = std::abs(p[0] - clear[0]) > rules.tolerance ||
                        std::abs(p[1] - clear[1]) > rules.tolerance ||
                        std::abs(p[2] - clear[2]) > rules.tolerance;
            if (!away) continue;
            drawn++;
            // Pixel centres, so a picture drawn all over has its centre at 0.5.
            sum_x += x + 0.5;
            sum_y += y + 0.5;
        }
    }
    double pixels = static_cast<double>(width) * height;
    f.drawn_share = drawn / pixels;
    f.mostly_clear = f.drawn_share < rules.drawn_share_min;
    if (drawn == 0) return f;
    f.centre_x = sum_x / drawn / width;
    f.centre_y = sum_y / drawn / height;
    double lo = rules.centre_margin, hi = 1 - rules.centre_margin;
    f.framed = f.centre_x >= lo && f.centre_x <= hi && f.centre_y >= lo && f.centre_y <= hi;
    return f;
}

void tally_framing(FramingTally& tally, const Framing& f) {
    tally.frames++;
    if (f.framed) tally.framed++;
    if (f.mostly_clear) tally.mostly_clear++;
}
