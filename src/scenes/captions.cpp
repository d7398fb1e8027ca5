// captions.cpp: captions and storyboard ticker, the countdown panel pass and
// the closing sequence of the main show.
//
// Depends on text/overlays.h, text/font.h, effects/plates.h,
// sync/storyboard.h, core/targets.h, core/demo_state.h, audio/music.h,
// scenes/timeline.h.
#include "scenes/captions.h"

#include <GL/glew.h>

#include <cstdlib>

#include "audio/music.h"
#include "core/demo_state.h"
#include "core/draw_stats.h"
#include "core/targets.h"
#include "core/view.h"
#include "effects/plates.h"
#include "scenes/matrix_stack.h"
#include "scenes/timeline.h"
#include "sync/storyboard.h"
#include "text/font.h"
#include "text/overlays.h"

CaptionState caption_state;

namespace {

char caption_text[text_buffer_size];

void set_caption_colour() {
    glColor4f(0.8f, 0.78f, 0.774f, 0.85f);
    draw_stats_add(1);
}

constexpr PanelPose resting_pose{{0.5f, -0.15f, 0.5f}, {180, 180, 180}};

void draw_tile(const PanelPose& pose) {
    draw_panel_tile(pose.offset[0], pose.offset[1], pose.offset[2], pose.angles[0], pose.angles[1],
                    pose.angles[2], 1, 1, 1);
}

PanelPose stored_pose() {
    PanelPose pose;
    for (int k = 0; k < 3; k++) {
        pose.offset[k] = panel_offset[k];
        pose.angles[k] = panel_angles[k];
    }
    return pose;
}

void store_pose(const PanelPose& pose) {
    for (int k = 0; k < 3; k++) {
        panel_offset[k] = pose.offset[k];
        panel_angles[k] = pose.angles[k];
    }
}

void draw_ticker() {
    if (ticker_index <= 30) return;
    for (int j = -30; j <= 29; j++) {
        format_text(caption_text, "%c", ticker_key(storyboard_keys, storyboard_capacity, ticker_index + j));
        float b = ticker_brightness(j);
        glColor4f(b, b, b, 1);
        draw_stats_add(1);
        draw_bitmap_text(0.01f, 0.5f - 0.02f * static_cast<float>(j), 0, caption_text);
    }
}

}  // namespace

// --- Pure rules ---------------------------------------------------------------

const char* caption_countdown_format(int n) {
    if (n < 550) return " YOU GET WHAT YOU DESERVED...";
    if (n < 552) return "                                  %d\n";
    if (n < 1102) return "dF%d";
    if (n < 1152) return "(39)%d";
    if (n < 1552) return "%dX";
    return "%d\n";
}

int caption_countdown_value(float time) { return static_cast<int>(1800.0f - time); }

bool captions_running(int mode, float time, int finale) {
    return mode == 0 && (time < 1200.0f || time > 1600.0f) && finale == 0;
}

int advance_ticker_index(int index, const float* times, int capacity, float time) {
    // Always one slot on; then on over every slot already due. The slot at
    // `capacity` is the end: it is never read.
    while (index < capacity) {
        index++;
        if (index >= capacity) break;
        if (!(times[index] * 10.0f < time)) break;
    }
    return index;
}

char ticker_key(const char* keys, int capacity, int slot) {
    if (slot < 0 || slot >= capacity) return storyboard_empty_key;
    return keys[slot];
}

float ticker_brightness(int j) {
    float distance = static_cast<float>(std::abs(j));
    return (1.0f - (distance / 60.0f * 0.5f + 0.5f)) * 2.0f;
}

void advance_tile_grid(int& frames, int& columns, int& full, int& shift) {
    frames++;
    if (frames % 7 != 0) return;
    int was_full = full;
    if (was_full == 0) columns++;
    if (columns > 11) {
        columns = 11;
        full = 1;
        shift++;
    } else if (was_full == 1) {
        shift++;
    }
}

PanelPose panel_pose_stage1(float u) {
    float e = u * (2 - u);
    float a = 180 * e;
    return {{0.5f * (1 - e) + 2.4f * e, -1.35f * e - 0.15f * (1 - e), 0.5f * (1 - e) + 2.35f * e}, {a, a, a}};
}

PanelPose panel_pose_stage2(float w) {
    float f = w * w;
    float a = 180 * (1 - f);
    return {{4 * f + 2.4f * (1 - f), -2.15f * f - 1.35f * (1 - f), f + 2.35f * (1 - f)}, {a, a, a}};
}

PanelPose step_panel_sequence(float time) {
    float u = (time - demo.sequence_start) / 60.0f;
    float w = (time - demo.sequence_mark) / 60.0f;
    if (u <= 0) return resting_pose;
    if (demo.sequence_stage1 == 0) {
        if (u > 1) {
            demo.sequence_stage1 = 1;
            u = 1;
        }
        store_pose(panel_pose_stage1(u));
    } else if (demo.sequence_stage2 == 0) {
        sequence_wait++;
        if (sequence_wait > 10) {
            demo.sequence_mark = time;
            demo.sequence_stage2 = 1;
        }
    } else {
        if (w > 1) {
            w = 1;
            demo.sequence_stage3 = 1;
        }
        store_pose(panel_pose_stage2(w));
    }
    return stored_pose();
}

// --- Advancing ----------------------------------------------------------------

void reset_captions() { caption_state = CaptionState{}; }

void advance_captions() {
    if (!captions_running(demo.sequence_mode, demo_time, finale_started)) return;
    ticker_index = advance_ticker_index(ticker_index, storyboard_times, storyboard_capacity, demo_time);
}

PanelPose advance_closing_sequence() {
    switch (demo.sequence_mode) {
        case 1:
        case 3:
            return step_panel_sequence(demo_time);
        case 2:
            advance_tile_grid(grid_frames, grid_columns, grid_full, grid_shift);
            break;
        default:
            break;
    }
    return resting_pose;
}

// --- Drawing ------------------------------------------------------------------

void draw_captions() {
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    push_unit_ortho();
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);

    set_caption_colour();
    draw_bitmap_text(0.97f, 0.001f, 0, "40xD");

    if (captions_running(demo.sequence_mode, demo_time, finale_started)) {
        set_caption_colour();
        int n = caption_countdown_value(demo_time);
        // The format is one of the fixed ones above; the phrase ignores n.
        format_text(caption_text, caption_countdown_format(n), n);
        draw_bitmap_text(0.24f, 0.14f, 0, caption_text);
        format_text(caption_text, "%f\n", static_cast<double>(demo_time));
        draw_bitmap_text(0.16f, 0.001f, 0, caption_text);
        draw_ticker();
    }

    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    draw_stats_add(8);
}

void draw_countdown_pass() {
    if (attrib_saved == 1) glPopAttrib();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glBindFramebuffer(GL_FRAMEBUFFER, overlay_fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, overlay_target, 0);
    glBindTexture(GL_TEXTURE_2D, overlay_target);
    draw_countdown_panel(-0.062f, -0.9f, demo_time + 45.0f);
    glBindFramebuffer(GL_FRAMEBUFFER, scene_fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, scene_target, 0);
    glBindTexture(GL_TEXTURE_2D, scene_target);
    glPopAttrib();
    draw_stats_add(attrib_saved == 1 ? 9 : 8);
}

void draw_closing_sequence(const PanelPose& pose) {
    switch (demo.sequence_mode) {
        case 1:
        case 3:
            draw_tile(pose);
            break;
        case 4:
            draw_panel_tile(2.4f, -1.35f, 2.35f, 180, 180, 180, 1, 1, 1);
            break;
        case 2:
            for (int k = grid_shift - 6; k <= grid_columns - 1; k++) {
                float x = 0.68f * static_cast<float>(k) + 0.02f;
                for (int r = 2; r >= -16; r--)
                    draw_panel_tile(x, 2 * (0.099f * static_cast<float>(r)), 0, 0, 0, 0, 1, 1, 1);
            }
            break;
        default:
            break;
    }
}
