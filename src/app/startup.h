// startup.h: process start-up, from seeding the generator to building the font.
#pragma once

// Runs every start-up step in order; exits with status 1 when OpenGL 2.1 or
// the shader extensions are missing.
void start_up(int argc, char** argv);
