// Cost of the sheet bridge: the segment computation alone, and drawn into a
// 1600 x 900 target (under Xvfb) one line per begin/end as shipped, against
// runs of lines sharing width and colour gathered into one primitive.
#include <GL/glew.h>
#include <GL/glu.h>
#include <benchmark/benchmark.h>

#include "audio/music.h"
#include "core/demo_state.h"
#include "effects/lines.h"
#include "physics/cloth.h"
#include "support/gl_window.h"

namespace {

void bm_bridge_segments(benchmark::State& state) {
    int shade = static_cast<int>(state.range(0));
    for (auto _ : state) {
        float sum = 0;
        for_each_sheet_bridge_segment(cloth_a, cloth_b, 1207.0f, shade,
                                      [&](const LineSegment& s) { sum += s.width; });
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(bm_bridge_segments)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void open_scene_target() {
    static bool ready = false;
    if (ready) return;
    open_test_window();
    GLuint colour, depth, fbo;
    glGenTextures(1, &colour);
    glBindTexture(GL_TEXTURE_2D, colour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1600, 900, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, 1600, 900);
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    glViewport(0, 0, 1600, 900);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(55, 16.0 / 9.0, 0.0001, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -2.5f);
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    ready = true;
}

void bm_draw_bridge(benchmark::State& state) {
    open_scene_target();
    demo.shade_switch = static_cast<int>(state.range(0));
    demo_time = 1207.0f;
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        LineBatch bridge;
        collect_sheet_bridge(cloth_a, cloth_b, bridge);
        draw_sheet_bridge(bridge);
        glFinish();
    }
}
BENCHMARK(bm_draw_bridge)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same lines, consecutive ones with equal width and colour in one
// GL_LINES primitive (same order, so the same picture).
void bm_draw_bridge_gathered(benchmark::State& state) {
    open_scene_target();
    int shade = static_cast<int>(state.range(0));
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glDisable(GL_LIGHTING);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        bool open = false;
        float width = -1, colour = -1;
        for_each_sheet_bridge_segment(
            cloth_a, cloth_b, 1207.0f, shade, [](int) {},
            [&](const LineSegment& s) {
                if (!open || s.width != width || s.red != colour) {
                    if (open) glEnd();
                    width = s.width;
                    colour = s.red;
                    glLineWidth(width);
                    glColor4f(s.red, s.green, s.blue, s.alpha);
                    glBegin(GL_LINES);
                    open = true;
                }
                glVertex3f(s.from.x, s.from.y, s.from.z);
                glVertex3f(s.to.x, s.to.y, s.to.z);
            });
        if (open) glEnd();
        glFinish();
    }
}
BENCHMARK(bm_draw_bridge_gathered)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
