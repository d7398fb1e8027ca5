// rehearsal.h: the live show from any moment: jumps, the loop, pause, the
// reload of a changed storyboard, and the overlay.
//
// The show's own frame loop draws every frame; a jump puts the music on hold,
// steps the show's state to the new moment with show_seek and lets the music
// play on from there. Depends on the show's start-up and frame loop, the live
// music player, the storyboard source and GLUT.
#pragma once

#include "options.h"

// After the show's start-up: takes over the display and keyboard callbacks,
// draws the overlay, watches the storyboard and opens the music.
void rehearsal_begin(const RehearseOptions& options, unsigned seed, const char* storyboard_name);

// Moves the show and its music to `seconds`; stays paused if paused.
void rehearsal_jump(double seconds);
