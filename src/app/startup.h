// startup.h: process start-up, from seeding the generator to building the font.
#pragma once

// Runs every start-up step in order; exits with status 1 when OpenGL 2.1 or
// the shader extensions are missing.
void start_up(int argc, char** argv);

// The same with a fixed generator seed and another storyboard file, for runs
// that must repeat exactly (capture, tests). A null storyboard means "keys.dat".
void start_up_with(int argc, char** argv, unsigned seed, const char* storyboard);

// Start-up opens an ordinary window of this size instead of the full screen
// (the rehearsal tool, beside an editor). Call it before start-up.
void start_up_in_window(int width, int height);
