// Textured plates and the panel tile on a real context: where they land and
// which way up the image comes out.
#include <GL/glew.h>

#include <algorithm>
#include <cstdint>

#include <gtest/gtest.h>

#include <vector>

#include "app/targets.h"
#include "audio/music.h"
#include "core/demo_state.h"
#include "effects/lines.h"
#include "effects/plates.h"
#include "effects/shapes.h"
#include "physics/cloud.h"
#include "support/gl_window.h"

namespace {

struct Rgba {
    uint8_t r, g, b, a;
};
constexpr Rgba red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255}, white{255, 255, 255, 255};

// A 2 x 2 texture, sharp texels: first row `r0` (left, right), second `r1`.
GLuint make_texture(Rgba r0a, Rgba r0b, Rgba r1a, Rgba r1b) {
    Rgba texels[4] = {r0a, r0b, r1a, r1b};
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    return name;
}

struct Frame {
    int width, height;
    std::vector<Rgba> pixels;  // bottom row first
    Rgba at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Frame read_frame(int width, int height) {
    Frame f{width, height, std::vector<Rgba>(static_cast<size_t>(width) * height)};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, f.pixels.data());
    return f;
}

// Bounding box of the pixels that are not black.
struct Box {
    int left = 1 << 30, bottom = 1 << 30, right = -1, top = -1;
};
Box lit_box(const Frame& f) {
    Box b;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) {
            Rgba p = f.at(x, y);
            if (p.r + p.g + p.b == 0) continue;
            b.left = std::min(b.left, x);
            b.right = std::max(b.right, x);
            b.bottom = std::min(b.bottom, y);
            b.top = std::max(b.top, y);
        }
    return b;
}

bool same(Rgba p, Rgba q) { return p.r == q.r && p.g == q.g && p.b == q.b; }

void clear_black() {
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

}  // namespace

TEST(PlatesGl, PlateCoversTheCentreSquareImageUpright) {
    open_test_window();
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
    glViewport(0, 0, 1280, 720);
    GLuint image = make_texture(red, red, green, green);

    for (float size : {0.0f, 3.0f}) {
        clear_black();
        draw_plate(static_cast<int>(image), 1.0f, size);
        Frame f = read_frame(1280, 720);
        Box b = lit_box(f);
        // Side 0.2 (1 + 0.3 size) of the unit square, centred.
        double side = 0.2 * (1 + 0.3 * size);
        EXPECT_NEAR(b.left, (0.5 - side / 2) * 1280, 2) << size;
        EXPECT_NEAR(b.right + 1, (0.5 + side / 2) * 1280, 2);
        EXPECT_NEAR(b.bottom, (0.5 - side / 2) * 720, 2);
        EXPECT_NEAR(b.top + 1, (0.5 + side / 2) * 720, 2);
        // The image's first row at the top.
        int mid = (b.left + b.right) / 2;
        EXPECT_TRUE(same(f.at(mid, b.top - 4), red));
        EXPECT_TRUE(same(f.at(mid, b.bottom + 4), green));
    }
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));

    // Alpha 0 leaves nothing to see.
    clear_black();
    draw_plate(static_cast<int>(image), 0.0f, 3.0f);
    EXPECT_EQ(lit_box(read_frame(1280, 720)).right, -1);
    glDeleteTextures(1, &image);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
}

TEST(PlatesGl, PanelTileAtTheOriginLandsUpperLeftUpright) {
    open_test_window();
    // The tile draws into the 1600 x 900 scene target's viewport.
    GLuint target = 0, fbo = 0;
    glGenTextures(1, &target);
    glBindTexture(GL_TEXTURE_2D, target);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1600, 900, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
    ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));

    // A rendered panel: its first row is its bottom. Bottom green (left)
    // and blue (right), top red and white.
    GLuint panel = make_texture(green, blue, red, white);
    GLuint saved_overlay = overlay_target;
    overlay_target = panel;

    Box boxes[2];
    for (int turned = 0; turned < 2; ++turned) {
        clear_black();
        glEnable(GL_CULL_FACE);
        float angle = turned ? 180.0f : 0.0f;
        draw_panel_tile(0, 0, 0, angle, angle, angle, 1, 1, 1);
        Frame f = read_frame(1600, 900);
        Box b = lit_box(f);
        boxes[turned] = b;
        // Centre (-2.4, 1.4, -3) in a 60 degree view: about (176, 814).
        EXPECT_NEAR((b.left + b.right) / 2.0, 176, 3) << turned;
        EXPECT_NEAR((b.bottom + b.top) / 2.0, 814, 3);
        // 0.66 x 0.2 at depth 3: about 171 x 52 pixels.
        EXPECT_NEAR(b.right - b.left, 171, 4);
        EXPECT_NEAR(b.top - b.bottom, 52, 4);
        int x0 = b.left + 10, x1 = b.right - 10, y0 = b.bottom + 5, y1 = b.top - 5;
        EXPECT_TRUE(same(f.at(x0, y0), green));
        EXPECT_TRUE(same(f.at(x1, y0), blue));
        EXPECT_TRUE(same(f.at(x0, y1), red));
        EXPECT_TRUE(same(f.at(x1, y1), white));
    }
    EXPECT_EQ(boxes[0].left, boxes[1].left);
    EXPECT_EQ(boxes[0].top, boxes[1].top);

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 1600);
    EXPECT_EQ(viewport[3], 900);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));

    // A zero scale leaves nothing to see.
    clear_black();
    draw_panel_tile(0, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(lit_box(read_frame(1600, 900)).right, -1);

    overlay_target = saved_overlay;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &fbo);
    glDeleteTextures(1, &panel);
    glDeleteTextures(1, &target);
    glDisable(GL_TEXTURE_2D);
}

TEST(PlatesGl, PanelTileShowsThePanelUnlitWhateverLightingIsOn) {
    // The closing sequence draws the tile right after the countdown pass has
    // restored a state with lighting on and colour material off; a dim light
    // would bring the panel down to a few per cent of its colours.
    open_test_window();
    GLuint target = 0, fbo = 0;
    glGenTextures(1, &target);
    glBindTexture(GL_TEXTURE_2D, target);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1600, 900, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
    const Rgba panel_green{87, 138, 61, 255};
    GLuint panel = make_texture(panel_green, panel_green, panel_green, panel_green);
    GLuint saved_overlay = overlay_target;
    overlay_target = panel;

    clear_black();
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glDisable(GL_COLOR_MATERIAL);
    const float dim[4] = {0.05f, 0.05f, 0.05f, 1};
    glLightfv(GL_LIGHT0, GL_DIFFUSE, dim);
    glLightfv(GL_LIGHT0, GL_AMBIENT, dim);
    draw_panel_tile(0.5f, -0.15f, 0.5f, 180, 180, 180, 1, 1, 1);
    Frame f = read_frame(1600, 900);
    Box b = lit_box(f);
    ASSERT_GT(b.right, b.left);
    Rgba centre = f.at((b.left + b.right) / 2, (b.bottom + b.top) / 2);
    EXPECT_NEAR(centre.r, panel_green.r, 1);
    EXPECT_NEAR(centre.g, panel_green.g, 1);
    EXPECT_NEAR(centre.b, panel_green.b, 1);
    // Only the tile is unlit: what comes after it draws as before.
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));

    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHTING);
    const float unit[4] = {1, 1, 1, 1}, none[4] = {0, 0, 0, 1};
    glLightfv(GL_LIGHT0, GL_DIFFUSE, unit);
    glLightfv(GL_LIGHT0, GL_AMBIENT, none);
    overlay_target = saved_overlay;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &fbo);
    glDeleteTextures(1, &panel);
    glDeleteTextures(1, &target);
    glDisable(GL_TEXTURE_2D);
}

TEST(LinesGl, BridgeSetsItsStateAndDrawsOnlyAfterItsStart) {
    open_test_window();
    glViewport(0, 0, 1280, 720);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    ClothSheet a, b;
    a.rows = b.rows = 2;
    a.columns = b.columns = 1;
    a.particles.resize(2);
    b.particles.resize(2);
    a.particles[0].position = Vec3{-0.5, 0.5, 0};
    b.particles[0].position = Vec3{0.5, -0.5, 0};
    demo.shade_switch = 1;
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    for (float time : {1100.0f, 1200.0f}) {
        demo_time = time;
        clear_black();
        LineBatch bridge;
        collect_sheet_bridge(a, b, bridge);
        draw_sheet_bridge(bridge);
        Box box = lit_box(read_frame(1280, 720));
        if (time <= 1100.0f) {
            EXPECT_EQ(box.right, -1);
        } else {
            // The bow reaches from the left sheet's point to the right one's.
            EXPECT_NEAR(box.left, 320, 4);
            EXPECT_NEAR(box.right, 960, 4);
        }
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_TRUE(glIsEnabled(GL_BLEND));
        EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
        EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    }
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    demo_time = 0;
    reset_demo_state();
}

namespace {

// The model-view stack holds 32 entries and the show leans on every save
// being matched; a drawer must hand back the matrix, the stack depth and
// the matrix mode it found.
struct MatrixState {
    GLint depth, mode;
    GLfloat m[16];
};
MatrixState matrix_state() {
    MatrixState s{};
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &s.depth);
    glGetIntegerv(GL_MATRIX_MODE, &s.mode);
    glGetFloatv(GL_MODELVIEW_MATRIX, s.m);
    return s;
}
void expect_same_matrix(const MatrixState& before, const char* what) {
    MatrixState after = matrix_state();
    EXPECT_EQ(after.depth, before.depth) << what;
    EXPECT_EQ(after.mode, before.mode) << what;
    for (int k = 0; k < 16; ++k) EXPECT_EQ(after.m[k], before.m[k]) << what << " " << k;
}

// The unit square as the whole 1280 x 720 window, shapes in white.
void unit_view() {
    glViewport(0, 0, 1280, 720);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -1, 1);
    clear_black();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glColor4f(1, 1, 1, 1);
    glLineWidth(1);
}

}  // namespace

TEST(ShapesGl, EachShapeLandsWhereItsVerticesSayAndKeepsTheMatrix) {
    open_test_window();
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);

    // rect moves to (x, y) inside a save and restore of its own.
    unit_view();
    MatrixState before = matrix_state();
    rect(0.0f, -0.5f, 0.5f, 1.0f);
    expect_same_matrix(before, "rect");
    Box b = lit_box(read_frame(1280, 720));
    EXPECT_NEAR(b.left, 640, 2);
    EXPECT_NEAR(b.right + 1, 960, 2);
    EXPECT_NEAR(b.bottom, 180, 2);
    EXPECT_NEAR(b.top + 1, 540, 2);

    // The spike: x to 1.5 x along +x, 1.95 x above and below.
    unit_view();
    draw_spike(0.4f);
    expect_same_matrix(before, "spike");
    b = lit_box(read_frame(1280, 720));
    EXPECT_NEAR(b.left, (1 + 0.4) * 640, 2);
    EXPECT_NEAR(b.right + 1, (1 + 0.6) * 640, 2);
    EXPECT_NEAR(b.bottom, (1 - 0.78) * 360, 2);
    EXPECT_NEAR(b.top + 1, (1 + 0.78) * 360, 2);

    // The rippled ellipse: radius x to x + 0.01, 1.2 times taller.
    unit_view();
    demo_time = 500.25f;
    draw_ripple_ellipse(0.5f);
    expect_same_matrix(before, "ellipse");
    b = lit_box(read_frame(1280, 720));
    EXPECT_NEAR(b.left, (1 - 0.51) * 640, 3);
    EXPECT_NEAR(b.right + 1, (1 + 0.51) * 640, 3);
    EXPECT_NEAR(b.bottom, (1 - 0.612) * 360, 3);
    EXPECT_NEAR(b.top + 1, (1 + 0.612) * 360, 3);

    // The star stays inside its ring.
    unit_view();
    draw_star_dot(0.5f);
    expect_same_matrix(before, "star");
    b = lit_box(read_frame(1280, 720));
    EXPECT_GE(b.right, b.left);
    EXPECT_GE(b.left, (1 - 0.5) * 640 - 2);
    EXPECT_LE(b.right + 1, (1 + 0.5) * 640 + 2);
    EXPECT_GE(b.bottom, (1 - 0.6) * 360 - 2);
    EXPECT_LE(b.top + 1, (1 + 0.6) * 360 + 2);

    // Nothing else changes: colour and line width are the caller's.
    GLfloat colour[4], width = 0;
    glGetFloatv(GL_CURRENT_COLOR, colour);
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(width, 1.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    demo_time = 0;
}

TEST(PlatesGl, PlateAndTileHandBackTheModelViewStack) {
    open_test_window();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.25f, -0.5f, 2.0f);  // a caller's matrix worth keeping
    glPushMatrix();                    // and one save of the caller's own
    MatrixState before = matrix_state();
    GLuint image = make_texture(red, red, green, green);
    draw_plate(static_cast<int>(image), 1.0f, 3.0f);
    expect_same_matrix(before, "plate");
    for (int k = 0; k < 40; ++k) draw_panel_tile(0.1f, 0.2f, 0.3f, 10, 20, 30, 1, 1, 1);
    expect_same_matrix(before, "tile");
    glPopMatrix();
    glLoadIdentity();
    glDeleteTextures(1, &image);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glViewport(0, 0, 1280, 720);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(LinesGl, BridgeAndLinksSaveNoMatrix) {
    open_test_window();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(30, 0, 1, 0);
    MatrixState before = matrix_state();
    ClothSheet a, b;
    a.rows = b.rows = 2;
    a.columns = b.columns = 3;
    a.particles.resize(6);
    b.particles.resize(6);
    for (int k = 0; k < 6; ++k) b.particles[k].position = Vec3{0.5, -0.5, 0};
    for (Vec3& p : cloud_positions) p = Vec3{0.1, 0.2, 0.3};
    demo_time = 1300;
    for (int shade : {0, 1}) {
        demo.shade_switch = shade;
        LineBatch bridge, links;
        collect_sheet_bridge(a, b, bridge);
        collect_cloud_links(a, links);
        draw_sheet_bridge(bridge);
        draw_cloud_links(links);
        expect_same_matrix(before, shade ? "pulse" : "flicker");
    }
    glLoadIdentity();
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    demo_time = 0;
    reset_demo_state();
}
