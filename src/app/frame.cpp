// frame.cpp: the display, keyboard and reshape callbacks and the per-frame update.
//
// The music position is the only clock: each frame reads it, derives
// frame_step from its change, advances the scene timeline, draws it into the
// scene target, runs the update (demo clock, storyboard, cloud, sheets) and
// copies the picture out. step_frame makes the same changes of state without
// a GL call, so the show can be moved to any moment quickly. The picture is composed at 1280 x 720 in its own
// framebuffer and then drawn into the real window as one textured quad, scaled to fit with black bars, so
// every window size shows the same composition. Depends on every subsystem.
#include "app/frame.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <initializer_list>

#include "app/targets.h"
#include "audio/music.h"
#include "core/demo_state.h"
#include "core/draw_stats.h"
#include "core/parallel.h"
#include "physics/cloth.h"
#include "physics/cloud.h"
#include "scenes/matrix_stack.h"
#include "scenes/timeline.h"
#include "sync/commands.h"
#include "sync/storyboard.h"
#include "text/credits.h"
#include "text/overlays.h"

namespace {
// The composed picture, and the size of the real window it is scaled into.
constexpr int compose_width = 1280, compose_height = 720;
GLuint compose_fbo, compose_colour, compose_depth;
int screen_width = compose_width, screen_height = compose_height;
bool key_recording = true;
void (*window_overlay)(int width, int height) = nullptr;
}  // namespace

void choose_clear_colour(float time, float rgb[3]) {
    rgb[0] = 0.4433f, rgb[1] = 0.4342f, rgb[2] = 0.442f;
    if (time > 1180) rgb[0] = magenta_lit_text.r, rgb[1] = magenta_lit_text.g, rgb[2] = magenta_lit_text.b;
    if (time > 1472) rgb[0] = 0.341f, rgb[1] = 0.334f, rgb[2] = 0.34f;
}

void create_compose_target() {
    // A texture, so the picture reaches a window of any size and sample count
    // as one textured quad; a scaled blit into a multisampled window is invalid.
    create_framebuffer(compose_width, compose_height, GL_RGBA8, GL_RGBA, true, compose_fbo, compose_colour,
                       compose_depth);
}

unsigned compose_framebuffer() { return compose_fbo; }

namespace {
// The frame's clock: this frame's music position and the step since the last.
void read_frame_clock() {
    music_seconds_prev = music_seconds_now;
    music_seconds_now = static_cast<float>(stream_seconds(main_stream));
    frame_step = compute_frame_step(music_seconds_now, music_seconds_prev);
}

bool credits_due() { return demo.hidden_part_on == 0 && demo_time > 1799; }

// What tells apart the frames that treat the projection stack differently:
// whether the captions and the end credits draw, as the frame starts.
int projection_kind() { return (next_frame_draws_captions() ? 1 : 0) | (credits_due() ? 2 : 0); }
}  // namespace

void draw_frame() {
    const int kind = projection_kind();
    read_frame_clock();
    advance_scene();

    glUseProgram(0);
    glBindFramebuffer(GL_FRAMEBUFFER, scene_fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, scene_target, 0);
    glBindTexture(GL_TEXTURE_2D, scene_target);
    glDepthMask(GL_TRUE);
    glEnable(GL_NORMALIZE);
    glViewport(0, 0, static_cast<int>(window_width * 1.25), static_cast<int>(window_height * 1.25));
    load_show_perspective();
    float clear[3];
    choose_clear_colour(demo_time, clear);
    glClearColor(clear[0], clear[1], clear[2], 0);
    draw_stats_add(8);
    draw_scene();
    end_scene();

    update_frame();
    const bool credits = credits_due();
    if (credits) advance_end_credits();

    // The "screen": the composed 1280 x 720 picture.
    glBindFramebuffer(GL_FRAMEBUFFER, compose_fbo);
    draw_stats_add(1);
    draw_scene_target();
    if (credits) draw_end_credits(-0.05f, -0.34f);
    note_projection_stack(kind);
}

bool frame_leaves_lasting_state(long k) {
    return k < settle_first_frames || !projection_stack_settled(projection_kind());
}

void step_frame() {
    // Nobody watches a stepped frame, only the time of them all counts: the
    // helper takes parts even where no processor is left to spare.
    const HelperUse before = use_helper_thread(HelperUse::always);
    if (before == HelperUse::never) use_helper_thread(before);
    read_frame_clock();
    advance_scene();
    end_scene();
    update_frame();
    if (credits_due()) advance_end_credits();
    use_helper_thread(before);
}

PictureBox fit_picture(int screen_w, int screen_h) {
    int fit_w = screen_w, fit_h = screen_w * 9 / 16;
    if (fit_h > screen_h) fit_h = screen_h, fit_w = screen_h * 16 / 9;
    return PictureBox{(screen_w - fit_w) / 2, (screen_h - fit_h) / 2, fit_w, fit_h};
}

namespace {
// The window: black, the composed picture in its box when `picture`, then
// `draw` on top; the GL state a frame leaves is put back before the swap.
void present_window(bool picture, void (*draw)(int width, int height)) {
    const PictureBox box = fit_picture(screen_width, screen_height);
    const bool unscaled = box.width == compose_width && box.height == compose_height;
    // Everything changed here is put back, so the next frame starts from the
    // state this one left, exactly as when nothing presents (capture). The
    // model-view stack may be full, so the matrices are saved by value.
    GLint program = 0;
    GLdouble projection[16], modelview[16];
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glUseProgram(0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);

    for (GLenum cap : {GL_DEPTH_TEST, GL_STENCIL_TEST, GL_LIGHTING, GL_BLEND, GL_ALPHA_TEST, GL_FOG,
                       GL_CULL_FACE, GL_COLOR_LOGIC_OP, GL_POLYGON_STIPPLE, GL_TEXTURE_1D, GL_TEXTURE_3D,
                       GL_TEXTURE_CUBE_MAP, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R,
                       GL_TEXTURE_GEN_Q, GL_SAMPLE_ALPHA_TO_COVERAGE})
        glDisable(cap);
    for (int plane = 0; plane < 6; plane++) glDisable(GL_CLIP_PLANE0 + plane);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glViewport(box.x, box.y, box.width, box.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    // One texel per pixel when unscaled; smooth filtering otherwise.
    const GLint filter = unscaled ? GL_NEAREST : GL_LINEAR;
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, compose_colour);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    if (picture) {
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0), glVertex2f(-1, -1);
        glTexCoord2f(1, 0), glVertex2f(1, -1);
        glTexCoord2f(1, 1), glVertex2f(1, 1);
        glTexCoord2f(0, 1), glVertex2f(-1, 1);
        glEnd();
    }
    if (draw) draw(screen_width, screen_height);

    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(projection);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixd(modelview);
    glPopAttrib();
    glUseProgram(static_cast<GLuint>(program));
    glutSwapBuffers();
}
}  // namespace

void present_frame() {
    present_window(true, window_overlay);
    glutPostRedisplay();
}

void present_message(void (*draw)(int width, int height)) { present_window(false, draw); }

void set_window_overlay(void (*draw)(int width, int height)) { window_overlay = draw; }

void display_frame() {
    draw_frame();
    present_frame();
}

void update_frame() {
    update_demo_clock();
    replay_storyboard(demo_time / 10);
    update_cloud(static_cast<double>(frame_step));
    // Slow frames take several sheet steps; ordinary ones exactly one. The
    // two sheets never touch each other, so they step side by side.
    run_parts(2, [](int sheet) { step_sheet_for_frame(sheet == 0 ? cloth_a : cloth_b, frame_step); });
}

void press_key(unsigned char key) {
    if (key != ' ' && key_recording) record_key(key, static_cast<float>(stream_seconds(main_stream)));
    if (key >= 27 && key <= 122) run_command(key - 27);
}

void set_key_recording(bool on) { key_recording = on; }

void on_key(unsigned char key, int, int) {
    press_key(key);
    glutPostRedisplay();
}

void on_reshape(int width, int height) {
    // The show is composed at 1280 x 720 whatever the window; only the final
    // copy follows the real size.
    screen_width = width > 0 ? width : 1;
    screen_height = height > 0 ? height : 1;
    glViewport(0, 0, screen_width, screen_height);
    load_show_perspective();
}
