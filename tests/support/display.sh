# Sourced by the e2e scripts that start a private Xvfb (with -noreset: a
# server resets when its last client leaves, and a program starting during the
# reset fails with "failed to open display").
# wait_for_display :N — waits until the server answers (5 s at most).
wait_for_display() {
  for _ in $(seq 1 50); do
    DISPLAY="$1" xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# find_window PID [TENTHS] — sets wid to the show's visible window; waits
# while PID runs, TENTHS tenths of a second at most (default 100).
find_window() {
  wid=""
  for _ in $(seq 1 "${2:-100}"); do
    wid=$(xdotool search --onlyvisible --name Tangle 2>/dev/null | head -1)
    [ -n "$wid" ] && return 0
    kill -0 "$1" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
