// noise.h: one-dimensional fractal value noise.
//
// An integer hash gives a value per lattice point; three neighbours are
// smoothed together, lattice points are blended with a cosine curve and five
// octaves are summed. Deterministic on any machine with 32-bit wrap-around
// integers and IEEE floats. No state, no dependencies.
#pragma once

// The raw lattice value of k, 1 - m / 2^30 with m the 31-bit hash of k.
float lattice_noise(int k);

// The lattice value of n smoothed with its two neighbours (1/4, 1/2, 1/4).
float smooth_noise(int n);

// Adds five octaves of noise at x to `out` (callers start from 0). Each
// octave doubles the frequency and scales the amplitude by `persistence`.
void fractal_noise(float& out, float offset, float amplitude, float persistence, float frequency, float x);
