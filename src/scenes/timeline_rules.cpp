// timeline_rules.cpp: the main show's windows, clocks and fades (no GL).
#include "scenes/timeline_rules.h"

#include <cmath>

#include "core/demo_state.h"
#include "core/random.h"
#include "scenes/timeline.h"

// The timeline's own state lives with its rules, so that they can be run
// without a GL context.
TimelineState timeline_state;

void reset_timeline() { timeline_state = TimelineState{}; }

bool finale_due(float time, int started) { return time > finale_time && started == 0; }

bool advance_finale(float time) {
    if (finale_started == 1) demo.unlock_flag_1 = 1;
    if (!finale_due(time, finale_started)) return false;
    finale_started = 1;
    return true;
}

double glow_sphere_radius(double time_d) {
    return time_d < 750.0 ? static_cast<double>(0.05f) : static_cast<double>(0.15f);
}

bool advance_flash_clock(float& clock, float time, float step, float window) {
    clock = clock + step;
    if (time - clock < window) return true;
    clock = 0.0f;
    return false;
}

float pulse_fade(double time_d, float clock, double divisor) {
    return static_cast<float>(1.0 - std::fabs(time_d - clock) / divisor);
}

float tunnel_fade(double time_d, float clock) { return static_cast<float>(std::fabs(time_d - clock) / 80.5); }

float flare_fade(double time_d, float clock) {
    return static_cast<float>(1.0 - std::fabs(time_d - clock) * 0.1 / 9.5);
}

float flare_angle(float value, float fade) {
    return static_cast<float>((value - 0.5) * fade * 60.0 + value * 180.0);
}

float flare_b_dim(float time, float clock) { return static_cast<float>(1.0 - (time - clock) / 9.5); }

RayEnd next_ray_end() {
    double r1 = random_unit();
    double r2 = random_unit();
    return {static_cast<float>((r2 - 0.5) * 4.0), static_cast<float>((r1 - 0.5) * 5.0)};
}

bool burst_window(float time) { return time <= 850.0f || (time >= 1050.0f && time <= 1100.0f); }

bool advance_burst(float& stamp, float time) {
    if (!(stamp < time)) return false;
    if (time - stamp < 12.5f) return true;
    stamp = 0.0f;
    return false;
}

float burst_alpha(float time, float stamp) { return 0.25f - std::fabs(time - stamp) / 12.5f; }

void compute_burst_dots(int seed, float alpha, int count, BurstDot dots[burst_dot_count]) {
    random_seed(static_cast<unsigned>(seed));
    for (int j = 0; j < burst_dot_count; ++j) {
        double rho = random_unit() * 7.5 - 0.2 * alpha;
        double theta = random_unit() * 6.28;
        double r = random_unit();
        dots[j].x = static_cast<float>(rho * std::cos(theta));
        dots[j].y = static_cast<float>(rho * std::sin(theta));
        dots[j].alpha = static_cast<float>(j) / 30.0f;
        dots[j].radius = static_cast<float>(0.015 - r * count * 0.005);
    }
}

float advance_glow(GlowState& glow, float time) {
    if (time > 840.0f && time < 880.0f) glow.counter += 1;
    if (glow.counter % 31 == 0) {
        glow.time = time;
        glow.counter = 0;
    }
    float k = 1.0f - (time - glow.time) / 5.0f;
    if (k < 0.0f) k = 0.0f;
    if (k > 1.0f) k = 1.0f;
    return k * k;
}

void glow_colour(float fade, float rgba[4]) {
    bool lit = fade > 0.0f && fade < 1.0f;
    rgba[0] = lit ? fade : 0.0f;
    rgba[1] = lit ? 0.7f * fade : 0.0f;
    rgba[2] = lit ? 0.81f * fade : 0.0f;
    rgba[3] = 1.0f;
}

float title_plate_growth(float time) {
    float d = (time - 60.0f) / 130.0f;
    return d * d;
}

const PlateWindow title_plates[title_plate_count] = {
    {60, 190, 39},  {70, 73, 49},   {80, 83, 49},   {86, 89, 49},
    {130, 131, 49}, {140, 142, 49}, {150, 153, 49}, {160, 190, 49},
};

int title_plates_at(float time, int slots[title_plate_count]) {
    int count = 0;
    for (const PlateWindow& plate : title_plates) {
        if (time > plate.from && time < plate.to) slots[count++] = plate.slot;
    }
    return count;
}

const NoiseCurve anchor_noise[6] = {
    {0, 1, 0.2f, 1.2f},   {22, 1, 0.3f, 1.4f},   {62, 1, 0.4f, 1.6f},
    {12, 1, 0.25f, 1.3f}, {32, 1, 0.35f, 1.45f}, {42, 1, 0.45f, 1.1f},
};

float anchor_noise_argument(float time) { return time / 20.0f; }

void auto_anchor_a(const float noise[6], double out[3]) {
    out[0] = 0.5 * noise[0];
    out[1] = 0.6 * noise[1];
    out[2] = 0.7 * noise[2];
}

void auto_anchor_b(const float noise[6], double out[3]) {
    out[0] = 0.9 * noise[3];
    out[1] = 0.8 * noise[4];
    out[2] = 0.7 * noise[5];
}
