// flashes.h: the key-triggered flashes of the main show.
//
// Five outline pulses and two spike flares, drawn from T 1400 on, and the
// burst of dots inside the lattice block. The commands stamp trigger times
// into the demo state; these sections turn the distance between a stamp and
// the clock into brightness, size and turn, and advance the pulses' and
// flares' clocks themselves. Advancing (clocks, the ray's random direction,
// the burst's reseeded dots) is apart from drawing, which only reads what the
// advance decided. Depends on the outline shapes of the effects subsystem and
// on the shared generator.
#pragma once

#include "scenes/timeline_rules.h"

// Which flashes draw this frame, and the ray's direction.
struct FlashFrame {
    bool pulse_d = false, pulse_b = false, pulse_a = false, pulse_e = false, pulse_c = false;
    bool flare_a = false, flare_b = false;
    RayEnd ray{0, 0};
};

// The flash section: pulses d, b, a, e, c, then flares a and b. The caller
// runs it only while T > 1400: the advance moves each clock (and draws the
// ray's direction from the shared generator), the drawing reads the result.
FlashFrame advance_flashes();
void draw_flashes(const FlashFrame& frame);

// The burst, inside the lattice block; shows only in its own windows.
struct BurstFrame {
    bool shown = false;
    float alpha = 0;
    BurstDot dots[burst_dot_count];
};
BurstFrame advance_burst_frame();
void draw_burst(const BurstFrame& frame);
