// wide_lines.cpp: projecting, clipping and widening smooth lines.
#include "core/wide_lines.h"

#include <cmath>

namespace {

struct ClipPoint {
    float p[4];  // clip coordinates
    float rgba[4];
};

void transform(const float m[16], const float v[3], float out[4]) {
    for (int r = 0; r < 4; ++r) out[r] = m[r] * v[0] + m[4 + r] * v[1] + m[8 + r] * v[2] + m[12 + r];
}

ClipPoint lerp(const ClipPoint& a, const ClipPoint& b, float t) {
    ClipPoint c;
    for (int k = 0; k < 4; ++k) {
        c.p[k] = a.p[k] + (b.p[k] - a.p[k]) * t;
        c.rgba[k] = a.rgba[k] + (b.rgba[k] - a.rgba[k]) * t;
    }
    return c;
}

// Clips the line to the view volume (-w <= x, y, z <= w) as GL does before it
// widens a line. False when nothing of it is inside.
bool clip_line(ClipPoint& a, ClipPoint& b) {
    float t0 = 0.0f, t1 = 1.0f;
    for (int axis = 0; axis < 3; ++axis)
        for (float side : {1.0f, -1.0f}) {
            float d0 = a.p[3] + side * a.p[axis], d1 = b.p[3] + side * b.p[axis];
            if (d0 < 0 && d1 < 0) return false;
            if (d0 < 0 && d0 / (d0 - d1) > t0) t0 = d0 / (d0 - d1);
            if (d1 < 0 && d0 / (d0 - d1) < t1) t1 = d0 / (d0 - d1);
        }
    if (t0 > t1) return false;
    const ClipPoint from = a, to = b;
    if (t0 > 0.0f) a = lerp(from, to, t0);
    if (t1 < 1.0f) b = lerp(from, to, t1);
    return true;
}

// A point of a line in window pixels, with what it keeps from clip space.
struct WindowPoint {
    float x, y;
    float z, w;  // clip z and w
};

WindowPoint to_window(const LineSpace& s, const ClipPoint& c) {
    const float iw = 1.0f / c.p[3];
    return {c.p[0] * iw * s.scale[0] + s.offset[0], c.p[1] * iw * s.scale[1] + s.offset[1], c.p[2], c.p[3]};
}

// Where the next vertices go: the mesh's arrays grown by `count` vertices.
struct VertexSlots {
    float* position;
    float* colour;
    float* texcoord;
};

// Room for `vertices` vertices in all three arrays, whether or not the mesh
// carries coverage, so one mesh can serve either kind of pass.
void make_room(WideLineMesh& m, size_t vertices) {
    if (4 * vertices <= m.position.size()) return;
    m.position.resize(4 * vertices);
    m.colour.resize(4 * vertices);
    m.texcoord.resize(2 * vertices);
}

VertexSlots grow(WideLineMesh& m, size_t count) {
    const size_t first = m.vertices;
    m.vertices += count;
    if (4 * m.vertices > m.position.size()) make_room(m, 2 * m.vertices);
    return {&m.position[4 * first], &m.colour[4 * first], m.coverage ? &m.texcoord[2 * first] : nullptr};
}

// A vertex at window point (x, y), with the clip z and w of its end of the line.
void put_vertex(VertexSlots& at, const LineSpace& s, float x, float y, float z, float w,
                const float rgba[4]) {
    at.position[0] = (x - s.offset[0]) / s.scale[0] * w;
    at.position[1] = (y - s.offset[1]) / s.scale[1] * w;
    at.position[2] = z;
    at.position[3] = w;
    for (int k = 0; k < 4; ++k) at.colour[k] = rgba[k];
    at.position += 4;
    at.colour += 4;
}

// Without the library call std::fmin and std::fmax make of it.
float unit_clamp(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

}  // namespace

LineSpace make_line_space(const float modelview[16], const float projection[16], const int viewport[4]) {
    LineSpace s;
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += projection[4 * k + r] * modelview[4 * c + k];
            s.mvp[4 * c + r] = sum;
        }
    s.scale[0] = 0.5f * static_cast<float>(viewport[2]);
    s.scale[1] = 0.5f * static_cast<float>(viewport[3]);
    s.offset[0] = static_cast<float>(viewport[0]) + s.scale[0];
    s.offset[1] = static_cast<float>(viewport[1]) + s.scale[1];
    return s;
}

void reserve_wide_lines(WideLineMesh& mesh, size_t lines) { make_room(mesh, 9 * lines); }

void clear_wide_lines(WideLineMesh& mesh, bool coverage) {
    mesh.coverage = coverage;
    mesh.vertices = 0;
    mesh.lines = 0;
}

float smooth_line_width(float requested) { return requested > 1.0f ? requested : 1.0f; }

void add_wide_line(WideLineMesh& m, const LineSpace& s, const float a[3], const float b[3], float width,
                   const float rgba_a[4], const float rgba_b[4]) {
    m.lines++;
    ClipPoint ca, cb;
    transform(s.mvp, a, ca.p);
    transform(s.mvp, b, cb.p);
    // GL clamps vertex colours before it interpolates them along a line;
    // handed over as they are, some drivers would clamp only the fragments.
    for (int k = 0; k < 4; ++k) {
        ca.rgba[k] = unit_clamp(rgba_a[k]);
        cb.rgba[k] = unit_clamp(rgba_b[k]);
    }
    if (!clip_line(ca, cb)) return;
    const WindowPoint p0 = to_window(s, ca), p1 = to_window(s, cb);

    // Along the line (c, s) and across it; a line of no length lies along x.
    const float dx = p1.x - p0.x, dy = p1.y - p0.y;
    const float length = std::sqrt(dx * dx + dy * dy);
    const float c = length > 0.0f ? dx / length : 1.0f;
    const float sn = length > 0.0f ? dy / length : 0.0f;
    const float w = smooth_line_width(width);
    const float half_width = 0.5f * w + 0.5f;  // w is at least 1
    // Lines shorter than a pixel fade with their length instead of keeping a
    // coverage of one half at their middle.
    float half_length = 0.5f * length;
    half_length = half_length < 0.5f ? 2.0f * half_length : half_length + 0.5f;
    const float ex = 0.5f * c, ey = 0.5f * sn;               // half a pixel along
    const float nx = -half_width * sn, ny = half_width * c;  // half the width across

    if (!m.coverage) {
        VertexSlots at = grow(m, 4);
        put_vertex(at, s, p0.x - ex + nx, p0.y - ey + ny, p0.z, p0.w, ca.rgba);
        put_vertex(at, s, p0.x - ex - nx, p0.y - ey - ny, p0.z, p0.w, ca.rgba);
        put_vertex(at, s, p1.x + ex - nx, p1.y + ey - ny, p1.z, p1.w, cb.rgba);
        put_vertex(at, s, p1.x + ex + nx, p1.y + ey + ny, p1.z, p1.w, cb.rgba);
        return;
    }

    // Three rows along (start, middle, end) by three columns across. The
    // coverage coordinates grow from 0 at the rectangle's edges to the half
    // width and half length at its middle; the texture clamps them at 1. GL
    // interpolates with perspective, so the middle along, where the distance
    // to both ends is equal, lies at u = w1 / (w0 + w1) of the way in window
    // space, with 1/w, z and every attribute over w taken there linearly.
    const float u = p1.w / (p0.w + p1.w);
    const float w_mid = 1.0f / ((1.0f - u) / p0.w + u / p1.w);
    const float z_mid = ((1.0f - u) * (p0.z / p0.w) + u * (p1.z / p1.w)) * w_mid;
    float mid_rgba[4];
    for (int k = 0; k < 4; ++k)
        mid_rgba[k] = ((1.0f - u) * ca.rgba[k] / p0.w + u * cb.rgba[k] / p1.w) * w_mid;
    const float start_x = p0.x - ex, start_y = p0.y - ey, end_x = p1.x + ex, end_y = p1.y + ey;
    const WindowPoint rows[3] = {
        {start_x, start_y, p0.z, p0.w},
        {start_x + u * (end_x - start_x), start_y + u * (end_y - start_y), z_mid, w_mid},
        {end_x, end_y, p1.z, p1.w}};
    const float* row_rgba[3] = {ca.rgba, mid_rgba, cb.rgba};
    const float row_t[3] = {0.25f, (half_length + 0.5f) * 0.5f, 0.25f};
    const float column_s[3] = {0.25f, (half_width + 0.5f) * 0.5f, 0.25f};
    const float side[3] = {1.0f, 0.0f, -1.0f};
    VertexSlots at = grow(m, 9);
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k) {
            put_vertex(at, s, rows[r].x + side[k] * nx, rows[r].y + side[k] * ny, rows[r].z, rows[r].w,
                       row_rgba[r]);
            *at.texcoord++ = column_s[k];
            *at.texcoord++ = row_t[r];
        }
}

void wide_line_triangles(size_t lines, std::vector<unsigned>& indices) {
    indices.resize(24 * lines);
    unsigned* index = indices.data();
    for (size_t line = 0; line < lines; ++line)
        for (unsigned r = 0; r < 2; ++r)
            for (unsigned k = 0; k < 2; ++k) {
                const unsigned v = static_cast<unsigned>(9 * line) + 3 * r + k;
                for (unsigned corner : {v, v + 1, v + 3, v + 3, v + 1, v + 4}) *index++ = corner;
            }
}
