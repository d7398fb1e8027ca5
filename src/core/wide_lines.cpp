// wide_lines.cpp: projecting, clipping and widening smooth lines.
#include "core/wide_lines.h"

#include <cmath>
#include <cstring>

#if defined(__SSE__)
#include <immintrin.h>
#endif

namespace {

struct ClipPoint {
    float p[4];  // clip coordinates
    float rgba[4];
};

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

// The arithmetic below runs on one line (F = float) or on several side by
// side, one in each lane of a vector (F = Lanes). Every lane does exactly the
// operations one line does, in the same order, and IEEE arithmetic, division
// and square root round alike in every lane, so both end in the same bits.
#if defined(__SSE__)
typedef float Lanes __attribute__((vector_size(16)));
typedef int LaneMask __attribute__((vector_size(16)));
constexpr int lane_count = 4;
inline Lanes square_root(Lanes v) { return _mm_sqrt_ps(v); }
// out[i] = lane i of a, b, c and d: four values of one line side by side.
inline void transpose(Lanes a, Lanes b, Lanes c, Lanes d, Lanes out[4]) {
    __m128 r0 = a, r1 = b, r2 = c, r3 = d;
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    out[0] = r0, out[1] = r1, out[2] = r2, out[3] = r3;
}
#endif
inline float square_root(float v) { return std::sqrt(v); }

template <class F>
F splat(float v);
template <>
float splat(float v) {
    return v;
}
#if defined(__SSE__)
template <>
Lanes splat(float v) {
    return Lanes{v, v, v, v};
}
#endif

// v < 0 ? 0 : (v > 1 ? 1 : v), lane by lane. GL clamps vertex colours before
// it interpolates them along a line; handed over as they are, some drivers
// would clamp only the fragments.
template <class F>
F unit_clamp(F v) {
    const F zero = splat<F>(0.0f), one = splat<F>(1.0f);
    return v < zero ? zero : (v > one ? one : v);
}

// A line's ends in clip coordinates with their clamped colours, clipped or not.
template <class F>
struct LineEnds {
    F p0[4], p1[4];
    F rgba0[4], rgba1[4];
    F width;
};

// The window-space quad of a line, handed back in clip coordinates: x and y
// of three rows along (start, middle, end) by three columns across (one side,
// the centre, the other side), z and w per row; the middle row's colour and
// the coverage coordinates of the middle column and row.
template <class F>
struct LineQuad {
    F x[3][3], y[3][3];
    F z[3], w[3];
    F mid_rgba[4];
    F s_mid, t_mid;
};

void transform(const float m[16], const float v[3], float out[4]) {
    for (int r = 0; r < 4; ++r) out[r] = m[r] * v[0] + m[4 + r] * v[1] + m[8 + r] * v[2] + m[12 + r];
}

// The rectangle a smooth line covers, with its coverage grid when `coverage`.
template <class F>
void widen(const LineSpace& s, const LineEnds<F>& e, bool coverage, LineQuad<F>& q) {
    // The ends in window pixels.
    const F iw0 = splat<F>(1.0f) / e.p0[3], iw1 = splat<F>(1.0f) / e.p1[3];
    const F x0 = e.p0[0] * iw0 * s.scale[0] + s.offset[0], y0 = e.p0[1] * iw0 * s.scale[1] + s.offset[1];
    const F x1 = e.p1[0] * iw1 * s.scale[0] + s.offset[0], y1 = e.p1[1] * iw1 * s.scale[1] + s.offset[1];

    // Along the line (c, sn) and across it; a line of no length lies along x.
    const F zero = splat<F>(0.0f);
    const F dx = x1 - x0, dy = y1 - y0;
    const F length = square_root(dx * dx + dy * dy);
    const F c = length > zero ? dx / length : splat<F>(1.0f);
    const F sn = length > zero ? dy / length : zero;
    const F w = e.width > splat<F>(1.0f) ? e.width : splat<F>(1.0f);  // smooth_line_width
    const F half_width = 0.5f * w + 0.5f;                             // w is at least 1
    // Lines shorter than a pixel fade with their length instead of keeping a
    // coverage of one half at their middle.
    F half_length = 0.5f * length;
    half_length = half_length < splat<F>(0.5f) ? 2.0f * half_length : half_length + 0.5f;
    const F ex = 0.5f * c, ey = 0.5f * sn;               // half a pixel along
    const F nx = -half_width * sn, ny = half_width * c;  // half the width across

    // Three rows along (start, middle, end) by three columns across. The
    // coverage coordinates grow from 0 at the rectangle's edges to the half
    // width and half length at its middle; the texture clamps them at 1. GL
    // interpolates with perspective, so the middle along, where the distance
    // to both ends is equal, lies at u = w1 / (w0 + w1) of the way in window
    // space, with 1/w, z and every attribute over w taken there linearly.
    const F start_x = x0 - ex, start_y = y0 - ey, end_x = x1 + ex, end_y = y1 + ey;
    F row_x[3] = {start_x, zero, end_x}, row_y[3] = {start_y, zero, end_y};
    q.z[0] = e.p0[2], q.w[0] = e.p0[3];
    q.z[2] = e.p1[2], q.w[2] = e.p1[3];
    if (coverage) {
        const F p0w = e.p0[3], p1w = e.p1[3];
        const F u = p1w / (p0w + p1w);
        const F w_mid = 1.0f / ((1.0f - u) / p0w + u / p1w);
        q.z[1] = ((1.0f - u) * (e.p0[2] / p0w) + u * (e.p1[2] / p1w)) * w_mid;
        q.w[1] = w_mid;
        for (int k = 0; k < 4; ++k)
            q.mid_rgba[k] = ((1.0f - u) * e.rgba0[k] / p0w + u * e.rgba1[k] / p1w) * w_mid;
        row_x[1] = start_x + u * (end_x - start_x);
        row_y[1] = start_y + u * (end_y - start_y);
        q.t_mid = (half_length + 0.5f) * 0.5f;
        q.s_mid = (half_width + 0.5f) * 0.5f;
    }
    const float side[3] = {1.0f, 0.0f, -1.0f};
    for (int r = 0; r < 3; ++r) {
        if (r == 1 && !coverage) continue;
        for (int k = 0; k < 3; ++k) {
            // Back from window pixels to clip coordinates at this row's w.
            q.x[r][k] = (row_x[r] + side[k] * nx - s.offset[0]) / s.scale[0] * q.w[r];
            q.y[r][k] = (row_y[r] + side[k] * ny - s.offset[1]) / s.scale[1] * q.w[r];
        }
    }
}

// Appends one widened line's vertices.
void emit(WideLineMesh& m, const LineEnds<float>& e, const LineQuad<float>& q) {
    auto put = [](VertexSlots& at, float x, float y, float z, float w, const float rgba[4]) {
        at.position[0] = x;
        at.position[1] = y;
        at.position[2] = z;
        at.position[3] = w;
        for (int k = 0; k < 4; ++k) at.colour[k] = rgba[k];
        at.position += 4;
        at.colour += 4;
    };
    if (!m.coverage) {
        VertexSlots at = grow(m, 4);
        put(at, q.x[0][0], q.y[0][0], q.z[0], q.w[0], e.rgba0);
        put(at, q.x[0][2], q.y[0][2], q.z[0], q.w[0], e.rgba0);
        put(at, q.x[2][2], q.y[2][2], q.z[2], q.w[2], e.rgba1);
        put(at, q.x[2][0], q.y[2][0], q.z[2], q.w[2], e.rgba1);
        return;
    }
    const float* row_rgba[3] = {e.rgba0, q.mid_rgba, e.rgba1};
    const float row_t[3] = {0.25f, q.t_mid, 0.25f};
    const float column_s[3] = {0.25f, q.s_mid, 0.25f};
    VertexSlots at = grow(m, 9);
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k) {
            put(at, q.x[r][k], q.y[r][k], q.z[r], q.w[r], row_rgba[r]);
            *at.texcoord++ = column_s[k];
            *at.texcoord++ = row_t[r];
        }
}

// One line on its own, clipped first if it needs to be.
void add_one_line(WideLineMesh& m, const LineSpace& s, const WideLine& line) {
    m.lines++;
    ClipPoint ca, cb;
    transform(s.mvp, line.a, ca.p);
    transform(s.mvp, line.b, cb.p);
    for (int k = 0; k < 4; ++k) {
        ca.rgba[k] = unit_clamp(line.rgba_a[k]);
        cb.rgba[k] = unit_clamp(line.rgba_b[k]);
    }
    if (!clip_line(ca, cb)) return;
    LineEnds<float> e;
    for (int k = 0; k < 4; ++k) {
        e.p0[k] = ca.p[k], e.p1[k] = cb.p[k];
        e.rgba0[k] = ca.rgba[k], e.rgba1[k] = cb.rgba[k];
    }
    e.width = line.width;
    LineQuad<float> q;
    widen(s, e, m.coverage, q);
    emit(m, e, q);
}

#if defined(__SSE__)
// lane_count lines side by side. Those that reach outside the view volume
// take the one-line path, which clips them, in their place in the order.
void add_line_lanes(WideLineMesh& m, const LineSpace& s, const WideLine* lines) {
    LineEnds<Lanes> e;
    Lanes a[3], b[3];
    for (int i = 0; i < lane_count; ++i) {
        const WideLine& l = lines[i];
        for (int k = 0; k < 3; ++k) a[k][i] = l.a[k], b[k][i] = l.b[k];
        for (int k = 0; k < 4; ++k) e.rgba0[k][i] = l.rgba_a[k], e.rgba1[k][i] = l.rgba_b[k];
        e.width[i] = l.width;
    }
    for (int r = 0; r < 4; ++r) {
        const float* mv = s.mvp;
        e.p0[r] = mv[r] * a[0] + mv[4 + r] * a[1] + mv[8 + r] * a[2] + mv[12 + r];
        e.p1[r] = mv[r] * b[0] + mv[4 + r] * b[1] + mv[8 + r] * b[2] + mv[12 + r];
    }
    for (int k = 0; k < 4; ++k) {
        e.rgba0[k] = unit_clamp(e.rgba0[k]);
        e.rgba1[k] = unit_clamp(e.rgba1[k]);
    }
    // Inside the view volume at both ends: clipping would leave it as it is.
    const Lanes zero = splat<Lanes>(0.0f);
    LaneMask outside = {};
    for (int axis = 0; axis < 3; ++axis)
        for (float side : {1.0f, -1.0f}) {
            outside |= e.p0[3] + side * e.p0[axis] < zero;
            outside |= e.p1[3] + side * e.p1[axis] < zero;
        }
    LineQuad<Lanes> q;
    const bool coverage = m.coverage;
    widen(s, e, coverage, q);

    // Turned line by line: each vertex's x y z w and r g b a as one vector of
    // each line, stored whole. Only the corners without coverage.
    Lanes position[3][3][lane_count], colour[3][lane_count];
    const Lanes* row_rgba[3] = {e.rgba0, q.mid_rgba, e.rgba1};
    for (int r = 0; r < 3; ++r) {
        if (r == 1 && !coverage) continue;
        transpose(row_rgba[r][0], row_rgba[r][1], row_rgba[r][2], row_rgba[r][3], colour[r]);
        for (int k = 0; k < 3; ++k)
            if (k != 1 || coverage) transpose(q.x[r][k], q.y[r][k], q.z[r], q.w[r], position[r][k]);
    }
    auto put = [](VertexSlots& at, const Lanes& p, const Lanes& c) {
        std::memcpy(at.position, &p, sizeof p);
        std::memcpy(at.colour, &c, sizeof c);
        at.position += 4;
        at.colour += 4;
    };
    for (int i = 0; i < lane_count; ++i) {
        if (outside[i]) {
            add_one_line(m, s, lines[i]);
            continue;
        }
        m.lines++;
        if (!coverage) {
            VertexSlots at = grow(m, 4);
            put(at, position[0][0][i], colour[0][i]);
            put(at, position[0][2][i], colour[0][i]);
            put(at, position[2][2][i], colour[2][i]);
            put(at, position[2][0][i], colour[2][i]);
            continue;
        }
        const float row_t[3] = {0.25f, q.t_mid[i], 0.25f};
        const float column_s[3] = {0.25f, q.s_mid[i], 0.25f};
        VertexSlots at = grow(m, 9);
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k) {
                put(at, position[r][k][i], colour[r][i]);
                *at.texcoord++ = column_s[k];
                *at.texcoord++ = row_t[r];
            }
    }
}
#endif

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
    WideLine line;
    for (int k = 0; k < 3; ++k) line.a[k] = a[k], line.b[k] = b[k];
    line.width = width;
    for (int k = 0; k < 4; ++k) line.rgba_a[k] = rgba_a[k], line.rgba_b[k] = rgba_b[k];
    add_one_line(m, s, line);
}

void add_wide_lines(WideLineMesh& m, const LineSpace& s, const WideLine* lines, size_t count) {
    size_t done = 0;
#if defined(__SSE__)
    for (; done + lane_count <= count; done += lane_count) add_line_lanes(m, s, lines + done);
#endif
    for (; done < count; ++done) add_one_line(m, s, lines[done]);
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
