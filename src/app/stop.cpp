// stop.cpp: SIGINT and SIGTERM end the show, between frames, with status 0.
//
// Once the frame loop is watching, the handler does nothing but store the
// signal: exit is not safe inside a handler, and the loop may be halfway
// through a frame or a key's line in the recording file. Before that (start-up
// loads for seconds on a slow machine) nothing is open that an exit must
// close, so the handler ends the process at once. On Windows the console's
// Ctrl-C and close events stand for the signals. Depends on the platform
// layer (core/platform.h), GLUT's timer and sync/commands.h (the escape command's exit).
#include "app/stop.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <csignal>
#include <cstdlib>

#include "core/platform.h"
#include "sync/commands.h"

namespace {

volatile std::sig_atomic_t stop_signal = 0;
volatile std::sig_atomic_t loop_watching = 0;
int watch_period_ms = 100;

extern "C" void note_stop_signal(int signal) {
    if (loop_watching == 0) std::_Exit(0);
    stop_signal = signal;
}

void check_stop(int) {
    end_show_if_stopped();
    glutTimerFunc(static_cast<unsigned>(watch_period_ms), check_stop, 0);
}

}  // namespace

// Once noted, the next one takes the default action: a show that can't reach
// its next frame still ends on a second Ctrl-C.
void install_stop_signals() { platform_catch_stop(note_stop_signal); }

bool stop_requested() { return stop_signal != 0; }

void end_show_if_stopped() {
    if (stop_signal != 0) quit_show();
}

void watch_for_stop(int period_ms) {
    loop_watching = 1;
    watch_period_ms = period_ms > 0 ? period_ms : 1;
    glutTimerFunc(static_cast<unsigned>(watch_period_ms), check_stop, 0);
}
