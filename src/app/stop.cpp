// stop.cpp: SIGINT and SIGTERM end the show, between frames, with status 0.
//
// The handler does nothing but store the signal: exit is not safe inside a
// handler, and the frame loop may be halfway through a frame. Depends on
// POSIX signals, GLUT's timer and sync/commands.h (the escape command's exit).
#include "app/stop.h"

#include <GL/freeglut.h>

#include <csignal>
#include <initializer_list>

#include "sync/commands.h"

namespace {

volatile std::sig_atomic_t stop_signal = 0;
int watch_period_ms = 100;

extern "C" void note_stop_signal(int signal) { stop_signal = signal; }

void check_stop(int) {
    end_show_if_stopped();
    glutTimerFunc(static_cast<unsigned>(watch_period_ms), check_stop, 0);
}

}  // namespace

void install_stop_signals() {
    struct sigaction action {};
    action.sa_handler = note_stop_signal;
    sigemptyset(&action.sa_mask);
    // Once noted, the next one takes the default action: a show that can't
    // reach its next frame still ends on a second Ctrl-C.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    // Already noted: keep the default the first one left behind.
    if (stop_signal != 0) return;
    for (int signal : {SIGINT, SIGTERM}) sigaction(signal, &action, nullptr);
}

bool stop_requested() { return stop_signal != 0; }

void end_show_if_stopped() {
    if (stop_signal != 0) quit_show();
}

void watch_for_stop(int period_ms) {
    watch_period_ms = period_ms > 0 ? period_ms : 1;
    glutTimerFunc(static_cast<unsigned>(watch_period_ms), check_stop, 0);
}
