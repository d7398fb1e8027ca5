// gl_window.h: a GL context for tests that draw (under Xvfb).
#pragma once

// Opens one 1280 x 720 GLUT window with the show's display mode and
// initialises GLEW. Safe to call more than once; later calls do nothing.
void open_test_window();
