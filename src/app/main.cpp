// main.cpp: the show's entry: start-up, music, then the window system's loop.
#include <GL/glew.h>
#include <GL/freeglut.h>

#include <exception>

#include "app/startup.h"
#include "audio/music.h"
#include "text/font.h"

int main(int argc, char** argv) {
    // A font that can't be built is reported and ends the show cleanly
    // instead of aborting the process.
    try {
        start_up(argc, argv);
    } catch (const std::exception& e) {
        return report_font_failure(e);
    }
    music_setup();
    glutMainLoop();
    return 0;
}
