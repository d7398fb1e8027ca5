// sheet_step.cpp: one whole step of a sheet.
#include "physics/cloth.h"

void step_sheet(ClothSheet& s, float dt) {
    compute_forces(s);
    push_from_core(s);
    half_step(s, dt);
    for (Spring& sp : s.springs) limit_stretch(sp, s.stretch_percent);
    compute_forces(s);
    push_from_core(s);
    full_step(s, dt);
    for (Spring& sp : s.springs) limit_stretch(sp, s.stretch_percent);
}
