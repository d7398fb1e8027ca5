// frame.cpp: the display, keyboard and reshape callbacks and the per-frame update.
//
// The music position is the only clock: each frame reads it, derives
// frame_step from its change, draws the scene timeline into the scene target,
// runs the update (demo clock, storyboard, cloud, sheets) and copies the
// picture out. The picture is composed at 1280 x 720 in its own framebuffer and
// then scaled into the real window with black bars, so every window size shows
// the same composition. Depends on every subsystem.
#include "app/frame.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include "app/demo_state.h"
#include "app/targets.h"
#include "audio/music.h"
#include "physics/cloth.h"
#include "physics/cloud.h"
#include "scenes/timeline.h"
#include "sync/commands.h"
#include "sync/storyboard.h"
#include "text/credits.h"

float music_seconds_now = 0;
float music_seconds_prev = 0;
float frame_step = 0;
int window_width = 1280, window_height = 720;

namespace {
// The composed picture, and the size of the real window it is scaled into.
constexpr int compose_width = 1280, compose_height = 720;
GLuint compose_fbo, compose_colour, compose_depth;
int screen_width = compose_width, screen_height = compose_height;
bool key_recording = true;
}  // namespace

float compute_frame_step(float seconds_now, float seconds_prev) {
    float moved = seconds_now - seconds_prev;
    float step = static_cast<float>(static_cast<double>(moved) / static_cast<double>(0.0333f));
    return step == 0.0f ? 1.0f : step;
}

void choose_clear_colour(float time, float rgb[3]) {
    rgb[0] = 0.4433f, rgb[1] = 0.4342f, rgb[2] = 0.442f;
    if (time > 1180) rgb[0] = 220 / 255.0f, rgb[1] = 135 / 255.0f, rgb[2] = 209 / 255.0f;
    if (time > 1472) rgb[0] = 0.341f, rgb[1] = 0.334f, rgb[2] = 0.34f;
}

void create_compose_target() {
    glGenFramebuffers(1, &compose_fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, compose_fbo);
    glGenRenderbuffers(1, &compose_colour);
    glBindRenderbuffer(GL_RENDERBUFFER, compose_colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, compose_width, compose_height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, compose_colour);
    glGenRenderbuffers(1, &compose_depth);
    glBindRenderbuffer(GL_RENDERBUFFER, compose_depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, compose_width, compose_height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, compose_depth);
}

unsigned compose_framebuffer() { return compose_fbo; }

void draw_frame() {
    music_seconds_prev = music_seconds_now;
    music_seconds_now = static_cast<float>(stream_seconds(main_stream));
    frame_step = compute_frame_step(music_seconds_now, music_seconds_prev);

    glUseProgram(0);
    glBindFramebuffer(GL_FRAMEBUFFER, scene_fbo);
    glFramebufferTexture(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, scene_target, 0);
    glBindTexture(GL_TEXTURE_2D, scene_target);
    glDepthMask(GL_TRUE);
    glEnable(GL_NORMALIZE);
    glViewport(0, 0, static_cast<int>(window_width * 1.25), static_cast<int>(window_height * 1.25));
    load_show_perspective();
    float clear[3];
    choose_clear_colour(demo_time, clear);
    glClearColor(clear[0], clear[1], clear[2], 0);

    scene_timeline();
    update_frame();

    // The "screen": the composed 1280 x 720 picture.
    glBindFramebuffer(GL_FRAMEBUFFER, compose_fbo);
    draw_scene_target();
    if (hidden_part_on == 0 && demo_time > 1799) draw_end_credits(-0.05f, -0.34f);
}

void present_frame() {
    // Scale the composed picture into the real window, 16:9 with black bars.
    int w = screen_width, h = screen_height;
    int fit_w = w, fit_h = w * 9 / 16;
    if (fit_h > h) fit_h = h, fit_w = h * 16 / 9;
    int x0 = (w - fit_w) / 2, y0 = (h - fit_h) / 2;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, compose_fbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glPushAttrib(GL_SCISSOR_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glBlitFramebuffer(0, 0, compose_width, compose_height, x0, y0, x0 + fit_w, y0 + fit_h, GL_COLOR_BUFFER_BIT,
                      (fit_w == compose_width && fit_h == compose_height) ? GL_NEAREST : GL_LINEAR);
    glPopAttrib();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glutSwapBuffers();
    glutPostRedisplay();
}

void display_frame() {
    draw_frame();
    present_frame();
}

void update_frame() {
    update_demo_clock();
    replay_storyboard(demo_time / 10);
    update_cloud(static_cast<double>(frame_step));
    float dt = static_cast<float>(static_cast<double>(frame_step) * static_cast<double>(0.1f));
    step_sheet(cloth_a, dt);
    step_sheet(cloth_b, dt);
    glutPostRedisplay();
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
