// physics_oracle.h: a plain, slow re-statement of the sheet dynamics, kept
// on its own index-based storage as the reference that step_sheet and
// place_roots must match bit for bit.
#pragma once

#include <vector>

#include "physics/cloth.h"

struct OracleSpring {
    int a, b;  // row-major particle indices
    float stiffness, damping, rest_length;
};

struct OracleSheet {
    int rows = 0, columns = 0, percent = 0;
    std::vector<Particle> particles;  // row-major
    std::vector<Particle> rest;
    std::vector<OracleSpring> springs;
    Vec3 offset;
    float spin = 0, tilt = 0;
};

OracleSheet oracle_copy(const ClothSheet& sheet);
// Copies the inputs other parts of the show write (anchors, pins) into the oracle.
void oracle_take_inputs(OracleSheet& o, const ClothSheet& sheet);
void oracle_step(OracleSheet& o, float dt);
void oracle_place_roots(OracleSheet& o);
// How often the oracle took the rarer branches (for coverage checks).
struct OracleHits {
    long hard_core = 0, core_push = 0, stretched = 0, pinned_stretch = 0;
};
extern OracleHits oracle_hits;

// Index of the first particle whose fields differ in any bit, or -1.
int oracle_first_difference(const OracleSheet& o, const ClothSheet& sheet);
