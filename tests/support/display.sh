# Sourced by the e2e scripts that start a private Xvfb (with -noreset: a
# server resets when its last client leaves, and a program starting during the
# reset fails with "failed to open display").
# start_private_display — starts a private Xvfb on a free display number,
# exports DISPLAY and sets xvfb to its process id; ends the script with a
# FAIL line if the server doesn't come up.
start_private_display() {
  exec 9<> <(:)
  Xvfb -displayfd 9 -screen 0 1280x720x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb=$!
  read -r -t 10 number <&9 || { echo "FAIL: Xvfb did not start"; exit 1; }
  export DISPLAY=":$number"
  wait_for_display "$DISPLAY" || { echo "FAIL: Xvfb :$number does not answer"; exit 1; }
}

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
