// Value noise: lattice hash values, smoothing, the octave sum and its
// truncation rule.
#include <climits>
#include <cmath>

#include <gtest/gtest.h>

#include "effects/noise.h"

// Expected lattice values from an independent 64-bit evaluation of the hash
// reduced modulo 2^32.
TEST(ValueNoise, LatticeValuesMatchTheHash) {
    EXPECT_EQ(lattice_noise(0), static_cast<float>(1.0 - 1376312589.0 / 1073741824.0));
    EXPECT_NEAR(lattice_noise(0), -0.2818, 1e-4);
    EXPECT_EQ(lattice_noise(1), static_cast<float>(-0.2263730512931943));
    EXPECT_EQ(lattice_noise(-5), static_cast<float>(-0.07692847866564989));
    EXPECT_EQ(lattice_noise(12345), static_cast<float>(-0.8928926484659314));
    EXPECT_EQ(lattice_noise(INT_MAX), static_cast<float>(0.9001262886449695));
    EXPECT_EQ(lattice_noise(INT_MIN), lattice_noise(0));
}

TEST(ValueNoise, SmoothNoiseIsRepeatableAndInRange) {
    float first = smooth_noise(7);
    for (int n = -300; n < 300; ++n) {
        EXPECT_GT(smooth_noise(n), -1.0f);
        EXPECT_LE(smooth_noise(n), 1.0f);
    }
    EXPECT_EQ(smooth_noise(7), first);
    EXPECT_EQ(smooth_noise(0), static_cast<float>(lattice_noise(-1) * 0.25 + lattice_noise(0) * 0.5 +
                                                  lattice_noise(1) * 0.25));
    // The neighbours of the extreme ints wrap around instead of overflowing.
    EXPECT_EQ(smooth_noise(INT_MIN),
              static_cast<float>(lattice_noise(INT_MAX) * 0.25 + lattice_noise(INT_MIN) * 0.5 +
                                 lattice_noise(INT_MIN + 1) * 0.25));
}

TEST(ValueNoise, FractalAtZeroSumsTheOctaveAmplitudes) {
    for (float p : {0.2f, 0.3f, 0.45f}) {
        float out = 0.0f;
        fractal_noise(out, 0.0f, 1.0f, p, 1.3f, 0.0f);
        EXPECT_FLOAT_EQ(out, smooth_noise(0) * (1 + p + p * p + p * p * p + p * p * p * p));
    }
    // It adds to what is already there.
    float out = 2.0f, alone = 0.0f;
    fractal_noise(out, 22.0f, 1.0f, 0.3f, 1.4f, 3.7f);
    fractal_noise(alone, 22.0f, 1.0f, 0.3f, 1.4f, 3.7f);
    EXPECT_FLOAT_EQ(out, 2.0f + alone);
}

// With frequency 0 every octave samples f = offset, and persistence 0 keeps
// only the first: the result is the blended value at `offset` itself.
static float blended_at(float offset) {
    float out = 0.0f;
    fractal_noise(out, offset, 1.0f, 0.0f, 0.0f, 0.0f);
    return out;
}

TEST(ValueNoise, BlendHitsLatticePointsAndTruncatesTowardZero) {
    EXPECT_EQ(blended_at(3.0f), smooth_noise(3));
    EXPECT_EQ(blended_at(-2.0f), smooth_noise(-2));
    float k = static_cast<float>((1 - std::cos(0.25 * 3.1415927)) * 0.5);
    EXPECT_FLOAT_EQ(blended_at(3.25f), smooth_noise(3) * (1 - k) + smooth_noise(4) * k);
    // -0.25 truncates to 0: t = -0.25 blends 0 with 1, not -1 with 0.
    EXPECT_FLOAT_EQ(blended_at(-0.25f), smooth_noise(0) * (1 - k) + smooth_noise(1) * k);
}
