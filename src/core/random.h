// random.h: the one pseudo-random generator the whole show shares.
//
// Values 0 to 32767, a seed function, and constant-initialised state so that
// objects built during static initialisation (the sheets) can draw from it
// before main runs and always get the same sequence.
#pragma once

#include <cstdint>

// Returns the next value, 0 to 32767.
int random_next();

// The largest value random_next returns, as the divisor that scales it.
constexpr double random_top = 32767.0;

// The next value scaled to 0 to 1 (random_next() / 32767).
inline double random_unit() { return random_next() / random_top; }

// Restarts the sequence from `seed`.
void random_seed(unsigned seed);

// The generator's state as a value, to keep and put back.
struct RandomState {
    uint32_t value = 1;
    bool operator==(const RandomState&) const = default;
};
RandomState random_save();
void random_restore(RandomState state);
