// seek.h: moving the show to any moment, for the capture and rehearsal tools.
//
// The show's state depends on every frame before, so a moment is reached by
// running the frames from the start at a fixed rate: stepped without GL, apart
// from the few that the GL state of the next drawn frame depends on (see
// frame_needs_drawing). Depends on the frame loop and every subsystem's reset.
#pragma once

// Puts the show's own state back to how start-up leaves it, with the generator
// seeded by `seed`: demo state, clock, sheets, cloud, timeline, captions,
// credits, hidden part, and the storyboard with every event unfired. The music
// streams are the caller's to rewind; the model-view stack is emptied as at
// start-up. Needs the GL context the show runs in.
void reset_show(unsigned seed);

// Resets the show and runs frames k = 0, 1, 2, ... while k / rate < seconds,
// calling set_clock(k / rate) before each so that the music player reports
// that time. Storyboard events before `seconds` fire on the way. The next
// frame drawn, at `seconds` or just after, is the show at that moment.
void show_seek(double seconds, double rate, unsigned seed, void (*set_clock)(double seconds));

// The music for a seek on either player: every stream back at its start and
// held, the main one playing, so that positions move only by the stepping
// clock below.
void hold_music_at_start();
// The stepping clock for show_seek on held music: every playing stream moves
// on to `seconds` (times never decrease).
void step_held_music(double seconds);
