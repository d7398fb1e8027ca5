# Sourced by the e2e scripts that start a private Xvfb.
# wait_for_display :N — Xvfb names its display a moment before a client can
# always open it; a show started in that moment fails with "failed to open
# display". Waits until the server answers (5 s at most).
wait_for_display() {
  for _ in $(seq 1 50); do
    DISPLAY="$1" xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}
