// The glyph font built from a real seven-segment TrueType file and drawn
// into an offscreen 1280 x 720 buffer: line splitting, the "1" shift, the
// caller's modelview, and the state that print hands back.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <vector>

#include "support/gl_window.h"
#include "support/test_font.h"
#include "text/font.h"

namespace {

constexpr int width = 1280, height = 720;

struct Box {
    int left = width, right = -1, bottom = height, top = -1;
    bool empty() const { return right < 0; }
};

class GlyphFontTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        open_test_window();
        build_test_font("tangle-text-font");

        glGenFramebuffers(1, &fbo);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        GLuint colour;
        glGenRenderbuffers(1, &colour);
        glBindRenderbuffer(GL_RENDERBUFFER, colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
        ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    }

    void SetUp() override {
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glViewport(0, 0, width, height);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor4f(1, 1, 1, 1);
    }

    // Bounding box of the pixels whose red channel is lit.
    static Box lit_box() {
        std::vector<unsigned char> pixels(width * height * 4);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        Box box;
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++)
                if (pixels[4 * (y * width + x)] > 64) {
                    box.left = std::min(box.left, x);
                    box.right = std::max(box.right, x);
                    box.bottom = std::min(box.bottom, y);
                    box.top = std::max(box.top, y);
                }
        return box;
    }

    static Box printed_box(float x, float y, const char* text) {
        glClear(GL_COLOR_BUFFER_BIT);
        freetype::print(our_font, x, y, "%s", text);
        return lit_box();
    }

    static GLuint fbo;
};

GLuint GlyphFontTest::fbo = 0;

TEST_F(GlyphFontTest, BuildsTexturesForAllCodesAndTheAtlas) {
    EXPECT_FLOAT_EQ(our_font.pixel_height, 64);
    EXPECT_TRUE(glIsTexture(our_font.atlas));
    GLint w = 0, h = 0;
    glBindTexture(GL_TEXTURE_2D, our_font.glyph_textures[' ']);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    EXPECT_EQ(w, 1);  // a space has an empty bitmap
    EXPECT_EQ(h, 1);
    glBindTexture(GL_TEXTURE_2D, our_font.glyph_textures['8']);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    EXPECT_GT(w, 16);
    EXPECT_EQ(w & (w - 1), 0);  // a power of two
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlyphFontTest, DrawsAtTheBaselineInTheCurrentColour) {
    glColor4f(1, 0, 0, 1);
    Box box = printed_box(200, 300, "8");
    ASSERT_FALSE(box.empty());
    // The digit stands on the baseline, its bottom segment at most 5 pixels under it.
    EXPECT_GE(box.bottom, 295);
    EXPECT_LE(box.bottom, 301);
    EXPECT_GT(box.top, 330);
    EXPECT_GE(box.left, 195);
    EXPECT_LT(box.right, 280);
}

TEST_F(GlyphFontTest, SecondLineSitsOneLineHeightLower) {
    Box one = printed_box(200, 400, "8");
    Box two = printed_box(200, 400, "8\n8");
    EXPECT_EQ(two.top, one.top);
    EXPECT_NEAR(two.bottom, one.bottom - 101.587, 1.5);
    // A trailing newline adds only an empty line.
    Box trailing = printed_box(200, 400, "8\n");
    EXPECT_EQ(trailing.bottom, one.bottom);
    EXPECT_EQ(trailing.left, one.left);
}

TEST_F(GlyphFontTest, TextBeginningWithOneMovesRight26Pixels) {
    // Code 128 draws nothing and keeps the pen, so the second text draws the
    // same "1" without beginning with one.
    Box shifted = printed_box(200, 300, "1");
    Box plain = printed_box(226, 300,
                            "\x80"
                            "1");
    ASSERT_FALSE(shifted.empty());
    EXPECT_EQ(shifted.left, plain.left);
    EXPECT_EQ(shifted.right, plain.right);
    // A "1" further in takes no shift: "81" is "8" then the pen's "1".
    Box eight = printed_box(200, 300, "8");
    Box eight_one = printed_box(200, 300, "81");
    EXPECT_EQ(eight_one.left, eight.left);
}

TEST_F(GlyphFontTest, CallerModelviewScalesAboutTheLineOrigin) {
    Box normal = printed_box(200, 200, "8");
    glClear(GL_COLOR_BUFFER_BIT);
    glPushMatrix();
    glScalef(2, 2, 1);
    freetype::print(our_font, 200, 200, "8");
    glPopMatrix();
    Box big = lit_box();
    EXPECT_NEAR(big.top - 200, 2 * (normal.top - 200), 3);
    EXPECT_NEAR(big.right - 200, 2 * (normal.right - 200), 3);
    // A caller translation moves text by pixels.
    glClear(GL_COLOR_BUFFER_BIT);
    glTranslatef(10, -5, 0);
    freetype::print(our_font, 200, 200, "8");
    glLoadIdentity();
    Box moved = lit_box();
    EXPECT_EQ(moved.left, normal.left + 10);
    EXPECT_EQ(moved.bottom, normal.bottom - 5);
}

TEST_F(GlyphFontTest, HandsTheCallersStateBack) {
    glMatrixMode(GL_PROJECTION);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glListBase(7);
    glColor4f(0.25f, 0.5f, 0.75f, 1);
    GLfloat projection_before[16], modelview_before[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection_before);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview_before);

    for (const char* format : {static_cast<const char*>(nullptr), "8\n8"}) {
        freetype::print(our_font, 100, 100, format);
        GLint mode, base, src, dst;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        glGetIntegerv(GL_LIST_BASE, &base);
        glGetIntegerv(GL_BLEND_SRC, &src);
        glGetIntegerv(GL_BLEND_DST, &dst);
        EXPECT_EQ(mode, GL_PROJECTION);
        EXPECT_EQ(base, 7);
        EXPECT_EQ(src, GL_ONE);
        EXPECT_EQ(dst, GL_ONE);
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        GLfloat colour[4], projection[16], modelview[16];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_FLOAT_EQ(colour[1], 0.5f);
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
        for (int k = 0; k < 16; k++) {
            EXPECT_EQ(projection[k], projection_before[k]);
            EXPECT_EQ(modelview[k], modelview_before[k]);
        }
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_MODELVIEW);
}

TEST_F(GlyphFontTest, NullFormatDrawsNothing) {
    freetype::print(our_font, 200, 300, nullptr);
    EXPECT_TRUE(lit_box().empty());
}

}  // namespace
