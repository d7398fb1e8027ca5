// stop.h: ending the show from outside (Ctrl-C, kill) the way Escape ends it.
//
// Until the frame loop watches, a signal ends the process at once (nothing is
// open yet that needs closing). From then on it only leaves a note; the
// window system's loop looks at it between frames and ends the process
// through the normal exit, so the recording file is closed and the audio
// output is stopped before anything is freed.
#pragma once

// Catches SIGINT and SIGTERM. Call it before SDL is initialised (SDL 1.2 then
// keeps its own quit handlers off them) and again afterwards; the second
// signal of either kind ends the process at once, as if uncaught.
void install_stop_signals();

// Whether SIGINT or SIGTERM has arrived since install_stop_signals.
bool stop_requested();

// Ends the process with status 0 if a stop was requested.
void end_show_if_stopped();

// Starts the periodic look at the note, every `period_ms` milliseconds, on the
// window system's timer; it also runs while no frame is drawn (hidden window).
// Call it before the music opens its output.
void watch_for_stop(int period_ms);
