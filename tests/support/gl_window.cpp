// gl_window.cpp: one hidden-from-the-user GLUT window per test process.
#include "support/gl_window.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>

void open_test_window() {
    static bool opened = false;
    if (opened) return;
    int argc = 1;
    char name[] = "tangle-test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitWindowSize(1280, 720);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH | GLUT_MULTISAMPLE);
    glutCreateWindow("tangle-test");
    if (glewInit() != GLEW_OK) {
        std::fprintf(stderr, "tangle: test window: glewInit failed\n");
        std::exit(1);
    }
    opened = true;
}
