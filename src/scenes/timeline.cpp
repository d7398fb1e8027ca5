// timeline.cpp: the main show's fixed sequence of drawing steps (see timeline.h).
//
// Every step is guarded by a window on T (the previous frame's demo_time;
// windows are strict on both ends unless noted), by a command-set switch or
// by a command-stamped trigger time. Two saves of the drawing-state step are
// never restored: the model-view stack fills up after the first frames and
// the 32-entry limit (matrix_stack.h) shapes the picture from then on.
#include "scenes/timeline.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include "audio/music.h"
#include "core/clock.h"
#include "core/demo_state.h"
#include "core/draw_stats.h"
#include "core/parallel.h"
#include "core/targets.h"
#include "core/view.h"
#include "effects/lines.h"
#include "effects/noise.h"
#include "effects/plates.h"
#include "effects/shapes.h"
#include "physics/cloth.h"
#include "physics/cloud.h"
#include "physics/sheet_draw.h"
#include "scenes/captions.h"
#include "scenes/flashes.h"
#include "scenes/hidden.h"
#include "scenes/matrix_stack.h"
#include "scenes/sections.h"
#include "scenes/timeline_rules.h"

namespace {

Anchor anchor_of(const ClothSheet& sheet) {
    return {static_cast<float>(sheet.anchor_offset.x), static_cast<float>(sheet.anchor_offset.y),
            static_cast<float>(sheet.anchor_offset.z)};
}

// A zero axis leaves the matrix as it is (the anchors start at the origin);
// drivers disagree on what a zero axis does, so it never reaches them.
void rotate_about(float angle, float x, float y, float z) {
    if (x == 0.0f && y == 0.0f && z == 0.0f) return;
    glRotatef(angle, x, y, z);
}

void rotate_by_spins() {
    glRotated(demo.spin_x, 1.0, 0.0, 0.0);
    glRotated(demo.spin_y, 0.0, 1.0, 0.0);
    glRotated(demo.spin_z, 0.0, 0.0, 1.0);
}

// The tumbling of the anchor sphere and the style-1 cube, by T.
void rotate_by_time(float time) {
    glRotatef(static_cast<float>(time * 3.2), 1.0f, 0.0f, 0.0f);
    glRotatef(static_cast<float>(time * 4.23), 0.0f, 1.0f, 0.0f);
    glRotatef(static_cast<float>(-time * 5.4), 0.0f, 0.0f, 1.0f);
}

void scale_lattice() { glScalef(1.0f, 1.4f, 1.1f); }

void switch_to_finale(float time) {
    // The main stream stops here, so demo_time stands still from now on.
    if (advance_finale(time)) music_switch_to(finale_stream);
}

void place_camera(const Anchor& a, const Anchor& b) {
    rotate_about(10.0f, b.x, b.y, -b.z);
    rotate_about(-10.0f, -a.x, -a.y, a.z);
    glTranslatef(-b.x, -b.y, -b.z);
    glTranslatef(a.x, a.y, a.z);
}

// The frame's drawing state and its two saves that nothing restores.
void set_drawing_state() {
    glPointSize(1.0f);
    glLineWidth(2.0f);
    glColor3f(ink_grey, ink_grey, ink_grey);
    glEnable(GL_POINT_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    glPushMatrix();
    glColor3f(ink_grey, ink_grey, ink_grey);
    glEnable(GL_POLYGON_SMOOTH);
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_NORMALIZE);
    glScalef(3.5f, 3.5f, 3.5f);
    glScalef(0.5f, 0.5f, 0.5f);
    glEnable(GL_TEXTURE_2D);
    glPushMatrix();
    // Stays bound for the later steps that enable texturing without binding.
    glBindTexture(GL_TEXTURE_2D, textures[18]);
    glDisable(GL_TEXTURE_2D);
}

void draw_wire_torus(float time) {
    glDisable(GL_DEPTH_TEST);  // back on after the flashes
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    glPushMatrix();
    glColor4f(0.75f, 0.73f, 0.74f, 0.6f);
    glRotatef(static_cast<float>(time * 0.2), 1.2f, 0.9f, 0.2f);
    glRotatef(45.0f, 0.0f, 1.0f, 1.0f);
    glScalef(1.5f, 1.4f, 1.0f);
    draw_torus_wires(3.4, 128);
    glPopMatrix();
    glDisable(GL_LIGHTING);
    draw_stats_add(10);
}

void move_anchors_by_noise(float time) {
    float noise[6];
    float x = anchor_noise_argument(time);
    for (int k = 0; k < 6; ++k) {
        noise[k] = 0.0f;
        const NoiseCurve& c = anchor_noise[k];
        fractal_noise(noise[k], c.offset, c.amplitude, c.persistence, c.frequency, x);
    }
    double offset[3];
    if (demo.cloth_a_auto_offset == 1) {
        auto_anchor_a(noise, offset);
        cloth_a.anchor_offset = {offset[0], offset[1], offset[2]};
    }
    if (demo.cloth_b_auto_offset == 1) {
        auto_anchor_b(noise, offset);
        cloth_b.anchor_offset = {offset[0], offset[1], offset[2]};
    }
}

void draw_particle_cloud() {
    glPushMatrix();
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    draw_cloud();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glPopMatrix();
    draw_stats_add(6);
}

void draw_glow_sphere(float fade, double time_d) {
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    float rgba[4];
    glow_colour(fade, rgba);
    glColor4fv(rgba);
    glDisable(GL_LINE_SMOOTH);
    if (demo.sphere_hidden == 0) draw_solid_sphere(glow_sphere_radius(time_d), 256);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    draw_stats_add(7);
}

void draw_anchor_sphere(float time) {
    Anchor b = anchor_of(cloth_b);
    glPushMatrix();
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    glTranslatef(b.x, b.y, b.z);
    rotate_by_spins();
    rotate_by_time(time);
    glDisable(GL_LIGHTING);
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    draw_solid_sphere(static_cast<double>(0.2f), 32);
    glPopMatrix();
    draw_stats_add(14);
}

void draw_styled_cloth_b(float time) {
    glPushMatrix();
    scale_lattice();
    rotate_by_spins();
    if (demo.cloth_b_style == 1) {
        draw_sheet(cloth_b, demo.cloth_draw_flag, 1);
        glColor4f(0.9f, 0.93f, 0.92f, 0.55f);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glEnable(GL_COLOR_MATERIAL);
        Anchor b = anchor_of(cloth_b);
        glTranslatef(b.x, b.y, b.z);
        rotate_by_spins();
        rotate_by_time(time);
        draw_solid_cube(0.4);
        glDisable(GL_LIGHTING);
    } else if (demo.cloth_b_style == 2) {
        draw_sheet(cloth_b, demo.cloth_draw_flag, 2);
    } else if (demo.cloth_b_style == 3) {
        draw_sheet(cloth_b, 1 - demo.cloth_draw_flag, 3);
    }
    Anchor a = anchor_of(cloth_a);
    Anchor b = anchor_of(cloth_b);
    glBegin(GL_LINE_STRIP);
    glVertex3f(a.x, a.y, a.z);
    glVertex3f(b.x, b.y, b.z);
    glEnd();
    glPopMatrix();
    draw_stats_add(demo.cloth_b_style == 1 ? 26 : 10, 1);
}

void draw_lattice_block(const SceneFrame& f) {
    const float time = f.time;
    const double time_d = f.time_d;
    glPushMatrix();
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    scale_lattice();
    rotate_by_spins();
    if (section_reached(section_sheet_bridge, time)) draw_sheet_bridge(f.bridge);
    if (time_d > 1270.0 && time_d < 1360.0) {
        draw_cloud_links(f.links_a);
        draw_cloud_links(f.links_b);
    }
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    if (time > 440.0f && time < 1000.0f) draw_glow_sphere(f.glow_fade, time_d);
    draw_sheet(cloth_b, demo.cloth_draw_flag, 0);
    draw_sheet(cloth_a, demo.cloth_draw_flag, 0);
    draw_anchor_sphere(time);
    if (demo.cloth_b_style != 0) draw_styled_cloth_b(time);
    glPushMatrix();
    scale_lattice();
    rotate_by_spins();
    draw_sheet(cloth_a, demo.cloth_draw_flag, 4);
    glPopMatrix();
    draw_burst(f.burst);
    glPopMatrix();
    draw_stats_add(14);
    draw_captions();
}

void draw_title_plates(float time) {
    glPushMatrix();
    float size = title_plate_growth(time) + 3.0f;
    int slots[title_plate_count];
    int count = title_plates_at(time, slots);
    for (int k = 0; k < count; ++k) draw_plate(textures[slots[k]], 1.0f, size);
    glPopMatrix();
    draw_stats_add(2);
}

// --- Advancing: every state change of a main-show frame, in drawing order ---

// The lattice block's changes: the small sphere hidden for good, the line
// batches (their flicker draws from the generator), the glow's clock, the
// normals of every sheet drawn as fins, the burst and the ticker.
void advance_lattice_block(SceneFrame& f) {
    const float time = f.time;
    const double time_d = f.time_d;
    if (section_reached(section_sheet_bridge, time)) {
        demo.sphere_hidden = 1;
        collect_sheet_bridge(cloth_a, cloth_b, f.bridge);
    }
    if (time_d > 1270.0 && time_d < 1360.0) {
        collect_cloud_links(cloth_a, f.links_a);
        collect_cloud_links(cloth_b, f.links_b);
    }
    if (time > 440.0f && time < 1000.0f) {
        GlowState glow{glow_time, glow_counter};
        f.glow_fade = advance_glow(glow, time);
        glow_time = glow.time;
        glow_counter = glow.counter;
    }
    // Fin normals follow the positions they are drawn at; recomputing them
    // for a second fin pass of the same sheet gives the same values.
    const bool b_as_fins =
        demo.cloth_draw_flag == 1 || (demo.cloth_b_style == 3 && 1 - demo.cloth_draw_flag == 1);
    ClothSheet* fins[2];
    int sheets = 0;
    if (b_as_fins) fins[sheets++] = &cloth_b;
    if (demo.cloth_draw_flag == 1) fins[sheets++] = &cloth_a;
    run_parts(sheets, [&fins](int k) { compute_normals(*fins[k]); });
    f.burst = advance_burst_frame();
    advance_captions();
}

void advance_main_show(SceneFrame& f) {
    const float time = f.time;
    const float step = frame_step;
    switch_to_finale(time);
    // The camera is placed from the anchors as they stand before the noise moves them.
    f.camera_a = anchor_of(cloth_a);
    f.camera_b = anchor_of(cloth_b);
    cloth_a.anchor_spin += 0.08 * step;
    cloth_b.anchor_spin -= 0.01 * step;
    if (section_reached(section_flashes, time)) f.flashes = advance_flashes();
    move_anchors_by_noise(time);
    if (cloud_layers(time).trail) advance_trail(time);
    f.lattice = next_frame_draws_captions();
    if (f.lattice) advance_lattice_block(f);
    f.panel_pose = advance_closing_sequence();
}

// --- Drawing: reads the frame record and the state, changes neither --------

void draw_main_show(const SceneFrame& f) {
    const float time = f.time;
    const double time_d = f.time_d;

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_LINE_SMOOTH);
    glDisable(GL_TEXTURE_2D);
    place_camera(f.camera_a, f.camera_b);
    glTranslatef(0.0f, 0.0f, -2.0f);
    set_drawing_state();
    if (in_section(section_wire_torus, time)) draw_wire_torus(time);
    if (section_reached(section_flashes, time)) draw_flashes(f.flashes);
    glEnable(GL_DEPTH_TEST);
    draw_particle_cloud();
    if (demo.depth_test_on == 1) {
        glEnable(GL_DEPTH_TEST);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    if (time_d < 210.0) {
        // Black ink and no line smoothing until the lattice enters; the next
        // frame's clear switches smoothing on again.
        glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
        glDisable(GL_LINE_SMOOTH);
    }
    if (f.lattice) draw_lattice_block(f);
    draw_title_plates(time);
    draw_countdown_pass();
    draw_closing_sequence(f.panel_pose);
    glViewport(0, 0, 1280, 720);
    // Kept until the next frame's countdown pass restores it.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    attrib_saved = 1;
    // The frame's own state calls, the camera's and the drawing state's (one
    // of them a line width).
    draw_stats_add(time_d < 210.0 ? 37 : 35, 0, 1);
}

SceneFrame scene_frame;
}  // namespace

void init_timeline() { limit_modelview_stack(); }

bool next_frame_draws_captions() {
    return demo.hidden_part_on != 1 && demo.lattice_switch == 1 && demo_time_d > 210.0;
}

void advance_scene() {
    SceneFrame& f = scene_frame;
    f.time = demo_time;
    f.time_d = demo_time_d;
    f.hidden = demo.hidden_part_on == 1;
    if (f.hidden) {
        advance_hidden_part();
        return;
    }
    advance_main_show(f);
}

void end_scene() {
    if (scene_frame.hidden) return;
    place_roots(cloth_a);
    place_roots(cloth_b);
}

void draw_scene() {
    limit_modelview_stack();
    if (scene_frame.hidden) {
        draw_hidden_part();
        return;
    }
    draw_main_show(scene_frame);
}
