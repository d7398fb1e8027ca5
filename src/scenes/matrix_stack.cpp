// matrix_stack.cpp: the 32-entry model-view stack limit and its model.
#include "scenes/matrix_stack.h"

#include <GL/glew.h>

int attrib_saved = 0;

namespace {
bool stack_limited = false;
int base_depth = 1;  // the model-view depth once the surplus entries are filled
ProjectionStackNotes projection_notes;

void record(const StackModel& stack, FrameMarks& marks, FrameItem item) {
    marks.at[item] = stack_top(stack);
    marks.drawn[item] = true;
}

// An item drawn inside a save/restore pair of its own.
void record_in_pair(StackModel& stack, FrameMarks& marks, FrameItem item) {
    stack_save(stack);
    record(stack, marks, item);
    stack_restore(stack);
}

// freetype::print: one pushed, reloaded matrix per line, and one
// save/restore pair per glyph inside the glyph's display list.
void replay_print(StackModel& stack, int glyphs) {
    stack_save(stack);
    stack_load_identity(stack);
    stack_apply(stack, mark_own);
    for (int g = 0; g < glyphs; ++g) {
        stack_save(stack);
        stack_restore(stack);
    }
    stack_restore(stack);
}

// The countdown panel: its own save, then seven cells printed twice (unlit,
// lit) with a window perspective (an identity load) after all but the last.
void replay_countdown(StackModel& stack) {
    stack_save(stack);
    stack_load_identity(stack);
    for (int k = 0; k < 14; ++k) {
        replay_print(stack, 1);
        if (k != 13) stack_load_identity(stack);
    }
    stack_restore(stack);
}

// A paired save around a routine that reloads the matrix inside it
// (draw_plate, draw_panel_tile, the scene-target copy, the captions).
void replay_reloading_pair(StackModel& stack) {
    stack_save(stack);
    stack_load_identity(stack);
    stack_restore(stack);
}

void replay_flashes(StackModel& stack, const FrameShape& shape, FrameMarks& marks) {
    const FrameItem simple[3] = {item_pulse_d, item_pulse_b, item_pulse_a};
    for (FrameItem item : simple) {
        record_in_pair(stack, marks, item);
    }
    stack_save(stack);  // pulse e
    if (shape.pulse_e_draws) {
        stack_apply(stack, mark_own);
        for (int k = 0; k < 2; ++k) {
            stack_save(stack);
            stack_restore(stack);
        }
        record(stack, marks, item_pulse_e);  // its bright outline
    }
    stack_restore(stack);
    record_in_pair(stack, marks, item_pulse_c);  // pulse c
    if (shape.flare_a_draws) {
        record_in_pair(stack, marks, item_flare_a);
    }
    if (shape.flare_b_draws) {
        record_in_pair(stack, marks, item_flare_b);
    }
}

void replay_lattice(StackModel& stack, const FrameShape& shape, FrameMarks& marks) {
    stack_save(stack);
    stack_apply(stack, mark_lattice);
    record(stack, marks, item_sheets);
    stack_save(stack);  // anchor sphere
    stack_apply(stack, mark_own);
    record(stack, marks, item_anchor_sphere);
    stack_restore(stack);
    if (shape.cloth_b_styled) {
        record_in_pair(stack, marks, item_styled_b);
    }
    record_in_pair(stack, marks, item_cloth_a_style4);  // cloth_a, style 4
    if (shape.burst_draws) {
        for (int j = 0; j < 30; ++j) {
            stack_save(stack);
            if (j == 0) record(stack, marks, item_burst);
            stack_restore(stack);
        }
    }
    stack_restore(stack);
    replay_reloading_pair(stack);  // captions
}
}  // namespace

int stack_filler_count(int driver_depth) {
    return driver_depth > modelview_stack_limit ? driver_depth - modelview_stack_limit : 0;
}

void limit_modelview_stack() {
    if (stack_limited) return;
    stack_limited = true;
    GLint driver_depth = 0;
    glGetIntegerv(GL_MAX_MODELVIEW_STACK_DEPTH, &driver_depth);
    int fill = stack_filler_count(driver_depth);
    GLint mode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glMatrixMode(GL_MODELVIEW);
    for (int k = 0; k < fill; ++k) glPushMatrix();
    base_depth = 1 + fill;
    glMatrixMode(static_cast<GLenum>(mode));
}

void unwind_modelview_stack() {
    if (!stack_limited) return;
    GLint mode = GL_MODELVIEW, depth = 1;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glMatrixMode(GL_MODELVIEW);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    for (; depth > base_depth; --depth) glPopMatrix();
    glLoadIdentity();
    glMatrixMode(static_cast<GLenum>(mode));
}

void note_projection_stack(int kind) {
    GLint depth = 1;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    projection_notes.moved = depth != projection_notes.depth;
    projection_notes.depth = depth;
    projection_notes.kind = kind;
}

bool projection_stack_settled(int kind) { return kind == projection_notes.kind && !projection_notes.moved; }

ProjectionStackNotes projection_stack_notes() { return projection_notes; }

void set_projection_stack_notes(const ProjectionStackNotes& notes) { projection_notes = notes; }

void unwind_projection_stack() {
    GLint mode = GL_MODELVIEW, depth = 1;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glMatrixMode(GL_PROJECTION);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    for (; depth > 1; --depth) glPopMatrix();
    glMatrixMode(static_cast<GLenum>(mode));
    projection_notes = ProjectionStackNotes{};
}

void stack_reset(StackModel& stack) {
    stack.depth = 1;
    stack.entries[0] = 0;
    stack.ignored_saves = 0;
}

void stack_save(StackModel& stack) {
    if (stack.depth >= modelview_stack_limit) {
        stack.ignored_saves += 1;
        return;
    }
    stack.entries[stack.depth] = stack.entries[stack.depth - 1];
    stack.depth += 1;
}

void stack_restore(StackModel& stack) {
    if (stack.depth > 1) stack.depth -= 1;
}

void stack_apply(StackModel& stack, unsigned mark) { stack.entries[stack.depth - 1] |= mark; }

void stack_load_identity(StackModel& stack) { stack.entries[stack.depth - 1] = 0; }

unsigned stack_top(const StackModel& stack) { return stack.entries[stack.depth - 1]; }

void replay_main_frame(StackModel& stack, const FrameShape& shape, FrameMarks& marks) {
    for (int k = 0; k < frame_item_count; ++k) {
        marks.at[k] = 0;
        marks.drawn[k] = false;
    }
    stack_load_identity(stack);
    stack_apply(stack, mark_camera);
    stack_save(stack);  // first unmatched save
    stack_apply(stack, mark_global_scale);
    stack_save(stack);  // second unmatched save
    if (shape.torus) {
        stack_save(stack);
        stack_restore(stack);
    }
    if (shape.flashes) replay_flashes(stack, shape, marks);
    record_in_pair(stack, marks, item_cloud);  // particle cloud
    if (shape.lattice) replay_lattice(stack, shape, marks);
    stack_save(stack);  // title plates
    for (int k = 0; k < shape.plates; ++k) replay_reloading_pair(stack);
    stack_restore(stack);
    replay_countdown(stack);
    for (int k = 0; k < shape.panel_tiles; ++k) replay_reloading_pair(stack);
    replay_reloading_pair(stack);  // the display callback's copy to the screen
}
