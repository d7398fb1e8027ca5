// view.h: the projection helpers every drawing subsystem shares.
//
// Depends on core/demo_state.h (field_of_view), core/targets.h (the picture's
// size), OpenGL and GLU.
#pragma once

// Depth writes off, the composed picture's viewport and the show's perspective.
void use_window_perspective();
// The show's perspective (field_of_view, the composed picture's aspect) and an
// identity model-view matrix.
void load_show_perspective();
// Saves the projection and loads the unit square (0 to 1 both ways); model-view current.
void push_unit_ortho();
// Saves the model-view matrix (the current one) and loads an identity into
// it, over the unit square loaded into the projection without saving it;
// model-view current. Six calls, which the caller counts with its own.
void push_modelview_unit_ortho();
