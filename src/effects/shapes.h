// shapes.h: the outline shapes of the flashes and the hidden part: a rippled
// ellipse, a star-shaped dot, a spike and a filled rectangle.
//
// Each draws one primitive in the current model-view matrix with the current
// colour and state, and changes nothing else (rect saves and restores the
// matrix around its translation). The vertex sequences are generators that
// hand every vertex, in drawing order, to a callback, so they can be checked
// without a GL context. Angles use pi as 3.1415, as the show always has.
// Depends on core/clock.h (demo_time), core/draw_stats.h, GLUT.
#pragma once

#include <cmath>

// Float fields: every coordinate is rounded to float before it is sent. Keeping the rounding in the type also
// keeps GCC 12 from folding a float cast of a product with cos() back into double precision.
struct ShapeVertex {
    float x, y;
};

// Rippled ellipse of radius x: 721 vertices over two full turns; the radius
// carries a sawtooth of depth 0.01 with 18 teeth per turn that moves with
// `time`. The ellipse is 1.2 times taller than wide.
inline ShapeVertex ripple_ellipse_vertex(float a, float x, float time) {
    float theta = static_cast<float>((a + a) * 3.1415 / 180.0);
    float d = a * 36.0f / 360.0f + time;
    float f = d - std::floor(d);
    float rho = static_cast<float>(f * 0.01 + x);
    float vx = static_cast<float>(rho * std::cos(static_cast<double>(theta)));
    float vy = static_cast<float>(rho * 1.2 * std::sin(static_cast<double>(theta)));
    return {vx, vy};
}

template <class Emit>
void for_each_ripple_ellipse_vertex(float x, float time, Emit&& emit) {
    // A float counter in half-degree steps; 0.5 steps are exact, so the last
    // vertex lands on 360 itself.
    for (float a = 0.0f; a <= 360.0f; a += 0.5f) emit(ripple_ellipse_vertex(a, x, time));
}

// Fifteen-pointed star polygon of radius x (height 1.2 x): 16 vertices, 48
// degrees apart, the last repeating the first. Sent unsplit; GL fills it as
// its polygon rule does.
template <class Emit>
void for_each_star_dot_vertex(float x, Emit&& emit) {
    for (int k = 0; k <= 720; k += 48) {
        float theta = static_cast<float>(k * 3.1415 / 180.0);
        float vx = static_cast<float>(x * std::cos(static_cast<double>(theta)));
        float vy = static_cast<float>(std::sin(static_cast<double>(theta)) * (x * 1.2));
        emit(ShapeVertex{vx, vy});
    }
}

// Narrow triangle with its tip along +x: 0.5 x long, 3.9 x high, in double
// precision throughout.
struct SpikeVertex {
    double x, y;
};
template <class Emit>
void for_each_spike_vertex(float x, Emit&& emit) {
    double d = x;
    emit(SpikeVertex{d, 1.95 * d});
    emit(SpikeVertex{1.5 * d, 0.0});
    emit(SpikeVertex{d, -1.95 * d});
}

// The rectangle's corners relative to its translated origin, in drawing order.
struct RectCorner {
    float x, y;
};
template <class Emit>
void for_each_rect_corner(float w, float h, Emit&& emit) {
    emit(RectCorner{0.0f, h});
    emit(RectCorner{w, h});
    emit(RectCorner{w, 0.0f});
    emit(RectCorner{0.0f, 0.0f});
}

// Line loop; reads demo_time.
void draw_ripple_ellipse(float x);
// Filled polygon.
void draw_star_dot(float x);
// Filled triangle.
void draw_spike(float x);
// Filled quad spanning x to x + w and y to y + h (either side for negative sizes).
void rect(float x, float y, float w, float h);

// glutSolidSphere(radius, n, n), glutWireTorus(radius, radius, sides, 16) and
// glutSolidCube(size) with the current colour and state, each compiled into
// a display list the first time a size is drawn (a current context is needed
// from then on). The current colour, normal and texture coordinates are left
// as they were, as GLUT's own vertex arrays leave them.
// Compiles the solids the show draws into their display lists at start-up,
// so that no frame pays for a 256 x 256 sphere's compilation.
void prepare_shapes();

void draw_solid_sphere(double radius, int n);
void draw_torus_wires(double radius, int sides);
void draw_solid_cube(double size);
