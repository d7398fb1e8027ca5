// frame.h: the window-system callbacks and the per-frame update.
//
// display_frame draws one frame into the scene target, runs the update (clock,
// storyboard, cloud, sheets) and copies the picture to the screen. Depends on
// every other subsystem; all of it runs on the main thread, but for the parts
// of jobs it shares with the helper thread (core/parallel.h) and waits for.
#pragma once

#include "core/clock.h"  // music_seconds_now, music_seconds_prev, frame_step, compute_frame_step

extern int window_width, window_height;  // the composed picture's size: 1280 x 720

// The clear colour's red, green and blue for a demo_time.
void choose_clear_colour(float time, float rgb[3]);

void display_frame();
// The composed 1280 x 720 picture's framebuffer (capture and tests read it back).
void create_compose_target();
unsigned compose_framebuffer();
// Where the composed picture lands in a window: the largest 16:9 rectangle,
// centred, in window pixels from the lower left corner.
struct PictureBox {
    int x, y, width, height;
};
PictureBox fit_picture(int screen_w, int screen_h);
// Draws the composed picture into the window (black bars around it), swaps
// buffers and asks for the next frame; the GL state is left as it was found.
void present_frame();
// The window black, with `draw` drawn into it (window pixels, as the overlay
// below), swapped, and the GL state left as it was found: something to show
// while no frame can be, such as the progress of a long seek.
void present_message(void (*draw)(int width, int height));
// Something drawn into the window on top of the picture, in window pixels
// (width, height), before the swap: never part of the composed picture, so
// captures don't show it. Null draws nothing.
void set_window_overlay(void (*draw)(int width, int height));
// A key press as the keyboard callback handles it: recorded, then its command.
void press_key(unsigned char key);
// Whether key presses are appended to the recording file (the capture tool turns it off).
void set_key_recording(bool on);
// display_frame without the buffer swap, so a caller can read the picture back first.
void draw_frame();
// A frame's every change of state (clock, timeline, update, credits scroll) and
// no GL call: the show moves on exactly as if draw_frame had run.
void step_frame();
// Whether the next frame, k, leaves GL state that every later frame depends
// on: through the model-view stack, which the first frames fill (the 32-entry
// limit), and through the projection stack, which the first frames of the
// lattice fill (matrix_stack.h). Such a frame must be drawn, not just stepped
// (the stepping rule, app/seek.h).
constexpr long settle_first_frames = 48;
bool frame_leaves_lasting_state(long k);
// The per-frame update: demo clock, storyboard replay, cloud and sheets.
void update_frame();
void on_key(unsigned char key, int x, int y);
void on_reshape(int width, int height);
