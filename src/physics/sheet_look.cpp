// sheet_look.cpp: the sheet drawing's rules, free of GL.
#include "physics/sheet_draw.h"

const Vec3 light_direction{0.2, -1.9, -0.6};

int choose_sheet_texture(int texture, int style, float time) {
    int c = (texture + style - 3) % 38;  // keeps the dividend's sign
    if (c < 1 || c > 36) c = 4;
    if (time > 1472 && c <= 8) c += 40;
    if (time < 1055) c = 40;
    return c;
}

float fin_grey(Vec3 n) {
    float g = static_cast<float>(vec_dot(n, light_direction) * 0.5 + 0.63);
    return static_cast<float>(g * 6.3);
}

void fin_texture_coords(int k, int l, int rows, int columns, float st[2]) {
    st[0] = static_cast<float>(static_cast<double>(k) / (rows - 1));
    st[1] = static_cast<float>(1.0 - static_cast<double>(l) / (columns - 1));
}

namespace {

// Distance beyond the root radius, scaled: 0 at the roots, 1 at 0.2 + 1/3.
float spread(const ClothSheet& s, int i, int j) {
    float d = static_cast<float>(vec_length(sheet_particle(s, i, j).position - s.anchor_offset));
    return (d - 0.2f) * 3.0f;
}

}  // namespace

StrandSegmentLook late_segment_look(const ClothSheet& s, int i, int j) {
    const float sf = static_cast<float>(s.columns);
    const float jf = static_cast<float>(j);
    const float a = (0.2f * jf) / sf, b = (0.3f * jf) / sf, c = (0.4f * jf) / sf;
    StrandSegmentLook look;
    float h1 = spread(s, i, j);
    look.width = 3.0f - 3.0f * h1;
    look.near_rgba[0] = a + 1.25f * h1;
    look.near_rgba[1] = b + 1.35f * h1;
    look.near_rgba[2] = c + 0.85f * h1;
    look.near_rgba[3] = a + 0.8f;
    float h2 = spread(s, i + 1, j);
    look.far_rgba[0] = c + 1.65f * h2;
    look.far_rgba[1] = a + 1.25f * h2;
    look.far_rgba[2] = c + 0.85f * h2;
    look.far_rgba[3] = a + 0.8f;
    return look;
}
