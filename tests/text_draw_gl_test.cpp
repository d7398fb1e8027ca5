// The countdown panel and the end credits drawn for real: the panel's pass
// renders into the overlay target in the palette of the time, and the credits
// put their bars and picture where the layout says.
#include <GL/glew.h>

#include <cmath>

#include <gtest/gtest.h>

#include <vector>

#include "app/frame.h"
#include "app/targets.h"
#include "audio/music.h"
#include "scenes/captions.h"
#include "support/gl_window.h"
#include "support/test_font.h"
#include "text/credits.h"
#include "text/font.h"

namespace {

struct Rgb8 {
    int r, g, b;
};

GLuint make_target(int w, int h, GLuint* texture) {
    GLuint fbo;
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glGenTextures(1, texture);
    glBindTexture(GL_TEXTURE_2D, *texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, *texture, 0);
    return fbo;
}

std::vector<Rgb8> read_pixels(GLuint fbo, int w, int h) {
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    std::vector<unsigned char> raw(static_cast<size_t>(w * h * 4));
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
    std::vector<Rgb8> pixels(static_cast<size_t>(w * h));
    for (size_t k = 0; k < pixels.size(); k++) pixels[k] = {raw[4 * k], raw[4 * k + 1], raw[4 * k + 2]};
    return pixels;
}

bool near(Rgb8 p, float r, float g, float b) {
    return std::abs(p.r - r * 255) <= 3 && std::abs(p.g - g * 255) <= 3 && std::abs(p.b - b * 255) <= 3;
}

int count_near(const std::vector<Rgb8>& pixels, float r, float g, float b) {
    int n = 0;
    for (Rgb8 p : pixels) n += near(p, r, g, b);
    return n;
}

class TextDrawTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        open_test_window();
        build_test_font("tangle-text-draw");
        window_width = 1280;
        window_height = 720;
        overlay_fbo = make_target(238, 80, &overlay_target);
        scene_fbo = make_target(1600, 900, &scene_target);
        screen_fbo = make_target(1280, 720, &screen_texture);
    }

    static GLuint screen_fbo, screen_texture;
};

GLuint TextDrawTest::screen_fbo = 0, TextDrawTest::screen_texture = 0;

void run_countdown_pass(float time) {
    demo_time = time;
    glBindFramebuffer(GL_FRAMEBUFFER, scene_fbo);
    glViewport(0, 0, 1600, 900);
    draw_countdown_pass();
}

TEST_F(TextDrawTest, CountdownPanelIsGreenUpTo1300) {
    run_countdown_pass(1300);
    GLint bound;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), scene_fbo);  // the scene target is back
    std::vector<Rgb8> panel = read_pixels(overlay_fbo, 238, 80);
    // Below the digits' baseline only the inner quad shows.
    EXPECT_TRUE(near(panel[5 * 238 + 120], 0.34f, 0.54f, 0.24f));
    EXPECT_TRUE(near(panel[5 * 238 + 230], 0.34f, 0.54f, 0.24f));
    EXPECT_GT(count_near(panel, 0.4f, 1.0f, 0.4f), 200);  // lit digits
    EXPECT_GT(count_near(panel, 0.4f, 0.5f, 0.3f), 50);   // unlit eights
}

TEST_F(TextDrawTest, CountdownPanelIsMagentaAbove1300) {
    run_countdown_pass(1300.5f);
    std::vector<Rgb8> panel = read_pixels(overlay_fbo, 238, 80);
    EXPECT_TRUE(near(panel[5 * 238 + 120], 150 / 255.0f, 35 / 255.0f, 109 / 255.0f));
    EXPECT_GT(count_near(panel, 220 / 255.0f, 135 / 255.0f, 209 / 255.0f), 200);
    EXPECT_EQ(count_near(panel, 0.4f, 1.0f, 0.4f), 0);
    EXPECT_GT(count_near(panel, 0.4f, 0.5f, 0.3f), 50);
}

TEST_F(TextDrawTest, CreditsShowOnlyTheTitleBeforeTheFinalePlays) {
    glBindFramebuffer(GL_FRAMEBUFFER, screen_fbo);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    credits_last_position = 2.0f;
    credits_scroll = 0;
    advance_end_credits();
    draw_end_credits(-0.05f, -0.34f);
    std::vector<Rgb8> screen = read_pixels(screen_fbo, 1280, 720);
    auto at = [&](float x, float y) {
        return screen[static_cast<size_t>(static_cast<int>(y * 720) * 1280 + static_cast<int>(x * 1280))];
    };
    // Title bar: 0.16 to 0.61 across, 0.563 to 0.655 up (inner quad), under
    // the text whose baseline is at 410.2 pixels.
    Rgb8 inner = at(0.5f, 0.5625f + 0.003f);
    EXPECT_TRUE(near(inner, 150 / 255.0f, 35 / 255.0f, 109 / 255.0f))
        << inner.r << " " << inner.g << " " << inner.b;
    EXPECT_TRUE(near(at(0.65f, 0.6f), 0, 0, 0));
    EXPECT_TRUE(near(at(0.12f, 0.6f), 0, 0, 0));
    EXPECT_TRUE(near(at(0.5f, 0.3f), 0, 0, 0));  // line 8 is still below the screen
    EXPECT_GT(count_near(screen, 220 / 255.0f, 135 / 255.0f, 209 / 255.0f), 100);
    EXPECT_FLOAT_EQ(credits_offset, 0);
}

TEST_F(TextDrawTest, CreditsRiseWithTheirClockAndShowThePicture) {
    glBindFramebuffer(GL_FRAMEBUFFER, screen_fbo);
    glClear(GL_COLOR_BUFFER_BIT);
    // A scroll of 15 lifts every line by one screen height.
    credits_last_position = 0;
    credits_scroll = 15.0f;
    advance_end_credits();
    draw_end_credits(-0.05f, -0.34f);
    EXPECT_FLOAT_EQ(credits_offset, 1.0f);
    std::vector<Rgb8> screen = read_pixels(screen_fbo, 1280, 720);
    auto at = [&](float x, float y) {
        return screen[static_cast<size_t>(static_cast<int>(y * 720) * 1280 + static_cast<int>(x * 1280))];
    };
    // Line 10's bar now stands where the title's stood; it is 36 wide, so it
    // reaches past the right edge.
    EXPECT_TRUE(near(at(0.98f, 0.57f), 150 / 255.0f, 35 / 255.0f, 109 / 255.0f));
    // The picture plate (slot 49, untextured here) spans 0.22 to 0.78 across
    // and about -0.21 to 0.35 up.
    Rgb8 plate = at(0.5f, 0.1f);
    EXPECT_GT(plate.r + plate.g + plate.b, 600) << plate.r << " " << plate.g << " " << plate.b;
    EXPECT_TRUE(near(at(0.15f, 0.1f), 0, 0, 0));
}

}  // namespace
