// driver.h: the frame driver: the show's own frame loop on a clock the caller moves.
//
// Frame k shows the music at exactly k / fps seconds, whatever a frame costs to
// draw: the offline music player's clock is set before each frame, storyboard
// and injected presses fire through the show's own paths, and the composed
// 1280 x 720 picture can be read back after every frame. Needs an X display.
#pragma once

#include <string>
#include <vector>

struct DriverOptions {
    std::string data_dir = ".";  // the show's data folder (working directory)
    unsigned seed = 1;           // generator seed at start-up
    std::string storyboard;      // "" = the data folder's keys.dat
    double fps = 60;
    std::string wav_path;  // where the played mix goes; "" = nowhere
};

// Opens the screen and runs the show's start-up and music set-up.
void driver_start(const DriverOptions& options);
// A live key press at music time `seconds`, handled like the keyboard callback's.
void driver_queue_press(double seconds, unsigned char key);
// Runs frame k: clock to k / fps, due presses, then the whole frame (not presented).
void driver_run_frame(long k);
// Frame k's changes of state only, without a GL call. Which frames before a
// drawn one must still be drawn for it to come out right: frame_needs_drawing.
void driver_step_frame(long k);
// The clock stands at `seconds` for the next frame, the music having been
// moved there by other means (a seek on held music).
void driver_set_clock(double seconds);
// Frames first to target: stepped, or drawn unseen where frame_needs_drawing
// says, and the target drawn to be read.
void driver_run_to(long first, long target);
// Fast-forward: while on, frames make every GL call as usual, in the same
// order and with the same state, but rasterise only one pixel of each render
// target, so they cost little more than their CPU side. Nothing of the show
// reads pixels back and every frame redraws its targets whole, so the first
// frame run after turning it off is the same picture as in a run that drew
// every frame. Pictures read while on are meaningless.
void driver_fast_forward(bool on);
bool driver_fast_forwarding();
// Copies the finished frame to the window and swaps buffers.
void driver_present();
// The composed picture, 1280 x 720 RGB, top row first.
void driver_read_picture(std::vector<unsigned char>& rgb);
// The scene target, 1600 x 900 RGB, top row first.
void driver_read_scene_target(std::vector<unsigned char>& rgb);
// Finishes the audio file, its sound mixed up to `end_seconds` (the end of
// the last frame); safe to call more than once.
void driver_finish(double end_seconds);
double driver_fps();
