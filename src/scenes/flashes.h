// flashes.h: the key-triggered flashes of the main show.
//
// Five outline pulses and two spike flares, drawn from T 1400 on, and the
// burst of dots inside the lattice block. The commands stamp trigger times
// into the demo state; these sections turn the distance between a stamp and
// the clock into brightness, size and turn, and advance the pulses' and
// flares' clocks themselves. Depends on the outline shapes of the effects
// subsystem and on the shared generator.
#pragma once

// The flash section: pulses d, b, a, e, c, then flares a and b. The caller
// runs it only while T > 1400.
void draw_flashes();

// The burst, inside the lattice block; shows only in its own windows.
void draw_burst();
