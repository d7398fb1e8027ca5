// progress.h: how far a capture is and how long it has left, on stderr.
//
// Frames cost very different times through the show (the opening is cheap,
// the lattice dear), so a capture's progress counts work, not frames: each
// second of the show weighs what it cost in a measured capture, and the time
// left is the time taken so far scaled by the work left. That keeps the
// estimate steady from the first minute instead of climbing all the way.
// Depends on nothing but the C library.
#pragma once

#include <string>

// The work of the show from 0 to `seconds`, in relative units from a
// measured capture (past the measured end, at its last rate).
double show_work_until(double seconds);
inline double show_work(double from, double to) { return show_work_until(to) - show_work_until(from); }

// "m:ss.d".
std::string span_text(double seconds);

// One progress report: a bar redrawn in place on a terminal, a line every
// ten seconds in a log (and always when `last`). `done` is the share of the
// work done (0 to 1); `seconds`, if not negative, the music time reached
// and `total` where the capture ends.
void show_capture_progress(double done, double elapsed, double seconds, double total, bool last);
