// cloth.cpp: building the two hair-ball sheets.
//
// Both sheets are built during static initialisation, cloth_a first, from the
// shared generator before anything seeds it, so every run gets the same
// layout. Depends on core/random.h.
#include "physics/cloth.h"

#include <algorithm>

#include "core/random.h"

namespace {

Vec3 draw_velocity() {
    double x = (random_unit() - 0.5) * 0.05;
    double y = (random_unit() - 0.5) * 0.05;
    double z = (random_unit() - 0.5) * 0.05;
    return {x, y, z};
}

void add_spring(ClothSheet& s, Particle* a, Particle* b) {
    Spring sp;
    sp.a = a;
    sp.b = b;
    sp.stiffness = s.stiffness;
    sp.damping = s.damping;
    sp.rest_length = static_cast<float>(vec_length(a->position - b->position));
    s.springs.push_back(sp);
}

}  // namespace

// Defined here, in this order, so cloth_a takes the generator's first draws.
ClothSheet cloth_a = build_sheet(120.0f, 3.1f, 9.3f);
ClothSheet cloth_b = build_sheet(120.0f, 3.1f, 9.3f);

void rebuild_sheets() {
    // As static initialisation builds them: from the generator's first state.
    random_seed(1);
    cloth_a = build_sheet(120.0f, 3.1f, 9.3f);
    cloth_b = build_sheet(120.0f, 3.1f, 9.3f);
}

ClothSheet build_sheet(float stiffness, float damping, float particle_mass) {
    ClothSheet s;
    s.rows = sheet_rows;
    s.columns = sheet_columns;
    s.stiffness = stiffness;
    s.damping = damping;
    s.stretch_percent = 1;
    s.anchor_offset = {};
    size_t count = static_cast<size_t>(s.rows) * s.columns;
    s.particles.resize(count);
    s.rest_state.resize(count);

    for (int j = 0; j < s.columns; j++) {
        double rx = random_unit() - 0.5;
        double ry = random_unit() - 0.5;
        double rz = random_unit() - 0.5;
        Vec3 n = vec_normalized({rx, ry, rz});
        Vec3 p = n * static_cast<double>(0.2f);
        Vec3 step = n * static_cast<double>(0.027f);
        for (int i = 0; i < s.rows; i++) {
            Particle& q = sheet_particle(s, i, j);
            q = Particle{};
            q.flags = 1;
            q.mass = particle_mass;
            q.position = p;
            q.velocity = draw_velocity();
            p = p + step;
        }
    }
    save_rest_state(s);
    for (int j = 0; j < s.columns; j++) sheet_particle(s, 0, j).flags |= particle_pin_bit;
    save_rest_state(s);

    s.springs.reserve(static_cast<size_t>(s.rows - 1 + s.rows - 2) * s.columns);
    for (int i = 0; i + 1 < s.rows; i++)
        for (int j = 0; j < s.columns; j++)
            add_spring(s, &sheet_particle(s, i, j), &sheet_particle(s, i + 1, j));
    for (int i = 0; i + 2 < s.rows; i++)
        for (int j = 0; j < s.columns; j++)
            add_spring(s, &sheet_particle(s, i, j), &sheet_particle(s, i + 2, j));

    s.anchor_offset = {};
    s.anchor_spin = 0;
    return s;
}

ClothSheet copy_sheet(const ClothSheet& sheet) {
    ClothSheet c = sheet;
    const Particle* from = sheet.particles.data();
    Particle* to = c.particles.data();
    for (Spring& sp : c.springs) {
        sp.a = to + (sp.a - from);
        sp.b = to + (sp.b - from);
    }
    return c;
}

void save_rest_state(ClothSheet& sheet) {
    for (int i = 0; i < sheet.rows; i++)
        for (int j = 0; j < sheet.columns; j++)
            sheet.rest_state[static_cast<size_t>(i) * sheet.columns + j] = sheet_particle(sheet, i, j);
}

void pin_last_row(ClothSheet& sheet, bool pinned) {
    int last = sheet.rows - 1;
    for (int j = 0; j < sheet.columns; j++) {
        Particle& p = sheet_particle(sheet, last, j);
        Particle& r = sheet.rest_state[static_cast<size_t>(last) * sheet.columns + j];
        if (pinned) {
            p.flags |= particle_pin_bit;
            r.flags |= particle_pin_bit;
        } else {
            p.flags &= ~particle_pin_bit;
            r.flags &= ~particle_pin_bit;
        }
    }
}

SheetState save_sheet(const ClothSheet& sheet) {
    SheetState s;
    s.particles.reserve(sheet.particles.size());
    for (const Particle& p : sheet.particles)
        s.particles.push_back({p.position, p.velocity, p.normal, p.flags});
    const size_t tips = static_cast<size_t>(sheet.rows - 1) * sheet.columns;
    for (size_t k = tips; k < sheet.rest_state.size(); k++)
        s.tip_rest_flags.push_back(sheet.rest_state[k].flags);
    s.anchor_offset = sheet.anchor_offset;
    s.anchor_spin = sheet.anchor_spin;
    s.anchor_tilt = sheet.anchor_tilt;
    return s;
}

void restore_sheet(ClothSheet& sheet, const SheetState& state) {
    // Into the particles the springs point at.
    for (size_t k = 0; k < state.particles.size() && k < sheet.particles.size(); k++) {
        Particle& p = sheet.particles[k];
        const ParticleState& from = state.particles[k];
        p.position = from.position, p.velocity = from.velocity, p.normal = from.normal, p.flags = from.flags;
    }
    const size_t tips = static_cast<size_t>(sheet.rows - 1) * sheet.columns;
    for (size_t k = 0; k < state.tip_rest_flags.size(); k++)
        sheet.rest_state[tips + k].flags = state.tip_rest_flags[k];
    sheet.anchor_offset = state.anchor_offset;
    sheet.anchor_spin = state.anchor_spin;
    sheet.anchor_tilt = state.anchor_tilt;
}
