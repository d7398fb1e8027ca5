// Start-up, render targets and image loading, with a real GL context (Xvfb).
#include <GL/glew.h>

#include <algorithm>
#include <cstdlib>

#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>

#include "app/frame.h"
#include "app/startup.h"
#include "app/targets.h"

namespace {

GLint bound(GLenum what) {
    GLint v = 0;
    glGetIntegerv(what, &v);
    return v;
}

GLint internal_format(GLint texture) {
    GLint v = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &v);
    return v;
}

// Makes a small PNG of the given ffmpeg pixel format in /tmp; "" if ffmpeg is absent.
std::string make_png(const char* pix_fmt, bool alpha) {
    std::string path = std::string("/tmp/tangle-test-") + pix_fmt + ".png";
    std::string source = alpha ? "color=c=red@0.5:s=7x5,format=rgba" : "color=c=red:s=7x5";
    std::string cmd = "ffmpeg -loglevel error -y -f lavfi -i " + source + " -frames:v 1 -pix_fmt " + pix_fmt +
                      " " + path + " 2>/dev/null";
    return std::system(cmd.c_str()) == 0 ? path : "";
}

class StartUp : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        static char name[] = "tangle";
        static char* argv[] = {name, nullptr};
        start_up(1, argv);
    }
};

}  // namespace

TEST_F(StartUp, LeavesTheSceneTargetBound) {
    EXPECT_EQ(bound(GL_FRAMEBUFFER_BINDING), static_cast<GLint>(scene_fbo));
    EXPECT_EQ(bound(GL_TEXTURE_BINDING_2D), static_cast<GLint>(scene_target));
}

TEST_F(StartUp, FillsSlotsOneToFortyNineInFileOrder) {
    EXPECT_EQ(textures[0], 0);
    for (int slot = 50; slot < 100; slot++) EXPECT_EQ(textures[slot], 0) << slot;
    for (int slot = 1; slot <= 49; slot++) {
        ASSERT_NE(textures[slot], 0) << texture_file(slot);
        if (slot > 1) {
            EXPECT_GT(textures[slot], textures[slot - 1]) << slot;
        }
    }
}

TEST_F(StartUp, TargetsAreCompleteAtTheirSizes) {
    struct Target {
        GLuint fbo, colour;
        int w, h;
    } targets[] = {{scene_fbo, scene_target, 1600, 900}, {overlay_fbo, overlay_target, 238, 80}};
    for (const Target& t : targets) {
        glBindFramebuffer(GL_FRAMEBUFFER, t.fbo);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
        GLint w = 0, h = 0;
        glBindTexture(GL_TEXTURE_2D, t.colour);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
        EXPECT_EQ(w, t.w);
        EXPECT_EQ(h, t.h);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, scene_fbo);
}

TEST_F(StartUp, ImagesUploadWithTheirOwnComponents) {
    std::string rgba = make_png("rgba", true), rgb = make_png("rgb24", false);
    if (rgba.empty() || rgb.empty()) GTEST_SKIP() << "ffmpeg is needed to make test images";
    // Built from four and three components (the driver reports the count or the format).
    GLint four = internal_format(load_texture(rgba.c_str())),
          three = internal_format(load_texture(rgb.c_str()));
    EXPECT_TRUE(four == 4 || four == GL_RGBA) << four;
    EXPECT_TRUE(three == 3 || three == GL_RGB) << three;
}

TEST_F(StartUp, OddPngLayoutsLoadSafely) {
    // Palette, grey and 16-bit images are converted before the upload.
    for (const char* fmt : {"pal8", "gray", "rgb48be", "ya8"}) {
        std::string path = make_png(fmt, std::string(fmt) == "ya8");
        if (path.empty()) continue;
        GLint name = load_texture(path.c_str());
        EXPECT_NE(name, 0) << fmt;
        GLint w = 0;
        glBindTexture(GL_TEXTURE_2D, name);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        EXPECT_GT(w, 0) << fmt;
    }
}

TEST_F(StartUp, MissingOrHugeImageLeavesNameZero) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(load_texture("gfx/no-such-image.png"), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("tangle: gfx/no-such-image.png"), std::string::npos) << err;

    // Refused from its header alone, before gigabytes are decoded: the file
    // holds no pixels, so a decoder would fail with another message.
    const char* huge = "/tmp/tangle-test-huge.png";
    std::FILE* f = std::fopen(huge, "wb");
    ASSERT_NE(f, nullptr);
    const unsigned char header[24] = {
        0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0,    13,
        'I',  'H', 'D', 'R', 0,    0,    0,    1,    0, 0, 0x1f, 0x40};  // 1 x 8000
    std::fwrite(header, 1, sizeof header, f);
    std::fclose(f);
    testing::internal::CaptureStderr();
    EXPECT_EQ(load_texture(huge), 0);
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, std::string("tangle: ") + huge +
                       ": 1 x 8000 pixels, over the 4096 a side the show takes; not loaded\n");

    // The size comes from the content, whatever the name: an 8000 x 8000
    // JPEG named .png (its header only) is refused the same way.
    const char* jpeg = "/tmp/tangle-test-jpeg.png";
    f = std::fopen(jpeg, "wb");
    const unsigned char sof[] = {0xFF, 0xD8, 0xFF, 0xE0, 0,    4,    0,    0,   0xFF,
                                 0xC0, 0,    17,   8,    0x1f, 0x40, 0x1f, 0x40};
    std::fwrite(sof, 1, sizeof sof, f);
    std::fclose(f);
    testing::internal::CaptureStderr();
    EXPECT_EQ(load_texture(jpeg), 0);
    err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(": 8000 x 8000 pixels, over the 4096"), std::string::npos) << err;

    // A FIFO with no writer is refused at once instead of waited on for ever.
    const char* fifo = "/tmp/tangle-test-fifo.png";
    std::remove(fifo);
    ASSERT_EQ(mkfifo(fifo, 0600), 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(load_texture(fifo), 0);
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, std::string("tangle: ") + fifo + ": not a regular file; not loaded\n");
    std::remove(fifo);

    // A PNG cut short after its header: one line of ours, none of libpng's.
    const char* cut = "/tmp/tangle-test-cut.png";
    f = std::fopen(cut, "wb");
    const unsigned char small[33] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0,
                                     13,   'I', 'H', 'D', 'R',  0,    0,    0,    4, 0, 0,
                                     0,    4,   8,   2,   0,    0,    0,    1,    2, 3, 4};
    std::fwrite(small, 1, sizeof small, f);
    std::fclose(f);
    testing::internal::CaptureStderr();
    EXPECT_EQ(load_texture(cut), 0);
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind(std::string("tangle: ") + cut, 0), 0u) << err;
    EXPECT_EQ(err.find("libpng"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

TEST_F(StartUp, ClearColourFrameReachesTheComposedPicture) {
    draw_frame();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, compose_framebuffer());
    unsigned char px[3] = {};
    glReadPixels(640, 360, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, px);
    // At T 0 with no command the picture is the first clear colour.
    EXPECT_NEAR(px[0], 0.4433 * 255, 2);
    EXPECT_NEAR(px[1], 0.4342 * 255, 2);
    EXPECT_NEAR(px[2], 0.442 * 255, 2);
}
