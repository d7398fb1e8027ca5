#!/usr/bin/env bash
# The real show on screens that are not 1280 x 720: the picture reaches the
# (multisampled) full-screen window scaled to fit, centred, with black bars.
# Usage: app_screens_e2e.sh path/to/tangle   (needs Xvfb, xdotool, ffmpeg)
set -u
show=$(realpath "$1")
src=$(cd "$(dirname "$0")/.." && pwd)
. "$src/tests/support/display.sh"
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; fail=1; fi; }

work=$(mktemp -d)
xvfb=""
trap 'rm -rf "$work"; [ -n "$xvfb" ] && kill $xvfb 2>/dev/null' EXIT
mkdir -p "$work/data"
for f in "$src"/data/*; do ln -s "$f" "$work/data/"; done
rm -f "$work/data/keys.dat" "$work/data/filepressedkeys.dat"
# Parks the closing sequence's panel tile in the upper left from 0.5 s on: a
# landmark of known place and colour (the countdown panel is green here).
echo "0.500000 $" > "$work/data/keys.dat"

# One RGB triple "r g b" of the screenshot at x, y (from the top left).
pixel() { ffmpeg -loglevel error -i "$work/shot.png" -vf "crop=1:1:$1:$2" -f rawvideo -pix_fmt rgb24 - | od -An -tu1 | tr -s " " | sed "s/^ //;s/ $//"; }
lit() { [ "$(pixel "$1" "$2")" != "0 0 0" ]; }
dark() { [ "$(pixel "$1" "$2")" = "0 0 0" ]; }
near() {  # x y r g b: each channel within 3
  local p; p=($(pixel "$1" "$2"))
  [ ${#p[@]} = 3 ] && [ $((${p[0]} - $3)) -le 3 ] && [ $(($3 - ${p[0]})) -le 3 ] && [ $((${p[1]} - $4)) -le 3 ] &&
    [ $(($4 - ${p[1]})) -le 3 ] && [ $((${p[2]} - $5)) -le 3 ] && [ $(($5 - ${p[2]})) -le 3 ]
}
greenish() { local p; p=($(pixel "$1" "$2")); [ ${#p[@]} = 3 ] && [ ${p[1]} -gt $((${p[0]} + 30)) ] && [ ${p[1]} -gt $((${p[2]} + 30)) ]; }

# Runs the show on a private W x H screen and grabs the screen after a while.
shoot() {  # width height
  exec 9<> <(:)
  Xvfb -displayfd 9 -screen 0 "${1}x${2}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb=$!
  read -r -t 10 number <&9 || { echo "FAIL: Xvfb did not start at ${1}x${2}"; fail=1; return 1; }
  wait_for_display ":$number" || { echo "FAIL: Xvfb :$number does not answer"; fail=1; return 1; }
  (cd "$work/data" && exec env DISPLAY=":$number" SDL_AUDIODRIVER=dummy "$show" >"$work/out" 2>"$work/err") &
  pid=$!
  DISPLAY=":$number" find_window $pid 150
  sleep 3
  rm -f "$work/shot.png"
  ffmpeg -loglevel error -y -f x11grab -video_size "${1}x${2}" -i ":$number" -frames:v 1 "$work/shot.png" 2>/dev/null
  kill -9 $pid 2>/dev/null; wait $pid 2>/dev/null
  kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; xvfb=""
  [ -n "$wid" ] && [ -s "$work/shot.png" ]
}

# Expected picture box (x0, top, width, height in screen rows from the top):
# the largest 16:9 rectangle, centred.
for size in 1920x1080 1024x768 2560x1440; do
  w=${size%x*}; h=${size#*x}
  fw=$w; fh=$((w * 9 / 16))
  if [ $fh -gt $h ]; then fh=$h; fw=$((h * 16 / 9)); fi
  x0=$(((w - fw) / 2)); y0=$(((h - fh) / 2)); x1=$((x0 + fw - 1)); y1=$((y0 + fh - 1))
  # Tried twice: on a loaded machine the show has failed to open a display
  # its Xvfb had just named.
  if ! shoot "$w" "$h" && ! shoot "$w" "$h"; then
    check "$size: the show opens its window and the screen is grabbed" false
    sed 's/^/  /' "$work/err"
    continue
  fi
  [ -n "${TANGLE_SHOTS:-}" ] && cp "$work/shot.png" "$TANGLE_SHOTS/screen-$size.png"
  # The clear colour of the show's first minutes at the centre.
  check "$size: the centre of the screen shows the picture" 'near $((w / 2)) $((h / 2)) 113 111 113'
  # The tile's middle, at (0.13, 0.93) of the picture from its lower left.
  check "$size: the panel tile shows green where the picture puts it" \
    'greenish $((x0 + fw * 13 / 100)) $((y0 + fh * 7 / 100))'
  # Scaled, not cut: the picture reaches each corner of its box.
  check "$size: the picture fills its 16:9 box to the corners" \
    'lit $((x0 + 2)) $((y0 + 2)) && lit $((x1 - 2)) $((y0 + 2)) && lit $((x0 + 2)) $((y1 - 2)) && lit $((x1 - 2)) $((y1 - 2))'
  if [ $y0 -gt 0 ]; then
    check "$size: black bars above and below" \
      'dark $((w / 2)) $((y0 / 2)) && dark 1 0 && dark $((w / 2)) $((y1 + 1 + y0 / 2)) && dark $((w - 2)) $((h - 1))'
  fi
  if [ $x0 -gt 0 ]; then
    check "$size: black bars left and right" 'dark $((x0 / 2)) $((h / 2)) && dark $((x1 + 1 + x0 / 2)) $((h / 2))'
  fi
  check "$size: standard output is empty" '[ ! -s "$work/out" ]'
  # One line of its own about the screen (none from freeglut), before the
  # first frame.
  check "$size: one line says the picture is scaled" \
    '[ "$(grep -c . "$work/err")" = 1 ] && grep -q "^tangle: display: .* scaled to the ${size} screen" "$work/err"'
done

exit $fail
