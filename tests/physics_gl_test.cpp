// draw_sheet and draw_cloud against a real context: the state they leave,
// the darkening strands, a late segment too far out to have a width.
#include <GL/glew.h>

#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include <vector>

#include "app/targets.h"
#include "audio/music.h"
#include "core/demo_state.h"
#include "physics/cloud.h"
#include "physics/sheet_draw.h"
#include "support/gl_window.h"

namespace {

void fresh_view() {
    open_test_window();
    glViewport(0, 0, 256, 256);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glLineWidth(1);
    glPointSize(1);
    while (glGetError() != GL_NO_ERROR) {
    }
}

GLint get_int(GLenum what) {
    GLint v = 0;
    glGetIntegerv(what, &v);
    return v;
}
float get_float(GLenum what) {
    GLfloat v = 0;
    glGetFloatv(what, &v);
    return v;
}

}  // namespace

TEST(SheetDrawGl, OtherModesDrawNothingAndKeepTheNormals) {
    fresh_view();
    ClothSheet s = copy_sheet(cloth_a);
    for (Particle& p : s.particles) p.normal = {7, 7, 7};
    glClearColor(0.5f, 0.5f, 0.5f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    draw_sheet(s, 2, 0);
    draw_sheet(s, -1, 3);
    EXPECT_EQ(sheet_particle(s, 3, 3).normal.x, 7.0);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(get_float(GL_LINE_WIDTH), 1.0f);
    unsigned char px[4];
    glReadPixels(128, 128, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_NEAR(px[0], 128, 1);
}

TEST(SheetDrawGl, FinsBindTheChosenTextureAndLeaveTheSheetAlone) {
    fresh_view();
    GLuint names[2];
    glGenTextures(2, names);
    textures[40] = static_cast<GLint>(names[0]);
    textures[7] = static_cast<GLint>(names[1]);
    ClothSheet s = copy_sheet(cloth_b);
    for (Particle& p : s.particles) p.normal = {7, 7, 7};
    // The last corner drawn, whose attributes later drawing finds current.
    const int R = s.rows, S = s.columns;
    sheet_particle(s, R - 2, S - 1).normal = {1, 2, 3};
    demo_time = 100;
    draw_sheet(s, 1, 0);
    EXPECT_EQ(get_int(GL_TEXTURE_BINDING_2D), static_cast<GLint>(names[0]));
    GLfloat normal[3], st[4], colour[4], last_st[2];
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, st);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    fin_texture_coords(R - 2, S - 1, R, S, last_st);
    EXPECT_EQ(normal[0], 1.0f);
    EXPECT_EQ(normal[2], 3.0f);
    EXPECT_EQ(st[0], last_st[0]);
    EXPECT_EQ(st[1], last_st[1]);
    EXPECT_FLOAT_EQ(colour[3], 0.65f);
    EXPECT_EQ(colour[0], colour[1]);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    // Normals are the advance's to bring up to date; drawing only reads them.
    EXPECT_EQ(sheet_particle(s, 3, 3).normal.x, 7.0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(get_int(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(get_int(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(get_int(GL_SHADE_MODEL), GL_SMOOTH);
    demo_time = 1100;
    demo.cloth_texture = 10;
    draw_sheet(s, 1, 0);
    EXPECT_EQ(get_int(GL_TEXTURE_BINDING_2D), static_cast<GLint>(names[1]));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    reset_demo_state();
}

TEST(SheetDrawGl, EarlyStrandsDarkenWhatIsBeneathAndLeaveTheLightSet) {
    fresh_view();
    glClearColor(0.5f, 0.5f, 0.5f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    ClothSheet s = copy_sheet(cloth_a);
    compute_normals(s);
    sheet_particle(s, s.rows - 1, s.columns - 1).normal = {4, 5, 6};
    demo_time = 100;
    draw_sheet(s, 0, 0);
    // The last segment's far end leaves its normal current, and the colour
    // stays the black the strands are drawn in.
    GLfloat normal[3], colour[4];
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(normal[1], 5.0f);
    EXPECT_EQ(colour[0], 0.0f);
    EXPECT_EQ(colour[3], 0.0f);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    std::vector<unsigned char> px(256 * 256 * 4);
    glReadPixels(0, 0, 256, 256, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    int darker = 0, brighter = 0;
    for (size_t k = 0; k < px.size(); k += 4) {
        darker += px[k] < 120;
        brighter += px[k] > 129;
    }
    EXPECT_GT(darker, 100);  // 0.5 x 0.5 where a strand passes
    EXPECT_EQ(brighter, 0);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_EQ(get_int(GL_BLEND_SRC), GL_SRC_COLOR);
    EXPECT_EQ(get_int(GL_BLEND_DST), GL_DST_COLOR);
    GLfloat diffuse[4];
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    EXPECT_FLOAT_EQ(diffuse[1], 0.8f);
    GLfloat light[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, light);
    EXPECT_FLOAT_EQ(light[0], 1.5f);
    EXPECT_FLOAT_EQ(light[3], 0.0f);
    EXPECT_EQ(get_float(GL_LINE_WIDTH), 1.0f);
    reset_demo_state();
}

TEST(SheetDrawGl, LateSegmentsTooFarOutKeepTheWidthBeforeThem) {
    fresh_view();
    ClothSheet s = copy_sheet(cloth_a);
    // Every strand straight out from the anchor, 0.1 per row: rows 4 and on
    // are past 0.2 + 1/3.
    for (int j = 0; j < s.columns; j++)
        for (int i = 0; i < s.rows; i++)
            sheet_particle(s, i, j).position =
                vec_normalized(cloth_a.rest_state[j].position) * (0.2 + 0.1 * i);
    demo_time = 700;
    draw_sheet(s, 0, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    float last_positive = late_segment_look(s, 3, s.columns - 1).width;
    ASSERT_GT(last_positive, 0.0f);
    ASSERT_LE(late_segment_look(s, 8, s.columns - 1).width, 0.0f);
    EXPECT_EQ(get_float(GL_LINE_WIDTH), last_positive);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(get_int(GL_BLEND_SRC), GL_SRC_COLOR);
    reset_demo_state();
}

TEST(CloudDrawGl, LayersFollowTheTimeAndLeaveArraysOff) {
    fresh_view();
    reset_demo_state();
    reset_trail_counter();
    for (Vec3& p : cloud_positions) p = {0.1, 0.1, 0};
    demo_time = 900;
    // The trail's jumps are the frame's advance; the drawing only reads them.
    for (int k = 0; k < 26; k++) advance_trail(demo_time), draw_cloud();
    EXPECT_EQ(demo.trail_index, 0);
    advance_trail(demo_time);  // the 27th frame jumps
    draw_cloud();
    EXPECT_EQ(demo.trail_index, 100);
    EXPECT_EQ(demo.trail_time, 900.0f);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_EQ(get_float(GL_POINT_SIZE), 5.0f);
    EXPECT_EQ(get_float(GL_LINE_WIDTH), 3.0f);  // right after a jump
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[3], 0.6f);
    EXPECT_TRUE(glIsEnabled(GL_POINT_SMOOTH));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // Outside the windows nothing is drawn, and drawing never moves the trail.
    for (float t : {850.0f, 1050.0f, 40.0f}) {
        glPointSize(7);
        demo_time = t;
        for (int k = 0; k < 30; k++) draw_cloud();
        EXPECT_EQ(demo.trail_index, 100) << t;
        EXPECT_EQ(get_float(GL_POINT_SIZE), t == 850.0f ? 5.0f : 7.0f) << t;
    }
    reset_demo_state();
}

TEST(SheetDrawGl, SheetsAndCloudSaveNoMatrix) {
    // Drawn inside the scene's transformation: they must neither save nor
    // load a matrix, or the scene's stack would drift.
    fresh_view();
    glRotatef(25, 1, 0, 0);
    GLint depth_before = get_int(GL_MODELVIEW_STACK_DEPTH);
    GLfloat before[16], after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    ClothSheet s = copy_sheet(cloth_a);
    for (float t : {100.0f, 700.0f, 1100.0f}) {
        demo_time = t;
        draw_sheet(s, 0, 1);
        draw_sheet(s, 1, 1);
        for (int k = 0; k < 30; ++k) draw_cloud();
        EXPECT_EQ(get_int(GL_MODELVIEW_STACK_DEPTH), depth_before) << t;
        EXPECT_EQ(get_int(GL_MATRIX_MODE), GL_MODELVIEW) << t;
        glGetFloatv(GL_MODELVIEW_MATRIX, after);
        EXPECT_EQ(std::memcmp(before, after, sizeof before), 0) << t;
    }
    glLoadIdentity();
    reset_demo_state();
}
