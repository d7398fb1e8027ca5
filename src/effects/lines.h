// lines.h: the sheet connection lines of the lattice scenes: the bridge of
// bows from every third strand of one sheet to the same strand of the other,
// and the straight links from three strands of a sheet toward the last 40
// cloud points.
//
// Both grow over time in steps of one hundredth of the path, one segment per
// step, and take their brightness either from a random flicker (one value of
// the shared generator per segment) or from a pulse travelling along the
// lines, chosen by shade_switch. The segment sequences are generators, apart
// from GL, so tests can walk them. Depends on physics/cloth.h,
// physics/cloud.h, core/random.h, core/demo_state.h, core/clock.h.
#pragma once

#include <cmath>
#include <vector>

#include "core/random.h"
#include "physics/cloth.h"

struct LinePoint {
    float x, y, z;
};

// One line, drawn from `from` to `to` with its own width and colour.
struct LineSegment {
    LinePoint from, to;
    float width;
    float red, green, blue, alpha;
};

// The cloud points the links reach for: 960 to 999.
constexpr int first_linked_cloud_point = 960;
constexpr int linked_cloud_point_end = 1000;

// The reference particle of a strand, second-to-last row, as floats.
inline LinePoint strand_reference_point(const ClothSheet& s, int strand) {
    const Vec3& p =
        s.particles[static_cast<size_t>(s.rows - 2) * static_cast<size_t>(s.columns) + strand].position;
    return {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
}

// Share of each bow drawn at `time`: grows from 0 at 1100 to 1 at 1195 and
// stays 1; negative before.
inline float bridge_growth(float time) {
    float growth = (time - 1100.0f) / 95.0f;
    return growth > 1.0f ? 1.0f : growth;
}

// Share of each link drawn at `time`: from 0 at 1270, unbounded.
inline float cloud_link_growth(float time) { return (time - 1270.0f) / 165.0f; }

// The random flicker: 0.9 to 1.0 from the next shared random value.
inline float flicker_brightness() { return static_cast<float>(random_next() * 0.1 / 32767.0 + 0.9); }

// Where along the lines the pulse stands at `time`, 0 to 1, for a pulse
// passing `rate` times per unit of time.
inline float pulse_phase(float time, float rate) {
    float g = time * rate;
    return g - std::floor(g);
}

// (1 - u)^(4u) at the bow's step `step`, where u has grown to `u`: the same
// 101 values for every bow of every frame, worked out once (a pow for each of
// 33,734 segments cost more than drawing them).
inline double bow_sag(int step, float u) {
    constexpr int steps = 128;
    static const std::vector<double> table = [] {
        std::vector<double> t(steps);
        float v = 0.0f;
        for (int k = 0; k < steps; ++k, v = v + 0.01f) {
            const double dv = v;
            t[static_cast<size_t>(k)] = std::pow(1.0 - dv, 4.0 * dv);
        }
        return t;
    }();
    if (step < steps) return table[static_cast<size_t>(step)];
    const double du = u;
    return std::pow(1.0 - du, 4.0 * du);
}

// The segments of one bow from p toward q. The path sags toward the origin
// ((1 - u)^(4u) of p plus u of q); every step starts a segment, the first
// one of zero length, and stepping stops once u reaches `growth`. u is a
// float sum of 0.01s, which falls just short of 1 after 100 steps, so a
// complete bow takes 101 steps.
template <class Emit>
void for_each_bridge_bow_segment(LinePoint p, LinePoint q, float growth, float time, int shade, Emit&& emit) {
    if (!(growth > 0.0f)) return;
    float phase = pulse_phase(time, 0.07f);
    LinePoint s = p;
    float u = 0.0f;
    int step = 0;
    do {
        LinePoint previous = s;
        double du = u;
        double w = bow_sag(step++, u);
        LinePoint n{static_cast<float>(q.x * du + p.x * w), static_cast<float>(q.y * du + p.y * w),
                    static_cast<float>(q.z * du + p.z * w)};
        float c, width;
        if (shade == 1) {
            double d = static_cast<double>(u) - phase;
            double e = std::exp(-500.0 * d * d);
            c = static_cast<float>(2.0 * e + 0.9);
            width = 2.0f * c;
        } else {
            c = flicker_brightness();
            width = 2.0f;
        }
        emit(LineSegment{n, previous, width, c, c, c, c});
        u = u + 0.01f;
        s = n;
    } while (u < growth);
}

// Every segment of the bridge from sheet a to sheet b at `time`, strand by
// strand (0, 3, 6, ...). `strand_start(i)` is called before each strand, drawn
// or not.
template <class StrandStart, class Emit>
void for_each_sheet_bridge_segment(const ClothSheet& a, const ClothSheet& b, float time, int shade,
                                   StrandStart&& strand_start, Emit&& emit) {
    // Sheets too small to have a reference row, or strands b lacks, draw
    // nothing rather than read past the particles.
    if (a.rows < 2 || b.rows != a.rows) return;
    float growth = bridge_growth(time);
    for (int i = 0; i < a.columns && i < b.columns; i += 3) {
        strand_start(i);
        for_each_bridge_bow_segment(strand_reference_point(a, i), strand_reference_point(b, i), growth, time,
                                    shade, emit);
    }
}

template <class Emit>
void for_each_sheet_bridge_segment(const ClothSheet& a, const ClothSheet& b, float time, int shade,
                                   Emit&& emit) {
    for_each_sheet_bridge_segment(
        a, b, time, shade, [](int) {}, emit);
}

// The segments of one straight link from p toward c.
template <class Emit>
void for_each_cloud_link_segment(LinePoint p, LinePoint c, float growth, float time, int shade, Emit&& emit) {
    if (!(growth > 0.0f)) return;
    float phase = pulse_phase(time, 0.04f);
    LinePoint s = p;
    float u = 0.0f;
    do {
        LinePoint previous = s;
        float r = 1.0f - u;
        LinePoint n{p.x * r + c.x * u, p.y * r + c.y * u, p.z * r + c.z * u};
        float v, width;
        if (shade == 1) {
            double d = static_cast<double>(u) - phase;
            double e = std::exp(-1000.0 * d * d);
            v = static_cast<float>(2.0 * e + 0.6);
            width = 2.0f * v;
        } else {
            v = flicker_brightness();
            width = 2.0f;
        }
        emit(LineSegment{n, previous, width, v, v, v, 0.5f});
        u = u + 0.01f;
        s = n;
    } while (u < growth);
}

// Every segment of the links from sheet s to cloud points 960 to 999 of
// `cloud` (an array of 1000), cloud point by cloud point, strands 0, then
// every columns / 3.
template <class Emit>
void for_each_cloud_link(const ClothSheet& s, const Vec3* cloud, float time, int shade, Emit&& emit) {
    if (s.rows < 2) return;
    float growth = cloud_link_growth(time);
    // At least 1, so that tiny sheets still end the loop.
    int step = s.columns / 3 > 0 ? s.columns / 3 : 1;
    for (int k = first_linked_cloud_point; k < linked_cloud_point_end; ++k) {
        LinePoint c{static_cast<float>(cloud[k].x), static_cast<float>(cloud[k].y),
                    static_cast<float>(cloud[k].z)};
        for (int i = 0; i < s.columns; i += step)
            for_each_cloud_link_segment(strand_reference_point(s, i), c, growth, time, shade, emit);
    }
}

// The lines of one frame as the advance decided them: the flicker has drawn
// its values from the shared generator, so drawing them again draws the same.
struct LineBatch {
    std::vector<LineSegment> segments;
    int strands = 0;  // bridge strands started (drawn or not)
};

// The bridge from a to b at demo_time, and the links from s to the cloud.
void collect_sheet_bridge(const ClothSheet& a, const ClothSheet& b, LineBatch& out);
void collect_cloud_links(const ClothSheet& s, LineBatch& out);

// Takes the memory the grown bridge's quads need, at start-up, so that no
// frame of the show pays for it.
void prepare_line_drawing();

// Draws a bridge batch. Leaves depth test and blending on, culling, lighting
// and texturing off, and the last width and colour.
void draw_sheet_bridge(const LineBatch& bridge);

// Draws a links batch; leaves the same state as the bridge, texturing untouched.
void draw_cloud_links(const LineBatch& links);
