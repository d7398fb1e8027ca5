// show_seek.h: moving the show's own state to any moment of the music.
#pragma once

// Puts the show's own state back to its start (generator seeded with `seed`,
// sheets and cloud rebuilt, storyboard records unfired, demo state, timeline,
// flashes, captions, credits) and moves it to `seconds`: frames k = 0, 1, 2,
// ... at music time k / rate, `set_clock(k / rate)` called before each frame
// so the music player reports that time; frames run without GL except the
// few that settle the GL state; storyboard records before `seconds` fire on
// the way. The next frame drawn is the show at `seconds`.
void show_seek(double seconds, double rate, unsigned seed, void (*set_clock)(double seconds));
