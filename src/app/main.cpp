// main.cpp: the show's entry: start-up, music, then the window system's loop.
#include <GL/glew.h>
#include <GL/freeglut.h>

#include <exception>

#include "app/startup.h"
#include "app/stop.h"
#include "audio/music.h"
#include "core/input_file.h"
#include "text/font.h"

int main(int argc, char** argv) {
    // Before anything opens a file: a closed standard descriptor must not be reused.
    make_standard_descriptors_safe();
    // Ours before SDL's initialisation, which then leaves SIGINT and SIGTERM
    // alone; again after it, in case anything took them anyway.
    install_stop_signals();
    // A font that can't be built is reported and ends the show cleanly
    // instead of aborting the process.
    try {
        start_up(argc, argv);
    } catch (const std::exception& e) {
        return report_font_failure(e);
    }
    install_stop_signals();
    watch_for_stop(50);
    music_setup();
    glutMainLoop();
    return 0;
}
