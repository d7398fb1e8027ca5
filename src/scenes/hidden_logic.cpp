// hidden_logic.cpp: the hidden part's rules, free of GL: its clock, the beat
// that steps the dot patterns, the thirteen patterns themselves and the
// scroller's position. Depends on core/random.h (the shared generator) and
// audio/music.h (the derived-clock rule).
#include <algorithm>
#include <cmath>

#include "audio/music.h"
#include "core/random.h"
#include "scenes/hidden.h"

namespace {

// Dot colour of most patterns, single precision as GL receives it.
constexpr float dot_r = 250.0f / 255.0f;
constexpr float dot_g = 135.0f / 255.0f;
constexpr float dot_b = 209.0f / 255.0f;

// Height of a bouncing dot: |sin((q + 3) c 3.3) A| + 0.4.
double bounce(double q, double c, double amplitude) {
    return std::fabs(std::sin((q + 3.0) * c * 3.3) * amplitude) + 0.4;
}

// x for the patterns that place their dots in three fixed columns.
double column_x(int j, double previous) {
    if (j == 0) return 0.5;
    if (j == 1) return 0.53;
    if (j == 2) return 0.47;
    return previous;
}

void set_plain_colour(HiddenDot& d) {
    d.r = dot_r;
    d.g = dot_g;
    d.b = dot_b;
    d.a = 1.0;
}

// One pass of the pattern loop for a type 0..12. `x` carries over between
// passes because some patterns set it only for some dots. The random values
// are drawn in the order the patterns have always drawn them: the dots of a
// level repeat exactly from frame to frame only if that order holds.
HiddenDot make_dot(HiddenState& s, int j, double r1, double a, double& x) {
    const double c = s.clock;
    const double level = s.pattern_level;
    const double third = static_cast<double>(0.3f);
    HiddenDot d{};
    double y = 0.0, w = 0.004, h = 0.005;
    set_plain_colour(d);

    switch (s.pattern_type) {
        case 0: {
            s.dot_count = 1;
            y = bounce(random_unit(), c, 0.2);
            x = std::sin(4.0 * c) * random_unit() * 0.2 * level + 0.5;
            const double blue = random_unit();
            const double green = random_unit();
            const double red = random_unit();
            d.r = 250.0 / 255.0 + 20.002 * level * red;
            d.g = 135.0 / 255.0 + 20.002 * level * green;
            d.b = 209.0 / 255.0 + 20.002 * level * blue;
            h = 0.005 + 0.002 * level * random_unit();
            w = 0.002 + 0.002 * level * random_unit();
            break;
        }
        case 1:
            s.dot_count = 2;
            y = bounce(random_unit(), c, 0.2);
            x = column_x(j, x);
            break;
        case 2:
            s.dot_count = 3;
            y = bounce(random_unit(), c, a);
            x = column_x(j, x);
            break;
        case 3:
            s.dot_count = 3;
            random_unit();  // drawn and unused
            y = bounce(random_unit(), c, 0.2);
            x = column_x(j, x);
            break;
        case 4:
            s.dot_count = 1250;
            y = std::cos(6.24 * c + 0.2 * j) * 0.2 + 0.5;
            x = std::sin(5.24 * c + 0.25 * j) * 0.2 + 0.5;
            w = 0.0045;
            break;
        case 5:
            s.dot_count = 124;
            y = bounce(random_unit(), c, a);
            x = r1;
            w = 0.0043;
            break;
        case 6:  // keeps the dot count of the pattern before it
            y = third * std::cos(4.24 * c + 0.2 * j + 0.2 * std::sin(c)) + third * std::cos(4.0 * c) + 0.5;
            x = 0.5 + third * third * std::cos(4.0 * c) * std::sin(6.24 * c + 0.25 * j);
            break;
        case 7:
            s.dot_count = 224;
            y = bounce(random_unit(), c, a);
            x = std::cos(4.0 * c + 24.0 * r1) * a + r1;
            break;
        case 8:
            s.dot_count = 1;
            y = bounce(random_unit(), c, 0.2);
            x = std::sin(3.4 * c + 0.43) * 0.4 + 0.5;
            h = 0.005 + 0.006 * level * random_unit();
            w = 0.006 + 0.006 * level * random_unit();
            break;
        case 9: {
            s.dot_count = 224;
            const double spread = random_unit() * 0.4;
            y = bounce(random_unit(), c, spread);
            x = std::cos(4.0 * c + 24.0 * r1) * spread + r1;
            break;
        }
        case 10: {
            s.dot_count = static_cast<int>((random_unit() - 0.5) * 50.0 + 240.0);
            const double spread = random_unit() * 0.02 + 0.2;
            y = std::cos(6.24 * c + 0.2 * j) * spread + 0.5;
            x = std::sin(random_unit() * 5.24 * c + 0.25 * j) * spread + 0.5;
            w = 0.0045;
            break;
        }
        case 11: {
            s.dot_count = 1240;
            const double spread = random_unit() * 0.9;
            y = std::cos(0.2 * j + 5.24 * c) * std::cos(0.2 * j + 6.24 * c) * spread + 0.25;
            x = std::sin(random_unit() * 5.24 * c + 0.25 * j) * spread + 0.25;
            const double blue = random_unit();
            const double green = random_unit();
            const double red = random_unit();
            d.r = red;
            d.g = green * 165.0 / 255.0;
            d.b = blue * 239.0 / 255.0;
            w = 0.045;
            h = 0.05;
            break;
        }
        default: {  // 12
            s.dot_count = 40;
            const double spread = random_unit() * 0.9;
            y = std::cos(15.24 * c + 0.2 * j) * std::cos(0.2 * j + 16.24 * c) * spread + 0.5;
            const double wobble = random_unit();
            x = random_unit() * 0.5 + std::sin(wobble * 15.24 * c + 0.25 * j) * spread;
            d.r = 1.0f;
            d.g = 165.0f / 255.0f;
            d.b = 239.0f / 255.0f;
            w = 0.045;
            h = 0.05;
            break;
        }
    }
    d.x = static_cast<float>(x);
    d.y = static_cast<float>(y);
    d.w = static_cast<float>(w);
    d.h = static_cast<float>(h);
    return d;
}

}  // namespace

float advance_hidden_clock(HiddenState& s, float seconds) {
    return advance_derived_clock(s.prev_seconds, s.clock, seconds);
}

int step_hidden_beat(HiddenState& s, std::FILE* out) {
    s.frames += 1;
    const int m = static_cast<int>(s.clock + 1.0f);
    if (m % 4 != 0 || static_cast<float>(m) == s.last_beat) return 0;
    s.last_beat = static_cast<float>(m);
    if (s.pattern_level == 0) {
        s.pattern_type += 1;
    } else {
        random_seed(static_cast<unsigned>(s.frames) * 1000u);
        s.pattern_type = static_cast<int>(std::floor(random_unit() * 13.0));
        if (out) {
            std::fprintf(out, "%d  %d\n", s.frames, s.pattern_type);
            std::fflush(out);
        }
    }
    return 1;
}

void compute_hidden_dots(HiddenState& s, std::vector<HiddenDot>& dots) {
    dots.clear();
    random_seed(static_cast<unsigned>(s.pattern_level + 1000));
    double x = 0.0;
    for (int j = 0; j < s.dot_count; ++j) {  // the patterns change dot_count
        const double r1 = random_unit();
        const double a = random_next() * (s.pattern_level * 0.02) / random_top + 0.2;
        if (s.pattern_type > 12) {
            s.pattern_level += 1;
            s.pattern_type = 0;
            continue;
        }
        dots.push_back(make_dot(s, j, r1, a, x));
    }
}

void scroll_hidden_text(HiddenState& s, float dete) {
    if (dete > 0.0f) s.posx -= dete * 500.0f;
    if (s.posx <= -hidden_glyph_cell) {
        s.pozycja += 1;
        s.posx = 0.0f;
    }
}

void layout_hidden_text(HiddenState& s, std::vector<HiddenGlyph>& glyphs) {
    glyphs.clear();
    // The final "@" restarts the text before the window can pass the end; the
    // bound below holds even if the text or the position were ever wrong.
    if (s.pozycja < 0 || s.pozycja >= napis_length) s.pozycja = 0;
    const int start = s.pozycja;
    const int count = std::min(rozmiar, napis_length - start);
    for (int k = 0; k < count; ++k) {
        const char ch = napis[start + k];
        if (ch == '@') s.pozycja = 0;
        float x = s.posx - 20.0f + hidden_glyph_cell * static_cast<float>(k);
        if (ch == 'I' || ch == ':') x += 10.0f;
        glyphs.push_back({x, ch});
    }
}
