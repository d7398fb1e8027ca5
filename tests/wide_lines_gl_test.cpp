// Smooth wide lines drawn as quads against the same lines drawn by GL, on
// softpipe (ctest sets it), whose smooth lines are the pictures the show's
// are judged against: lines of every width the show uses, in perspective,
// blended by alpha and by colour, must come out well within the bound the
// show's pictures keep (under 1 % of the pixels off by more than 4 %, at
// least 38 dB): here under 0.2 % of the lines' pixels and 45 dB, as a half
// pixel of width or a wrong ramp would break. The quads must also leave GL's
// state as they found it.
#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

#include <vector>

#include "core/wide_lines_draw.h"
#include "support/gl_window.h"

namespace {

constexpr int width = 1280, height = 720;

struct Line {
    float a[3], b[3], width, rgba_a[4], rgba_b[4];
};

// Lines in a box before the camera, as the show's are: mostly short steps
// of a path, some long strands, little depth along any one (GL's smooth
// lines on softpipe interpolate their coverage with perspective across the
// two triangles of a line, which quads cut at the middle can't follow along
// a line that recedes steeply). Widths 0.2 to 6, colours past 1 too (GL
// clamps them).
std::vector<Line> some_lines() {
    uint32_t seed = 12345;
    auto unit = [&seed]() {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<float>(seed >> 8) / 16777216.0f;
    };
    std::vector<Line> lines(1500);
    for (Line& l : lines) {
        for (int k = 0; k < 3; ++k) l.a[k] = unit() * 4 - 2;
        l.a[2] -= 6;
        const float reach = unit() < 0.8f ? 0.08f : 1.5f;
        for (int k = 0; k < 2; ++k) l.b[k] = l.a[k] + (unit() - 0.5f) * reach;
        l.b[2] = l.a[2] + (unit() - 0.5f) * 0.05f;
        l.width = 0.2f + unit() * 5.8f;
        for (int k = 0; k < 4; ++k) {
            l.rgba_a[k] = unit() * 1.4f;
            l.rgba_b[k] = unit() * 1.4f;
        }
    }
    return lines;
}

void set_scene(GLenum source, GLenum destination) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-0.16, 0.16, -0.09, 0.09, 0.2, 20);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(20, 0.3f, 1, 0.1f);
    glClearColor(0.3f, 0.2f, 0.25f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_BLEND);
    glBlendFunc(source, destination);
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    // The show leaves these on; the quads must not be culled or smoothed as polygons.
    glEnable(GL_CULL_FACE);
    glEnable(GL_POLYGON_SMOOTH);
}

std::vector<uint8_t> read_rgb() {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

std::vector<uint8_t> draw_as_gl_lines(const std::vector<Line>& lines) {
    for (const Line& l : lines) {
        glLineWidth(l.width);
        glBegin(GL_LINES);
        glColor4fv(l.rgba_a);
        glVertex3fv(l.a);
        glColor4fv(l.rgba_b);
        glVertex3fv(l.b);
        glEnd();
    }
    return read_rgb();
}

std::vector<uint8_t> draw_as_quads(const std::vector<Line>& lines, bool coverage) {
    const WideLineView view = current_line_view();
    WideLineMesh mesh;
    clear_wide_lines(mesh, coverage);
    for (const Line& l : lines) add_wide_line(mesh, view.space, l.a, l.b, l.width, l.rgba_a, l.rgba_b);
    draw_wide_lines(view, mesh);
    return read_rgb();
}

// Of the pixels either picture changed from the background: how many differ
// by more than 4 % on some channel, as a share, and the PSNR over them.
void expect_within_bound(const std::vector<uint8_t>& lines, const std::vector<uint8_t>& quads) {
    const uint8_t background[3] = {77, 51, 64};
    long touched = 0, off = 0;
    double squared = 0;
    for (size_t p = 0; p < lines.size(); p += 3) {
        bool lit = false;
        int worst = 0;
        for (int c = 0; c < 3; ++c) {
            lit = lit || std::abs(lines[p + c] - background[c]) > 1 ||
                  std::abs(quads[p + c] - background[c]) > 1;
            const int d = std::abs(lines[p + c] - quads[p + c]);
            worst = std::max(worst, d);
            squared += static_cast<double>(d) * d;
        }
        if (!lit) continue;
        touched++;
        if (worst > 10) off++;
    }
    ASSERT_GT(touched, 20000);
    EXPECT_LT(static_cast<double>(off) / static_cast<double>(touched), 0.002) << off << " of " << touched;
    const double mse = squared / static_cast<double>(touched * 3);
    EXPECT_GT(10 * std::log10(255.0 * 255.0 / std::max(mse, 1e-9)), 38.0);
}

TEST(WideLinesGl, MatchSmoothLinesBlendedByAlphaAndByColour) {
    open_test_window();
    const std::vector<Line> lines = some_lines();
    for (bool coverage : {true, false}) {
        SCOPED_TRACE(coverage ? "alpha blend, with coverage" : "colour blend, extent only");
        const GLenum source = coverage ? GL_SRC_ALPHA : GL_SRC_COLOR;
        const GLenum destination = coverage ? GL_ONE_MINUS_SRC_ALPHA : GL_DST_COLOR;
        set_scene(source, destination);
        const std::vector<uint8_t> reference = draw_as_gl_lines(lines);
        set_scene(source, destination);
        float modelview[16], projection[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        glMatrixMode(GL_PROJECTION);  // the mode must come back too
        const std::vector<uint8_t> quads = draw_as_quads(lines, coverage);
        expect_within_bound(reference, quads);

        // Everything the quads change is put back.
        GLint mode = 0, active = 0, client_active = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
        glGetIntegerv(GL_CLIENT_ACTIVE_TEXTURE, &client_active);
        EXPECT_EQ(mode, GL_PROJECTION);
        EXPECT_EQ(active, GL_TEXTURE0);
        EXPECT_EQ(client_active, GL_TEXTURE0);
        EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
        EXPECT_TRUE(glIsEnabled(GL_POLYGON_SMOOTH));
        EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
        EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
        glActiveTexture(GL_TEXTURE1);
        GLint bound = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_EQ(bound, 0);
        glActiveTexture(GL_TEXTURE0);
        float after[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, after);
        for (int k = 0; k < 16; ++k) EXPECT_EQ(after[k], modelview[k]);
        glGetFloatv(GL_PROJECTION_MATRIX, after);
        for (int k = 0; k < 16; ++k) EXPECT_EQ(after[k], projection[k]);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        glMatrixMode(GL_MODELVIEW);
    }
}

}  // namespace
