// rehearsal.h: the live show from any moment: jumps, the loop, pause, the
// reload of a changed storyboard, and the overlay.
//
// The show's own frame loop draws every frame; a jump puts the music on hold,
// steps the show's state to the new moment with show_seek, from the latest
// copy of the show kept on the way there by an earlier jump, and lets the
// music play on from there. Depends on the show's start-up and frame loop, the live
// music player, the storyboard source and GLUT.
#pragma once

#include <cstddef>

#include "options.h"

// After the show's start-up: takes over the display and keyboard callbacks,
// draws the overlay, watches the storyboard and opens the music.
void rehearsal_begin(const RehearseOptions& options, unsigned seed, const char* storyboard_name);

// Moves the show and its music to `seconds`; stays paused if paused. Says on
// standard error what the state and the settling frames took.
void rehearsal_jump(double seconds);

// The copies of the show kept for jumps: how many, and their memory.
size_t rehearsal_checkpoint_count();
size_t rehearsal_checkpoint_bytes();
