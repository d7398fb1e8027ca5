// What each drawing routine costs to submit: the show is stepped to 130 s
// (late strands, the grown bridge, the links; 30 frames a second, the shipped
// storyboard) and each routine is then drawn again and again on that state,
// with a glFinish so that a rasterising driver's work counts too. Where a
// routine's submission changed, the old one is kept beside it as a "before"
// row. Run with GALLIUM_NOOP=1 to see the CPU side alone, under Xvfb from
// data/:
//   cd data && GALLIUM_NOOP=1 xvfb-run -a ../build/bench_draw
#include <GL/glew.h>
#include <GL/freeglut.h>

#include <algorithm>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "app/frame.h"
#include "app/seek.h"
#include "core/clock.h"
#include "core/demo_state.h"
#include "core/view.h"
#include "core/wide_lines_draw.h"
#include "driver.h"
#include "effects/lines.h"
#include "effects/shapes.h"
#include "physics/cloth.h"
#include "physics/cloud.h"
#include "physics/sheet_draw.h"
#include "scenes/captions.h"
#include "scenes/timeline.h"
#include "text/credits.h"
#include "text/font.h"
#include "text/overlays.h"

namespace {

constexpr long bench_frame = 3900;  // 130 s at 30 frames a second

void reach_the_moment() {
    static bool ready = false;
    if (ready) return;
    DriverOptions o;
    o.fps = 30;
    driver_start(o);
    for (long k = 0; k < bench_frame; k++) {
        if (frame_needs_drawing(k, bench_frame)) {
            driver_fast_forward(k != bench_frame);
            driver_run_frame(k);
        } else {
            driver_step_frame(k);
        }
    }
    driver_fast_forward(false);
    compute_normals(cloth_a);
    ready = true;
}

// demo_time set for one benchmark, put back after it.
struct TimeAt {
    float saved = demo_time;
    explicit TimeAt(float t) { demo_time = t; }
    ~TimeAt() { demo_time = saved; }
};

void bm_late_strands(benchmark::State& state) {
    reach_the_moment();
    for (auto _ : state) {
        draw_sheet(cloth_a, 0, 0);
        glFinish();
    }
    // How many of the segments set a width of their own, and how many differ
    // from the one before: the draws a submission by runs of equal width needs.
    int own = 0, changes = 0;
    float width = 1;
    for (int j = 0; j < cloth_a.columns; j++)
        for (int i = 0; i + 1 < cloth_a.rows; i++) {
            float w = late_segment_look(cloth_a, i, j).width;
            if (w <= 0) continue;
            own++;
            if (w != width) changes++;
            width = w;
        }
    state.counters["own_widths"] = own;
    state.counters["width_changes"] = changes;
}
BENCHMARK(bm_late_strands)->Unit(benchmark::kMillisecond);

// The late strands as they were submitted before they became quads (one line
// and one width each), and the same lines with one width for all: the
// difference is what the width changes themselves cost.
void submit_late_strands(bool own_widths) {
    for (int j = 0; j < cloth_a.columns; j++)
        for (int i = 0; i + 1 < cloth_a.rows; i++) {
            StrandSegmentLook look = late_segment_look(cloth_a, i, j);
            if (own_widths && look.width > 0) glLineWidth(look.width);
            glBegin(GL_LINE_STRIP);
            glColor4fv(look.near_rgba);
            const Vec3& p = sheet_particle(cloth_a, i, j).position;
            glVertex3f(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z));
            glColor4fv(look.far_rgba);
            const Vec3& q = sheet_particle(cloth_a, i + 1, j).position;
            glVertex3f(static_cast<float>(q.x), static_cast<float>(q.y), static_cast<float>(q.z));
            glEnd();
        }
}

void bm_late_strands_widths(benchmark::State& state) {
    reach_the_moment();
    const bool own_widths = state.range(0) != 0;
    glLineWidth(1);
    for (auto _ : state) {
        submit_late_strands(own_widths);
        glFinish();
    }
}
BENCHMARK(bm_late_strands_widths)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void bm_early_strands(benchmark::State& state) {
    reach_the_moment();
    TimeAt early(500);
    for (auto _ : state) {
        draw_sheet(cloth_a, 0, 0);
        glFinish();
    }
}
BENCHMARK(bm_early_strands)->Unit(benchmark::kMillisecond);

// The early strands as they were submitted before the vertex arrays: one
// begin/end pair, a normal and a vertex per end of every segment.
void bm_early_strands_immediate(benchmark::State& state) {
    reach_the_moment();
    const ClothSheet& s = cloth_a;
    for (auto _ : state) {
        glColor4f(0, 0, 0, 0);
        glBegin(GL_LINES);
        for (int j = 0; j < s.columns; j++)
            for (int i = 0; i + 1 < s.rows; i++)
                for (int k = i; k <= i + 1; k++) {
                    const Particle& p = sheet_particle(s, k, j);
                    glNormal3f(static_cast<float>(p.normal.x), static_cast<float>(p.normal.y),
                               static_cast<float>(p.normal.z));
                    glVertex3f(static_cast<float>(p.position.x), static_cast<float>(p.position.y),
                               static_cast<float>(p.position.z));
                }
        glEnd();
        glFinish();
    }
}
BENCHMARK(bm_early_strands_immediate)->Unit(benchmark::kMillisecond);

void bm_fins(benchmark::State& state) {
    reach_the_moment();
    for (auto _ : state) {
        draw_sheet(cloth_a, 1, 0);
        glFinish();
    }
}
BENCHMARK(bm_fins)->Unit(benchmark::kMillisecond);

// One fin corner in immediate mode, worked out on the spot, as the fins were
// submitted before they came from arrays.
void send_fin_corner(const ClothSheet& s, int k, int l) {
    const Particle& p = sheet_particle(s, k, l);
    float g = fin_grey(p.normal);
    float st[2];
    fin_texture_coords(k, l, s.rows, s.columns, st);
    glColor4f(g, g, g, 0.65f);
    glNormal3f(static_cast<float>(p.normal.x), static_cast<float>(p.normal.y),
               static_cast<float>(p.normal.z));
    glTexCoord2fv(st);
    glVertex3f(static_cast<float>(p.position.x), static_cast<float>(p.position.y),
               static_cast<float>(p.position.z));
}

// The fins as they were submitted before the vertex arrays: every quad in one
// begin/end pair, colour, normal, texture coordinates and vertex per corner.
void bm_fins_immediate(benchmark::State& state) {
    reach_the_moment();
    const ClothSheet& s = cloth_a;
    const int R = s.rows, S = s.columns;
    for (auto _ : state) {
        glBegin(GL_QUADS);
        for (int j = 0; j + 1 < S; j++)
            for (int i = 0; i + 1 < R; i++) {
                const int corners[4][2] = {{i, j}, {i + 1, j}, {i + 1, j + 1}, {i, j + 1}};
                for (const auto& kl : corners) send_fin_corner(s, kl[0], kl[1]);
            }
        glEnd();
        glFinish();
    }
}
BENCHMARK(bm_fins_immediate)->Unit(benchmark::kMillisecond);

// The fins as they were submitted before: one begin/end pair per quad and
// every corner worked out again for each quad it belongs to.
void bm_fins_per_quad(benchmark::State& state) {
    reach_the_moment();
    const ClothSheet& s = cloth_a;
    const int R = s.rows, S = s.columns;
    for (auto _ : state) {
        for (int j = 0; j + 1 < S; j++)
            for (int i = 0; i + 1 < R; i++) {
                const int corners[4][2] = {{i, j}, {i + 1, j}, {i + 1, j + 1}, {i, j + 1}};
                glBegin(GL_QUADS);
                for (const auto& kl : corners) send_fin_corner(s, kl[0], kl[1]);
                glEnd();
            }
        glFinish();
    }
}
BENCHMARK(bm_fins_per_quad)->Unit(benchmark::kMillisecond);

// The show's perspective looking at the segments' middle from far enough
// back to see them all, so that every segment is widened and none is clipped
// away (the matrices a frame leaves behind would clip most of them).
void look_at_segments(const std::vector<LineSegment>& segments) {
    double middle[3] = {0, 0, 0}, reach = 0;
    for (const LineSegment& s : segments) {
        middle[0] += s.from.x, middle[1] += s.from.y, middle[2] += s.from.z;
    }
    for (double& m : middle) m /= static_cast<double>(segments.size());
    for (const LineSegment& s : segments)
        reach = std::max({reach, std::abs(s.from.x - middle[0]), std::abs(s.from.y - middle[1])});
    load_show_perspective();
    glTranslated(-middle[0], -middle[1], -middle[2] - 3 * reach);
}

void bm_bridge(benchmark::State& state) {
    reach_the_moment();
    LineBatch bridge;
    collect_sheet_bridge(cloth_a, cloth_b, bridge);
    look_at_segments(bridge.segments);
    for (auto _ : state) {
        draw_sheet_bridge(bridge);
        glFinish();
    }
    state.counters["segments"] = static_cast<double>(bridge.segments.size());
    int changes = 0;
    float width = -1;
    for (const LineSegment& s : bridge.segments) {
        if (s.width != width) changes++;
        width = s.width;
    }
    state.counters["width_changes"] = changes;
}
BENCHMARK(bm_bridge)->Unit(benchmark::kMillisecond);

// The bridge's quads widened on the CPU alone: four lines at a time in vector
// lanes (1), and before that one line at a time (0); the same bits either way.
void bm_bridge_widening(benchmark::State& state) {
    reach_the_moment();
    LineBatch bridge;
    collect_sheet_bridge(cloth_a, cloth_b, bridge);
    look_at_segments(bridge.segments);
    const WideLineView view = current_line_view();
    std::vector<WideLine> lines;
    for (const LineSegment& s : bridge.segments)
        lines.push_back({{s.from.x, s.from.y, s.from.z},
                         {s.to.x, s.to.y, s.to.z},
                         s.width,
                         {s.red, s.green, s.blue, s.alpha},
                         {s.red, s.green, s.blue, s.alpha}});
    WideLineMesh mesh;
    reserve_wide_lines(mesh, lines.size());
    for (auto _ : state) {
        clear_wide_lines(mesh, true);
        if (state.range(0) == 1) {
            add_wide_lines(mesh, view.space, lines.data(), lines.size());
        } else {
            for (const WideLine& l : lines)
                add_wide_line(mesh, view.space, l.a, l.b, l.width, l.rgba_a, l.rgba_b);
        }
        benchmark::DoNotOptimize(mesh.position.data());
    }
    state.counters["drawn"] = mesh.lines;
    state.counters["vertices"] = static_cast<double>(mesh.vertices);
}
BENCHMARK(bm_bridge_widening)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The bridge as it was submitted before runs of one width shared a begin/end
// pair: every segment its own width call and its own pair.
void bm_bridge_per_segment(benchmark::State& state) {
    reach_the_moment();
    LineBatch bridge;
    collect_sheet_bridge(cloth_a, cloth_b, bridge);
    for (auto _ : state) {
        for (const LineSegment& s : bridge.segments) {
            glLineWidth(s.width);
            glColor4f(s.red, s.green, s.blue, s.alpha);
            glBegin(GL_LINES);
            glVertex3f(s.from.x, s.from.y, s.from.z);
            glVertex3f(s.to.x, s.to.y, s.to.z);
            glEnd();
        }
        glFinish();
    }
}
BENCHMARK(bm_bridge_per_segment)->Unit(benchmark::kMillisecond);

// The bridge as it was submitted before it became quads: runs of one width
// between one begin/end pair, the width set where it changes.
void bm_bridge_width_runs(benchmark::State& state) {
    reach_the_moment();
    LineBatch bridge;
    collect_sheet_bridge(cloth_a, cloth_b, bridge);
    const std::vector<LineSegment>& segments = bridge.segments;
    for (auto _ : state) {
        for (size_t k = 0; k < segments.size(); k++) {
            const LineSegment& s = segments[k];
            if (k == 0 || s.width != segments[k - 1].width) {
                if (k > 0) glEnd();
                glLineWidth(s.width);
                glBegin(GL_LINES);
            }
            glColor4f(s.red, s.green, s.blue, s.alpha);
            glVertex3f(s.from.x, s.from.y, s.from.z);
            glVertex3f(s.to.x, s.to.y, s.to.z);
        }
        if (!segments.empty()) glEnd();
        glFinish();
    }
}
BENCHMARK(bm_bridge_width_runs)->Unit(benchmark::kMillisecond);

void bm_links(benchmark::State& state) {
    reach_the_moment();
    LineBatch links;
    collect_cloud_links(cloth_a, links);
    for (auto _ : state) {
        draw_cloud_links(links);
        glFinish();
    }
    state.counters["segments"] = static_cast<double>(links.segments.size());
}
BENCHMARK(bm_links)->Unit(benchmark::kMillisecond);

void bm_cloud(benchmark::State& state) {
    reach_the_moment();
    for (auto _ : state) {
        draw_cloud();
        glFinish();
    }
}
BENCHMARK(bm_cloud)->Unit(benchmark::kMillisecond);

void bm_glow_sphere(benchmark::State& state) {
    reach_the_moment();
    for (auto _ : state) {
        draw_solid_sphere(0.15, 256);
        glFinish();
    }
}
BENCHMARK(bm_glow_sphere)->Unit(benchmark::kMillisecond);

void bm_anchor_sphere(benchmark::State& state) {
    reach_the_moment();
    for (auto _ : state) {
        draw_solid_sphere(static_cast<double>(0.2f), 32);
        glFinish();
    }
}
BENCHMARK(bm_anchor_sphere)->Unit(benchmark::kMillisecond);

// The spheres as GLUT draws them itself, as they were before the display
// lists: one array draw per stack.
void bm_sphere_glut(benchmark::State& state) {
    reach_the_moment();
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        glutSolidSphere(0.15, n, n);
        glFinish();
    }
}
BENCHMARK(bm_sphere_glut)->Arg(256)->Arg(32)->Unit(benchmark::kMillisecond);

void bm_ripple_ellipse(benchmark::State& state) {
    reach_the_moment();
    for (auto _ : state) {
        draw_ripple_ellipse(2.0f);
        glFinish();
    }
}
BENCHMARK(bm_ripple_ellipse)->Unit(benchmark::kMillisecond);

// The ellipse as it was submitted before: a begin/end pair of 721 vertices.
void bm_ripple_ellipse_immediate(benchmark::State& state) {
    reach_the_moment();
    for (auto _ : state) {
        glBegin(GL_LINE_LOOP);
        for_each_ripple_ellipse_vertex(2.0f, demo_time, [](ShapeVertex v) { glVertex2d(v.x, v.y); });
        glEnd();
        glFinish();
    }
}
BENCHMARK(bm_ripple_ellipse_immediate)->Unit(benchmark::kMillisecond);

void bm_countdown_panel(benchmark::State& state) {
    reach_the_moment();
    for (auto _ : state) {
        draw_countdown_pass();
        glFinish();
    }
}
BENCHMARK(bm_countdown_panel)->Unit(benchmark::kMillisecond);

void bm_captions(benchmark::State& state) {
    reach_the_moment();
    TimeAt before_the_gap(1000);
    for (auto _ : state) {
        draw_captions();
        glFinish();
    }
}
BENCHMARK(bm_captions)->Unit(benchmark::kMillisecond);

void bm_credits(benchmark::State& state) {
    reach_the_moment();
    const float saved = credits_offset;
    credits_offset = static_cast<float>(state.range(0)) / 10.0f;
    for (auto _ : state) {
        draw_end_credits(-0.05f, -0.34f);
        glFinish();
    }
    credits_offset = saved;
}
BENCHMARK(bm_credits)->Arg(0)->Arg(20)->Unit(benchmark::kMillisecond);

// The credits' bars as they were drawn before they shared one draw: per line
// two begin/end pairs with their colours (20 lines, the most on screen).
void bm_credit_bars_per_line(benchmark::State& state) {
    reach_the_moment();
    for (auto _ : state) {
        for (int k = 0; k < 20; k++) {
            const float y = -0.34f + 0.9f - 0.1f * static_cast<float>(k);
            glDisable(GL_TEXTURE_2D);
            glDisable(GL_LIGHTING);
            glDisable(GL_BLEND);
            glColor4f(120 / 255.0f, 35 / 255.0f, 109 / 255.0f, 1);
            fill_quad(0.01f, y, 0.6f, y + 0.094f);
            glColor4f(150 / 255.0f, 35 / 255.0f, 109 / 255.0f, 1);
            fill_quad(0.013f, y + 0.003f, 0.6f, y + 0.095f);
        }
        glFinish();
    }
}
BENCHMARK(bm_credit_bars_per_line)->Unit(benchmark::kMillisecond);

// A credits screen of text, 20 lines of 20 glyphs: printed from the atlas,
// and as it was before, each glyph its own texture, matrix save and quad.
constexpr char bench_line[] = "MUSIC BY VEXTOR 2026";

void bm_text(benchmark::State& state) {
    reach_the_moment();
    for (auto _ : state) {
        for (int k = 0; k < 20; k++) freetype::print(our_font, 80, 40.0f + 32.0f * k, "%s", bench_line);
        glFinish();
    }
}
BENCHMARK(bm_text)->Unit(benchmark::kMillisecond);

void bm_text_per_glyph(benchmark::State& state) {
    reach_the_moment();
    // Each glyph's texture extent, as its own quad sampled it.
    float extent[128][2];
    for (int c = 0; c < 128; c++) {
        GLint w = 1, h = 1;
        glBindTexture(GL_TEXTURE_2D, our_font.glyph_textures[c]);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
        const GlyphQuad& q = our_font.glyphs[c];
        extent[c][0] = (q.right - q.left) / static_cast<float>(w);
        extent[c][1] = (q.top - q.bottom) / static_cast<float>(h);
    }
    for (auto _ : state) {
        push_screen_projection();
        glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT);
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        for (int k = 0; k < 20; k++) {
            glPushMatrix();
            glLoadIdentity();
            glTranslatef(80, 40.0f + 32.0f * k, 0);
            for (const char* p = bench_line; *p; p++) {
                const int c = static_cast<unsigned char>(*p);
                const GlyphQuad& q = our_font.glyphs[c];
                const float bw = q.right - q.left, br = q.top - q.bottom;
                glBindTexture(GL_TEXTURE_2D, our_font.glyph_textures[c]);
                glPushMatrix();
                glTranslatef(q.left, 0, 0);
                glTranslatef(0, q.bottom, 0);
                glBegin(GL_QUADS);
                glTexCoord2f(0, 0);
                glVertex2f(0, br);
                glTexCoord2f(0, extent[c][1]);
                glVertex2f(0, 0);
                glTexCoord2f(extent[c][0], extent[c][1]);
                glVertex2f(bw, 0);
                glTexCoord2f(extent[c][0], 0);
                glVertex2f(bw, br);
                glEnd();
                glPopMatrix();
                glTranslatef(q.advance, 0, 0);
            }
            glPopMatrix();
        }
        glPopAttrib();
        pop_screen_projection();
        glFinish();
    }
}
BENCHMARK(bm_text_per_glyph)->Unit(benchmark::kMillisecond);

// The whole scene of the frame at 130 s (all of the above that it draws).
void bm_scene(benchmark::State& state) {
    reach_the_moment();
    for (auto _ : state) {
        draw_scene();
        glFinish();
    }
}
BENCHMARK(bm_scene)->Unit(benchmark::kMillisecond);

}  // namespace
