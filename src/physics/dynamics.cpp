// dynamics.cpp: moving the sheets.
//
// Each frame a free particle takes one two-stage (midpoint-style) step (a few
// equal ones when the frame is too long for one to stay stable) driven
// by damped springs, a radial wind acting through the particle normals and a
// soft and a hard core around the origin; after each stage over-long springs
// are pulled back. place_roots re-places the pinned roots at the anchors.
// The single stages below are the plain definitions; step_sheet runs the same
// arithmetic strand by strand (sheet_step.cpp), which gives identical results
// because nothing couples two strands but the edge normals.
// Depends on physics/cloth.h.
#include <algorithm>
#include <cmath>

#include "physics/cloth.h"

Vec3 gravity;

namespace {

constexpr double wind_speed = 0.04;
constexpr double hard_core_radius = static_cast<double>(0.1f);
constexpr double core_radius = static_cast<double>(0.2f);
constexpr double push_factor = static_cast<double>(0.2f);

Vec3& normal_at(ClothSheet& s, int i, int j) { return sheet_particle(s, i, j).normal; }

}  // namespace

void apply_spring(Spring& spring) {
    Particle& a = *spring.a;
    Particle& b = *spring.b;
    Vec3 d = a.position - b.position;
    Vec3 dv = a.velocity - b.velocity;
    double len = vec_length(d);
    if (len == 0) return;
    float f = static_cast<float>((vec_dot(dv, d) * spring.damping) / len +
                                 (len - spring.rest_length) * spring.stiffness);
    Vec3 force = (d * (1.0 / len)) * f;
    b.force = b.force + force;
    a.force = a.force + force * -1.0;
}

void compute_normals(ClothSheet& s) {
    const int R = s.rows, S = s.columns;
    for (int i = 1; i < R; i++)
        for (int j = 0; j < S; j++) {
            Vec3 d = sheet_particle(s, i - 1, j).position - sheet_particle(s, i, j).position;
            Vec3 n{-d.y, d.z, static_cast<double>(static_cast<float>(d.x))};
            normal_at(s, i, j) = vec_normalized(n);
        }
    for (int i = 1; i < R - 1; i++) normal_at(s, i, 0) = normal_at(s, i, 1);
    for (int i = 1; i < R - 1; i++) normal_at(s, i, S - 1) = normal_at(s, i, S - 2);
    for (int j = 1; j < S - 1; j++) normal_at(s, 0, j) = normal_at(s, 1, j);
    for (int j = 1; j < S - 1; j++) normal_at(s, R - 1, j) = normal_at(s, R - 2, j);
    normal_at(s, 0, 0) = vec_normalized(normal_at(s, 0, 1) + normal_at(s, 1, 0));
    normal_at(s, 0, S - 1) = vec_normalized(normal_at(s, 1, S - 1) + normal_at(s, 0, S - 2));
    normal_at(s, R - 1, S - 1) = vec_normalized(normal_at(s, R - 2, S - 1) + normal_at(s, R - 1, S - 2));
    normal_at(s, R - 1, 0) = vec_normalized(normal_at(s, R - 2, 0) + normal_at(s, R - 1, 1));
}

void compute_forces(ClothSheet& s) {
    for (Particle& p : s.particles)
        if (!particle_pinned(p)) p.force = gravity * p.mass;
    for (Spring& sp : s.springs) apply_spring(sp);
    compute_normals(s);
    for (int j = 0; j < s.columns; j++)
        for (int i = 0; i < s.rows; i++) {
            Particle& p = sheet_particle(s, i, j);
            if (particle_pinned(p)) continue;
            Vec3 w = vec_normalized(p.position) * wind_speed;
            p.force = p.force + p.normal * vec_dot(p.normal, w - p.velocity);
        }
    for (int j = 0; j < s.columns; j++)
        for (int i = 0; i < s.rows; i++) {
            Particle& p = sheet_particle(s, i, j);
            if (particle_pinned(p)) continue;
            if (vec_length(p.position) < hard_core_radius) {
                p.position = vec_normalized(p.position) * core_radius;
                p.velocity = p.velocity * -1.0;
            }
        }
}

void push_from_core(ClothSheet& s) {
    for (int i = 0; i < s.rows; i++)
        for (int j = 0; j < s.columns; j++) {
            Particle& p = sheet_particle(s, i, j);
            if (particle_pinned(p) || !(vec_length(p.position) < core_radius)) continue;
            p.force = p.force + ((vec_normalized(p.position) * push_factor) * 1.02) * 1.2;
        }
}

void half_step(ClothSheet& s, float dt) {
    for (int j = 0; j < s.columns; j++)
        for (int i = 0; i < s.rows; i++) {
            Particle& p = sheet_particle(s, i, j);
            if (particle_pinned(p)) continue;
            Vec3 x = p.position, v = p.velocity;
            Vec3 acc = p.force * (1.0 / p.mass);
            p.saved_velocity = acc * dt;
            p.saved_position = (v + p.saved_velocity * 0.5) * dt;
            p.velocity = v + p.saved_velocity * 0.5;
            p.saved_velocity = v;
            p.position = x + p.saved_position * 0.5;
            p.saved_position = x;
        }
}

void full_step(ClothSheet& s, float dt) {
    for (int j = 0; j < s.columns; j++)
        for (int i = 0; i < s.rows; i++) {
            Particle& p = sheet_particle(s, i, j);
            if (particle_pinned(p)) continue;
            Vec3 acc = p.force * (1.0 / p.mass);
            p.velocity = p.saved_velocity + acc * dt;
            p.position = p.saved_position + p.velocity * dt;
        }
}

void limit_stretch(Spring& spring, int percent) {
    Particle& a = *spring.a;
    Particle& b = *spring.b;
    Vec3 d = b.position - a.position;
    double len = vec_length(d);
    double excess = len - spring.rest_length;
    float allowance = spring.rest_length * static_cast<float>(percent);
    double t = allowance / 100.0;
    if (!(excess > t)) return;
    double over = len - (t + spring.rest_length);
    Vec3 h = vec_normalized(d) * (over * 0.5);
    if (!particle_pinned(a)) a.position = a.position + h;
    if (!particle_pinned(b)) b.position = b.position - h;
}

void place_roots(ClothSheet& s) {
    float cs = static_cast<float>(std::cos(static_cast<double>(s.anchor_spin)));
    float ss = static_cast<float>(std::sin(static_cast<double>(s.anchor_spin)));
    float ct = static_cast<float>(std::cos(static_cast<double>(s.anchor_tilt)));
    float st = static_cast<float>(std::sin(static_cast<double>(s.anchor_tilt)));
    for (int i = 0; i < s.rows && i < 2; i++)
        for (int j = 0; j < s.columns; j++) {
            Particle& p = sheet_particle(s, i, j);
            if (!particle_pinned(p)) continue;
            p = s.rest_state[static_cast<size_t>(i) * s.columns + j];
            float x = static_cast<float>(p.position.x);
            float y = static_cast<float>(p.position.y);
            float z = static_cast<float>(p.position.z);
            float x1 = cs * x - ss * y;
            float y1 = ss * x + cs * y;
            float z2 = ct * z - st * x1;
            float x2 = ct * x1 + st * z;
            float y3 = ct * y1 - st * z2;
            float z3 = st * y1 + ct * z2;
            p.position.x = static_cast<float>(x2 + s.anchor_offset.x);
            p.position.y = static_cast<float>(y3 + s.anchor_offset.y);
            p.position.z = static_cast<float>(z3 + s.anchor_offset.z);
        }
}

float sheet_step_length(float frame_step) { return frame_step * 0.1f; }

SheetSubsteps split_sheet_step(float frame_step) {
    // Also a NaN step stays one step, as it always was.
    if (!(frame_step > sheet_step_bound)) return {1, sheet_step_length(frame_step)};
    double parts = std::ceil(static_cast<double>(frame_step) / static_cast<double>(sheet_step_bound));
    if (parts > sheet_max_substeps) return {sheet_max_substeps, sheet_step_length(sheet_step_bound)};
    int count = static_cast<int>(parts);
    // The quotient rounded to float may land a hair above the bound.
    float part = std::min(static_cast<float>(static_cast<double>(frame_step) / count), sheet_step_bound);
    return {count, sheet_step_length(part)};
}
