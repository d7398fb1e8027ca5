// cloud.cpp: the cloud's positions, their drift, and the trail's rules.
// Depends on core/random.h and core/demo_state.h.
#include "physics/cloud.h"

#include <cmath>

#include "core/demo_state.h"
#include "core/random.h"

CloudState cloud_state;

namespace {

int& trail_counter = cloud_state.trail_counter;

double wrap(double c) {
    // A non-finite value would never leave the loops below.
    if (!std::isfinite(c)) return c;
    while (c < -cloud_half_edge) c = c + 36;
    while (c > cloud_half_edge) c = c - 36;
    return c;
}

}  // namespace

void init_cloud() {
    for (Vec3& p : cloud_positions) {
        p.x = (random_unit() - 0.5) * 36;
        p.y = (random_unit() - 0.5) * 36;
        p.z = (random_unit() - 0.5) * 36;
        for (int k = 0; k < 3; k++) random_next();
    }
}

void update_cloud(double f) {
    double dx = f * -0.06;
    double dy = f * -0.16;
    for (int k = 0; k < cloud_size; k++) {
        Vec3& p = cloud_positions[k];
        double vz = k < cloud_size / 2 ? 0.05 : 0.025;
        p.x = wrap(p.x + dx);
        p.y = wrap(p.y + dy);
        p.z = wrap(p.z + vz * f);
    }
}

CloudLayers cloud_layers(float time) {
    bool late = time > 850 && time < 1050;
    return {late, late, time > 40 && time < 1050};
}

int next_trail_index(int index) {
    index += 100;
    return index > 900 ? 0 : index;
}

void reset_trail_counter() { trail_counter = 0; }

bool advance_trail(float time) {
    trail_counter++;
    if (trail_counter % 27 != 0) return false;
    trail_counter = 0;
    demo.trail_index = next_trail_index(demo.trail_index);
    demo.trail_time = time;
    return true;
}

float trail_fade(float time, float jumped_at) {
    float since = (time - jumped_at) / 10.0f;
    float k = 1.0f - since;
    if (k < 0) k = 0;
    if (k > 1) k = 1;
    return k * k;
}

void trail_colour(float e, float rgba[4]) {
    const double fresh = 0.8f;
    const double faded[4] = {0.55f, 0.53f, 0.51f, 0.125f};
    for (int c = 0; c < 4; c++) rgba[c] = static_cast<float>(fresh * e + faded[c] * (1.0 - e));
}

float trail_width(float e) { return static_cast<float>(3.0 * e + (1.0 - e)); }
