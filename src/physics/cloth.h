// cloth.h: vectors, particles and the two hair-ball sheets, and their dynamics.
//
// A sheet is 1002 strands of 10 particles pointing away from the origin, roots
// pinned at radius 0.2, joined along each strand by springs to the next and the
// next-but-one particle. Simulation state is double precision. The layout of
// `particles` is row-major: entry [i][j] (row i of strand j) is at
// i * columns + j; springs point into it, so it never reallocates after
// construction (copy a sheet with copy_sheet, which re-aims the springs).
// Depends on core/random.h.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

struct Vec3 {
    double x = 0, y = 0, z = 0;
    bool operator==(const Vec3&) const = default;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double vec_dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline double vec_length(Vec3 a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }
// a * (1 / |a|); the zero vector stays zero.
inline Vec3 vec_normalized(Vec3 a) {
    double len = vec_length(a);
    if (len == 0) return a;
    return a * (1.0 / len);
}

constexpr int32_t particle_pin_bit = 2;

struct Particle {
    int32_t flags = 1;
    float mass = 0;
    Vec3 position, velocity, force, normal, saved_position, saved_velocity;
    bool operator==(const Particle&) const = default;
};

inline bool particle_pinned(const Particle& p) { return (p.flags & particle_pin_bit) != 0; }

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

constexpr int sheet_rows = 10;
constexpr int sheet_columns = 1002;

extern ClothSheet cloth_a, cloth_b;
// Both sheets as the program starts with them (reseeds the generator with 1,
// its state before anything drew from it). Moving a built sheet in keeps its
// springs aimed at its own particles.
void rebuild_sheets();

// What a frame changes in a sheet, as a value: each particle's motion, normal
// and pins, the pins of the tips in the rest state ("z" and "x" set and clear
// them), and the anchor. The rest of a sheet is fixed once built (its shape,
// springs, masses) or worked out afresh in every step before it is read (the
// forces, and the saved position and velocity of the integrator's half step;
// a pinned particle's force is never read, and the roots are put back from
// the rest state every frame). Putting it back writes into the sheet's own
// particles, so its springs stay aimed at them.
struct ParticleState {
    Vec3 position, velocity, normal;
    int32_t flags = 1;
    bool operator==(const ParticleState&) const = default;
};
struct SheetState {
    std::vector<ParticleState> particles;
    std::vector<int32_t> tip_rest_flags;
    Vec3 anchor_offset;
    float anchor_spin = 0;
    float anchor_tilt = 0;
    bool operator==(const SheetState&) const = default;
};
SheetState save_sheet(const ClothSheet& sheet);
// `state` must come from a sheet of the same shape.
void restore_sheet(ClothSheet& sheet, const SheetState& state);

inline Particle& sheet_particle(ClothSheet& s, int row, int column) {
    return s.particles[static_cast<size_t>(row) * s.columns + column];
}
inline const Particle& sheet_particle(const ClothSheet& s, int row, int column) {
    return s.particles[static_cast<size_t>(row) * s.columns + column];
}

// Builds a 10 x 1002 sheet, drawing 33 values per strand from random_next().
ClothSheet build_sheet(float stiffness, float damping, float particle_mass);
// A deep copy whose springs join the copy's own particles.
ClothSheet copy_sheet(const ClothSheet& sheet);
// Copies every particle into rest_state.
void save_rest_state(ClothSheet& sheet);

// Sets ("z" command) or clears ("x") the pin bit of the tips of every strand,
// in both the live particles and the rest state.
void pin_last_row(ClothSheet& sheet, bool pinned);

// Gravity, (0, 0, 0) for the whole run.
extern Vec3 gravity;

// Dynamics (dynamics.cpp). step_sheet runs one whole two-stage step; the
// single stages are exposed for the sheet drawing and for tests.
void compute_forces(ClothSheet& sheet);
void compute_normals(ClothSheet& sheet);
void push_from_core(ClothSheet& sheet);
void half_step(ClothSheet& sheet, float dt);
void full_step(ClothSheet& sheet, float dt);
void apply_spring(Spring& spring);
void limit_stretch(Spring& spring, int percent);
void step_sheet(ClothSheet& sheet, float dt);
// step_sheet runs on the widest vectors the processor has (AVX-512, AVX2 or
// SSE2: 8, 4 or 2 doubles) up to `doubles` (8 unless this lowers it); the
// results are the same bits, which tests and benchmarks compare. Returns the
// width now in use.
int limit_vector_width(int doubles);
void place_roots(ClothSheet& sheet);
// The per-frame step length: frame_step x 0.1, in single precision.
float sheet_step_length(float frame_step);

// A frame's sheet motion as equal steps the integrator survives: steps of a
// frame_step above sheet_step_bound blow the sheets apart (at 5 and more they
// do), so a longer frame is split into the fewest equal parts each within the
// bound, at most sheet_max_substeps (beyond that the sheets drop the time
// over). A frame_step within the bound, or negative, is one step as given.
constexpr float sheet_step_bound = 2.0f;
constexpr int sheet_max_substeps = 16;
struct SheetSubsteps {
    int count;
    float dt;  // the step length of each
};
SheetSubsteps split_sheet_step(float frame_step);
// One frame of a sheet: split_sheet_step's steps, each a whole step_sheet.
void step_sheet_for_frame(ClothSheet& sheet, float frame_step);
