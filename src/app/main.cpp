// main.cpp: the show's entry: start-up, music, then the window system's loop.
// Depends on app (start-up, stop), audio (music) and text (the font).
#include <GL/glew.h>
#include <GL/freeglut.h>

#include <cstdio>
#include <cstring>
#include <exception>

#include <unistd.h>

#include "app/startup.h"
#include "app/stop.h"
#include "audio/music.h"
#include "core/input_file.h"
#include "core/platform.h"
#include "text/font.h"

namespace {

const char* const help_text =
    "usage: tangle [GLUT options]\n"
    "Plays Tangle, a realtime audiovisual show, full-screen at 1280x720 with its music:\n"
    "about three minutes, then the end credits scroll over looping music until it is ended.\n"
    "Run it from the show's data/ folder (the music, images, font and keys.dat);\n"
    "every key pressed is appended to filepressedkeys.dat there.\n"
    "\n"
    "Options (all passed to GLUT):\n"
    "  -display DISPLAY   the X display to open (default: $DISPLAY)\n"
    "  -direct            insist on direct rendering (default: whichever the driver gives)\n"
    "  -indirect          use indirect rendering (default: off)\n"
    "  -sync              synchronous X calls, for debugging (default: off)\n"
    "  -gldebug           report GL errors after each frame (default: off)\n"
    "  --help, -h         this text\n"
    "\n"
    "Escape or q ends the show, as do Ctrl-C and kill (status 0). Status 1: no\n"
    "OpenGL 2.1 with shaders, or the data folder's files are missing.\n";

// Neither the font nor the main music here: the show was started somewhere
// other than its data folder, and every file it loads would fail in turn. A
// single missing file keeps its own message.
bool in_data_folder() { return access("digital-7.ttf", F_OK) == 0 || access(main_music_file, F_OK) == 0; }

}  // namespace

int main(int argc, char** argv) {
    // Before anything opens a file: a closed standard descriptor must not be reused.
    make_standard_descriptors_safe();
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(help_text, stdout);
            return 0;
        }
    if (!in_data_folder() && !(platform_enter_folder_beside_program("data") && in_data_folder())) {
        std::fprintf(stderr,
                     "tangle: .: no digital-7.ttf or music here; run the show from its data/ folder "
                     "(cd data && ../build/tangle)\n");
        return 1;
    }
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
