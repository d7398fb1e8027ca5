// startup.cpp: from seeding the generator to building the font, once, in order.
//
// Everything is loaded before the music starts, so the demo clock runs from 0
// when the main loop begins. Depends on GLUT, GLEW, SDL (images only) and the
// subsystems' set-up functions.
#include "app/startup.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <SDL/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/frame.h"
#include "app/targets.h"
#include "core/platform.h"
#include "core/random.h"
#include "core/wide_lines_draw.h"
#include "effects/lines.h"
#include "effects/shapes.h"
#include "physics/cloud.h"
#include "physics/sheet_draw.h"
#include "sync/storyboard.h"
#include "text/font.h"

namespace {

int window_request_w = 0, window_request_h = 0;  // 0: the full screen

// Game mode is the show's screen. A screen that already is 1280 x 720 needs
// no switch (and asking for one makes freeglut complain on a display that
// can't switch), so a full-screen window shows the same picture there. Where
// the display can't switch, the full-screen window scales the picture to fit,
// and the viewer is told why it may look letterboxed or soft.
void open_full_screen_window() {
    // Cover the whole screen from its corner even where no window manager
    // honours the full-screen request.
    glutInitWindowPosition(0, 0);
    glutInitWindowSize(glutGet(GLUT_SCREEN_WIDTH), glutGet(GLUT_SCREEN_HEIGHT));
    glutCreateWindow("Tangle");
    glutFullScreen();
}

void open_screen() {
    if (window_request_w > 0 && window_request_h > 0) {
        glutInitWindowSize(window_request_w, window_request_h);
        glutCreateWindow("Tangle");
        return;
    }
    const int screen_w = glutGet(GLUT_SCREEN_WIDTH), screen_h = glutGet(GLUT_SCREEN_HEIGHT);
    if (screen_w == 1280 && screen_h == 720) {
        open_full_screen_window();
        return;
    }
    glutGameModeString("1280x720");
    // Asked first, quietly: a failed switch has freeglut print a warning of
    // its own beside ours.
    if (!glutGameModeGet(GLUT_GAME_MODE_POSSIBLE) || glutEnterGameMode() == 0 ||
        !glutGameModeGet(GLUT_GAME_MODE_ACTIVE)) {
        std::fprintf(stderr,
                     "tangle: display: can't switch to 1280x720; showing the picture scaled to the %dx%d "
                     "screen%s\n",
                     screen_w, screen_h, screen_w * 9 == screen_h * 16 ? "" : ", with black bars");
        open_full_screen_window();
    }
}

// OpenGL 2.1 with shaders, and the framebuffer objects every frame is drawn
// into (core in 3.0, an extension before): a driver without them would
// leave their entry points null and the first render target would crash.
bool opengl_is_enough() {
    if (glewInit() != GLEW_OK) return false;
    return glewIsSupported("GL_VERSION_2_1") && GLEW_ARB_vertex_shader && GLEW_ARB_fragment_shader &&
           (GLEW_VERSION_3_0 || GLEW_ARB_framebuffer_object);
}

}  // namespace

void start_up_in_window(int width, int height) {
    window_request_w = width;
    window_request_h = height;
}

void start_up(int argc, char** argv) {
    start_up_with(argc, argv, static_cast<unsigned>(std::time(nullptr)), nullptr);
}

void start_up_with(int argc, char** argv, unsigned seed, const char* storyboard) {
    random_seed(seed);
    glutInit(&argc, argv);
    glutInitWindowSize(1280, 720);
    glutInitWindowPosition(300, 100);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH | GLUT_MULTISAMPLE);
    open_screen();
    if (!opengl_is_enough()) std::exit(1);
    init_cloud();
    glutReshapeFunc(on_reshape);
    glutDisplayFunc(display_frame);
    glutKeyboardFunc(on_key);
    const char* storyboard_path = storyboard ? storyboard : "keys.dat";
    report_storyboard_load(storyboard_path, load_storyboard(storyboard_path));
    // SDL only decodes images: keep its video driver off the terminal and the screen.
    platform_set_env("SDL_VIDEODRIVER", "dummy");
    SDL_Init(0xFFFF);
    load_textures();
    glutSetCursor(GLUT_CURSOR_NONE);
    create_compose_target();
    create_overlay_target();
    create_scene_target();
    build_glyph_font();
    prepare_sheet_drawing();
    prepare_line_drawing();
    prepare_wide_line_drawing();
    prepare_shapes();
    // The frame loop expects the scene target bound, as target creation left it.
    glBindTexture(GL_TEXTURE_2D, scene_target);
}
