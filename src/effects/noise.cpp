// noise.cpp: the hash, the smoothing and the octave sum of the value noise.
#include "effects/noise.h"

#include <cmath>
#include <cstdint>

float lattice_noise(int k) {
    // Unsigned arithmetic gives the 32-bit wrap-around without overflow.
    uint32_t h = static_cast<uint32_t>(k);
    h = h ^ (h << 13);
    uint32_t m = (h * (h * h * 15731u + 789221u) - 771171059u) & 0x7fffffffu;
    // m < 2^31, so the double result is exact before the one rounding.
    return static_cast<float>(1.0 - static_cast<double>(m) / 1073741824.0);
}

float smooth_noise(int n) {
    uint32_t u = static_cast<uint32_t>(n);
    double sum = lattice_noise(static_cast<int>(u - 1u)) * 0.25;
    sum += lattice_noise(n) * 0.5;
    sum += lattice_noise(static_cast<int>(u + 1u)) * 0.25;
    return static_cast<float>(sum);
}

void fractal_noise(float& out, float offset, float amplitude, float persistence, float frequency, float x) {
    for (int octave = 0; octave < 5; ++octave) {
        float f = frequency * x + offset;
        // Truncation toward zero: for negative f, t is negative and the blend
        // runs from the lattice point above.
        int i = static_cast<int>(f);
        float t = f - static_cast<float>(i);
        float k = static_cast<float>((1.0 - std::cos(t * 3.1415927)) * 0.5);
        float v = smooth_noise(i) * (1.0f - k) + smooth_noise(i + 1) * k;
        out = out + v * amplitude;
        frequency = frequency * 2.0f;
        amplitude = amplitude * persistence;
    }
}
