// random.cpp: linear congruential generator with a 15-bit output.
#include "core/random.h"

#include <cstdint>

namespace {
// Constant-initialised: valid before any dynamic initialiser runs.
constinit uint32_t random_state = 1;
}  // namespace

int random_next() {
    random_state = random_state * 214013u + 2531011u;
    return static_cast<int>((random_state >> 16) & 0x7fffu);
}

void random_seed(unsigned seed) { random_state = seed; }

RandomState random_save() { return RandomState{random_state}; }

void random_restore(RandomState state) { random_state = state.value; }
