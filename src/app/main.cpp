// main.cpp: the show's entry: start-up, music, then the window system's loop.
#include <GL/freeglut.h>

#include <cstdio>
#include <exception>

#include "app/startup.h"
#include "audio/music.h"

int main(int argc, char** argv) {
    // A font that can't be built is reported and ends the show cleanly
    // instead of aborting the process.
    try {
        start_up(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    music_setup();
    glutMainLoop();
    return 0;
}
