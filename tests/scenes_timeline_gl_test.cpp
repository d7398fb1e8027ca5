// The timeline on the driver: its saves and restores, with those of the
// routines it calls, leave the model-view stack where the stack model says.
#include <GL/glew.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include "app/frame.h"
#include "app/targets.h"
#include "audio/music.h"
#include "core/demo_state.h"
#include "physics/cloud.h"
#include "scenes/flashes.h"
#include "scenes/matrix_stack.h"
#include "scenes/timeline.h"
#include "scenes/timeline_rules.h"
#include "support/gl_window.h"
#include "text/font.h"

namespace {
GLint modelview_depth() {
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    return depth;
}

GLint stack_base = 0;  // the driver's depth with nothing of the show pushed

// Sets up what the timeline draws with, once, and empties the model-view
// stack of anything an earlier test left on it.
void open_show_context() {
    static bool ready = false;
    if (!ready) {
        open_test_window();
        create_overlay_target();
        create_scene_target();
        load_textures();
        build_glyph_font();
        init_cloud();
        glMatrixMode(GL_MODELVIEW);
        init_timeline();
        stack_base = modelview_depth();
        ready = true;
    }
    glMatrixMode(GL_MODELVIEW);
    while (modelview_depth() > stack_base) glPopMatrix();
}

// What the display callback does around the timeline, at a fixed T.
void draw_frame_at(float time) {
    demo_time = time;
    demo_time_d = time;
    frame_step = 1.0f;
    glBindFramebuffer(GL_FRAMEBUFFER, scene_fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, scene_target, 0);
    glBindTexture(GL_TEXTURE_2D, scene_target);
    glViewport(0, 0, 1600, 900);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(88.0, 1280.0f / 720.0f, 0.0001, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    advance_scene();
    draw_scene();
    end_scene();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    draw_scene_target();
}

void expect_depths_follow_model(float time, const FrameShape& shape, int frames) {
    StackModel model;
    stack_reset(model);
    FrameMarks marks;
    for (int frame = 1; frame <= frames; ++frame) {
        draw_frame_at(time);
        replay_main_frame(model, shape, marks);
        ASSERT_EQ(modelview_depth() - stack_base + 1, model.depth) << "frame " << frame;
    }
    while (glGetError() != GL_NO_ERROR) {
    }
}
}  // namespace

TEST(TimelineOnDriver, LatticeFramesSettleAsTheModelSays) {
    open_show_context();
    reset_demo_state();
    reset_timeline();
    demo.lattice_switch = 1;
    FrameShape shape;
    shape.lattice = true;
    expect_depths_follow_model(300.0f, shape, 40);
}

TEST(TimelineOnDriver, TorusAndBurstFramesSettleAsTheModelSays) {
    open_show_context();
    reset_demo_state();
    reset_timeline();
    demo.lattice_switch = 1;
    demo.cloth_b_style = 0;
    demo.burst_time = 345.0f;  // shows until T 357.5
    FrameShape shape;
    shape.lattice = true;
    shape.torus = true;
    shape.cloth_b_styled = false;
    shape.burst_draws = true;
    expect_depths_follow_model(350.0f, shape, 40);
}

TEST(TimelineOnDriver, TitlePlateFramesSettleAsTheModelSays) {
    open_show_context();
    reset_demo_state();
    reset_timeline();
    FrameShape shape;
    shape.plates = 2;  // the title and one flicker
    expect_depths_follow_model(71.0f, shape, 40);
}

TEST(TimelineOnDriver, FlashFramesWithoutTheLatticeSettleAsTheModelSays) {
    open_show_context();
    reset_demo_state();
    reset_timeline();
    FrameShape shape;
    shape.flashes = true;
    expect_depths_follow_model(1500.0f, shape, 40);
}

// The second flare's grey is ink times its fade, then times its own dimming,
// each product rounded to float; grouping the two fades first lands one unit
// in the last place off for stamps like this one.
TEST(FlashesOnDriver, SecondFlareGreysInkByItsFadeThenItsDimming) {
    open_show_context();
    reset_demo_state();
    reset_timeline();
    demo.flare_b_time = 1495.0f;
    demo_time = 1500.0f;
    demo_time_d = 1500.0;
    frame_step = 1.0f;
    glPushMatrix();
    draw_flashes(advance_flashes());
    glPopMatrix();
    EXPECT_EQ(demo.flare_b_time, 1496.0f);
    float s = flare_fade(1500.0, 1496.0f);
    float u = flare_b_dim(1500.0f, 1496.0f);
    volatile float by_fade = ink_grey * s;
    volatile float expected = by_fade * u;
    volatile float both_fades = s * u;
    volatile float regrouped = ink_grey * both_fades;
    ASSERT_NE(expected, regrouped) << "the stamp no longer tells the groupings apart";
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], expected);
    EXPECT_EQ(colour[1], expected);
    EXPECT_EQ(colour[2], expected);
    EXPECT_EQ(colour[3], 0.5f);
    while (glGetError() != GL_NO_ERROR) {
    }
}
