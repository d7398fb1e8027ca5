// flashes.cpp: drawing of the pulses, flares and burst (see flashes.h).
#include "scenes/flashes.h"

#include <GL/glew.h>

#include <iterator>

#include "audio/music.h"
#include "core/clock.h"
#include "core/demo_state.h"
#include "core/draw_stats.h"
#include "core/targets.h"
#include "effects/shapes.h"
#include "scenes/timeline_rules.h"

namespace {
// A downward-pointing triangle, closed by repeating its first corner.
void draw_triangle_outline() {
    glBegin(GL_LINE_STRIP);
    glVertex3f(-1.0f, 1.0f, 0.0f);
    glVertex3f(1.0f, 1.0f, 0.0f);
    glVertex3f(0.0f, -1.0f, 0.0f);
    glVertex3f(-1.0f, 1.0f, 0.0f);
    glEnd();
    draw_stats_add(6, 1);
}

void grey(float level, float alpha) {
    glColor4f(ink_grey * level, ink_grey * level, ink_grey * level, alpha);
    draw_stats_add(1);
}

// The triangle tunnel: six nested triangles whose scalings accumulate.
void draw_pulse_d(bool shown, double time_d) {
    glPushMatrix();
    glScalef(demo.pulse_d_size, demo.pulse_d_size, demo.pulse_d_size);
    glTranslatef(0.0f, -0.3f, 0.0f);
    glLineWidth(3.0f);
    if (shown) {
        float s = tunnel_fade(time_d, demo.pulse_d_time);
        for (int k = 0; k < 6; ++k) {
            glScalef(static_cast<float>(2.7 - 1.3 * s), static_cast<float>(2.6 - 1.3 * s),
                     static_cast<float>(2.6 - 1.35 * s));
            grey(s, static_cast<float>(0.7 * s));
            draw_triangle_outline();
        }
    }
    glPopMatrix();
    draw_stats_add(shown ? 11 : 5, 0, 1);
}

// A ring pulse: two dark rings hugging one bright one, all shrinking by
// `growth` times the fade. Pulse b greys its bright ring with the fade,
// pulse a keeps it at full grey and fades only its alpha.
struct RingPulse {
    double inner, outer, middle, growth;
    bool fade_grey;
};

void draw_ring_pulse(bool shown, float clock, float size, const RingPulse& ring, double time_d) {
    glPushMatrix();
    glScalef(size, size, size);
    glLineWidth(2.0f);
    if (shown) {
        float s = pulse_fade(time_d, clock, 4.5);
        glColor4f(0.0f, 0.0f, 0.0f, 0.4f);
        draw_ripple_ellipse(static_cast<float>(ring.inner - ring.growth * s));
        draw_ripple_ellipse(static_cast<float>(ring.outer - ring.growth * s));
        grey(ring.fade_grey ? s : 1.0f, s);
        draw_ripple_ellipse(static_cast<float>(ring.middle - ring.growth * s));
    }
    glPopMatrix();
    draw_stats_add(shown ? 5 : 4, 0, 1);
}

void draw_pulse_e(bool shown, double time_d) {
    glPushMatrix();
    glLineWidth(2.0f);
    if (shown) {
        glEnable(GL_BLEND);
        float s = pulse_fade(time_d, demo.pulse_e_time, 4.5);
        float v = static_cast<float>(0.46 - 0.3 * s);
        glScalef(v, v, v);
        glScalef(1.66f, 1.6f, 1.6f);
        glPushMatrix();
        glScalef(1.025f, 1.025f, 1.025f);
        glColor4f(0.0f, 0.0f, 0.0f, 0.3f);
        draw_triangle_outline();
        glPopMatrix();
        glPushMatrix();
        glScalef(0.98f, 0.98f, 0.98f);
        glColor4f(0.0f, 0.0f, 0.0f, 0.3f);
        draw_triangle_outline();
        glPopMatrix();
        glScalef(0.98f, 0.98f, 0.98f);
        grey(1.0f, 0.6f);
        draw_triangle_outline();
    }
    glPopMatrix();
    draw_stats_add(shown ? 16 : 3, 0, 1);
}

// The ray: a new random direction on every frame it draws.
void draw_pulse_c(bool shown, RayEnd end, double time_d) {
    glPushMatrix();
    glScalef(demo.pulse_c_size, demo.pulse_c_size, demo.pulse_c_size);
    glLineWidth(2.0f);
    if (shown) {
        float s = pulse_fade(time_d, demo.pulse_c_time, 4.5);
        grey(s, s);
        glBegin(GL_LINES);
        glVertex3f(0.0f, 0.0f, 0.0f);
        glVertex3f(end.x, end.y, 0.0f);
        glEnd();
        draw_stats_add(4, 1);
    }
    glPopMatrix();
    draw_stats_add(4, 0, 1);
}

void draw_flare_a(bool shown, double time_d) {
    if (!shown) return;
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glPushMatrix();
    float s = flare_fade(time_d, demo.flare_a_time);
    glRotatef(flare_angle(demo.flare_a_value, s), 0.0f, 0.0f, 1.0f);
    glScalef(3.0f, 0.5f, 1.0f);
    glColor4f(0.0f, 0.0f, 0.0f, 0.4f);
    glScalef(1.01f, 1.01f, 1.0f);
    draw_spike(0.35f);
    grey(s, 0.4f);
    glScalef(0.98f, 0.98f, 1.0f);
    draw_spike(0.35f);
    glPopMatrix();
    draw_stats_add(8);
}

void draw_flare_b(bool shown, float time, double time_d) {
    if (!shown) return;
    float u = flare_b_dim(time, demo.flare_b_time);
    glColor4f(u, u, u, 1.0f);
    glPushMatrix();
    float s = flare_fade(time_d, demo.flare_b_time);
    glRotatef(flare_angle(demo.flare_b_value, s), 0.0f, 0.0f, 1.0f);
    glTranslatef(0.5f - 0.5f * u, 0.0f, 0.0f);
    float level = ink_grey * s * u;  // grey by the fade first, then by u
    glColor4f(level, level, level, 0.5f);
    glScalef(3.0f, 0.5f, 1.0f);
    draw_spike(0.15f);
    glPopMatrix();
    draw_stats_add(7);
}
}  // namespace

FlashFrame advance_flashes() {
    const float time = demo_time, step = frame_step;
    FlashFrame f;
    f.pulse_d = advance_flash_clock(demo.pulse_d_time, time, step, pulse_d_window);
    f.pulse_b = advance_flash_clock(demo.pulse_b_time, time, step, pulse_b_window);
    f.pulse_a = advance_flash_clock(demo.pulse_a_time, time, step, pulse_a_window);
    f.pulse_e = advance_flash_clock(demo.pulse_e_time, time, step, pulse_e_window);
    f.pulse_c = advance_flash_clock(demo.pulse_c_time, time, step, pulse_c_window);
    if (f.pulse_c) f.ray = next_ray_end();
    f.flare_a = advance_flash_clock(demo.flare_a_time, time, step, flare_window);
    f.flare_b = advance_flash_clock(demo.flare_b_time, time, step, flare_window);
    return f;
}

void draw_flashes(const FlashFrame& f) {
    const double time_d = demo_time_d;
    draw_pulse_d(f.pulse_d, time_d);
    draw_ring_pulse(f.pulse_b, demo.pulse_b_time, demo.pulse_b_size, {1.99, 2.01, 2.0, 0.1, true}, time_d);
    draw_ring_pulse(f.pulse_a, demo.pulse_a_time, demo.pulse_a_size, {2.99, 3.01, 3.0, 0.7, false}, time_d);
    draw_pulse_e(f.pulse_e, time_d);
    // The texture bound at the start of the frame becomes current; nothing
    // below sends texture coordinates.
    glEnable(GL_TEXTURE_2D);
    draw_pulse_c(f.pulse_c, f.ray, time_d);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_POLYGON_SMOOTH);
    draw_flare_a(f.flare_a, time_d);
    draw_flare_b(f.flare_b, demo_time, time_d);
    draw_stats_add(5);
}

BurstFrame advance_burst_frame() {
    const float time = demo_time;
    BurstFrame f;
    if (!burst_window(time)) return f;
    if (!advance_burst(demo.burst_time, time)) return f;
    f.shown = true;
    f.alpha = burst_alpha(time, demo.burst_time);
    // Reseeds the shared generator, in the frame's order of draws from it.
    compute_burst_dots(demo.burst_seed, f.alpha, demo.burst_count, f.dots);
    return f;
}

void draw_burst(const BurstFrame& f) {
    if (!f.shown) return;
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(f.alpha, f.alpha, f.alpha, f.alpha);
    for (const BurstDot& dot : f.dots) {
        glPushMatrix();
        grey(1.0f, dot.alpha);
        glTranslatef(dot.x, dot.y, 0.0f);
        draw_star_dot(dot.radius);
        glPopMatrix();
    }
    draw_stats_add(3 + 3 * static_cast<long>(std::size(f.dots)));
}
