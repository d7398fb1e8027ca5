// cloth.h: vectors, particles and the two hair-ball sheets.
//
// A sheet is 1002 strands of 10 particles pointing away from the origin, roots
// pinned at radius 0.2, joined along each strand by springs to the next and the
// next-but-one particle. Simulation state is double precision. The layout of
// `particles` is row-major: entry [i][j] (row i of strand j) is at
// i * columns + j; springs point into it, so it never reallocates after
// construction. Depends on app/random.h.
#pragma once

#include <cstdint>
#include <vector>

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double vec_length(Vec3 a);
Vec3 vec_normalized(Vec3 a);  // unchanged when the length is 0

constexpr int32_t particle_pin_bit = 2;

struct Particle {
    int32_t flags = 1;
    float mass = 0;
    Vec3 position, velocity, force, normal, saved_position, saved_velocity;
};

struct Spring {
    Particle* a = nullptr;
    Particle* b = nullptr;
    float stiffness = 0, damping = 0, rest_length = 0;
};

struct ClothSheet {
    int rows = 0, columns = 0;
    float stiffness = 0, damping = 0;
    int stretch_percent = 0;
    std::vector<Particle> particles;   // rows x columns, row-major
    std::vector<Particle> rest_state;  // same shape, values as built (roots pinned)
    std::vector<Spring> springs;
    Vec3 anchor_offset;
    float anchor_spin = 0;
    float anchor_tilt = 0;
};

extern ClothSheet cloth_a, cloth_b;

inline Particle& sheet_particle(ClothSheet& s, int row, int column) {
    return s.particles[static_cast<size_t>(row) * s.columns + column];
}

// Sets ("z" command) or clears ("x") the pin bit of the tips of every strand,
// in both the live particles and the rest state.
void pin_last_row(ClothSheet& sheet, bool pinned);
