#!/usr/bin/env bash
# The Windows archive as a viewer gets it, run under Wine on a private Xvfb
# with no sound device: the title plate on screen at about 12 s, a key press
# recorded with its music time, status 0 on Escape and on closing the window,
# and status 1 with its message when the font is missing.
# Usage: windows_e2e.sh DIST_DIR   (needs wine, Xvfb, xdotool, ffmpeg, unzip)
# Exits 77 (skipped) when there is no Windows archive in DIST_DIR or no Wine.
set -u
dist=$1
src=$(cd "$(dirname "$0")/.." && pwd)
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; fail=1; fi; }
skip() { echo "SKIP: $*"; exit 77; }

zip=$(ls -t "$dist"/tangle-*-windows-x86_64.zip 2>/dev/null | head -1)
[ -n "$zip" ] || skip "no Windows archive in $dist (./tangle.sh test makes one; its message says why it could not)"
command -v wine >/dev/null || skip "wine: not installed (./tangle.sh test installs it)"

# No sound device, whatever the caller chose for the Linux tests (the test
# command picks SDL's dummy driver, which would stand in for a device here).
unset SDL_AUDIODRIVER

work=$(mktemp -d)
cleanup() {
  [ -n "${pid:-}" ] && kill -9 "$pid" 2>/dev/null
  WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null
  kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
unzip -q "$zip" -d "$work" || { echo "FAIL: $zip does not unpack"; exit 1; }
top=$(ls -d "$work"/tangle-*-windows-x86_64)

. "$src/tests/support/display.sh"
start_private_display

# A Wine prefix of our own, made once (its first start takes a minute) and
# kept with the other caches; a private copy for this run, so runs side by
# side and a show killed halfway can't spoil it. No sound drivers: the show
# must fall back to its silent wall clock. No Mono or Gecko prompts.
cache=${XDG_CACHE_HOME:-$HOME/.cache}/tangle
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv,winepulse.drv,wineoss.drv="
mkdir -p "$cache"
(
  flock 8
  if [ ! -f "$cache/wine-prefix/.made" ]; then
    rm -rf "$cache/wine-prefix"
    WINEPREFIX=$cache/wine-prefix wineboot -i >/dev/null 2>&1 &&
      WINEPREFIX=$cache/wine-prefix wineserver -w && touch "$cache/wine-prefix/.made"
  fi
) 8>"$cache/wine-prefix.lock"
[ -f "$cache/wine-prefix/.made" ] || { echo "FAIL: wineboot could not make $cache/wine-prefix"; exit 1; }
cp -a "$cache/wine-prefix" "$work/prefix"
export WINEPREFIX=$work/prefix

start_show() {  # FOLDER
  (cd "$1" && exec wine ./tangle.exe >"$work/out" 2>"$work/err") &
  pid=$!
  find_window $pid 600
}
wait_exit() {  # seconds
  for _ in $(seq 1 $(($1 * 10))); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  if kill -0 $pid 2>/dev/null; then kill -9 $pid; wait $pid 2>/dev/null; status=killed; else wait $pid; status=$?; fi
}
send() { xdotool windowfocus --sync "$wid" 2>/dev/null; xdotool key --delay 150 "$@"; }
pixel() {  # X Y of the shot: "R G B"
  ffmpeg -loglevel error -i "$work/shot.png" -vf "crop=1:1:$1:$2" -f rawvideo -pix_fmt rgb24 - | od -An -tu1 |
    tr -s " " | sed "s/^ //"
}

# 1. Started from the top folder, as a double-click does: it finds data\ beside
# itself. A key press is recorded with its music time, which tells when the
# music's 12 s come; the title plate then fills the middle of the screen.
start_show "$top"
check "window appears" '[ -n "$wid" ]'
send k
for _ in $(seq 1 50); do [ -s "$top/data/filepressedkeys.dat" ] && break; sleep 0.1; done
line=$(head -1 "$top/data/filepressedkeys.dat" 2>/dev/null)
check "the press is recorded as \"seconds key\", dot decimals, \\n ends (got '$line')" \
  '[[ $line =~ ^[0-9]+\.[0-9]{6}\ k$ ]] && ! grep -q $'"'"'\r'"'"' "$top/data/filepressedkeys.dat"'
pressed=${line%% *}
wait_s=$(awk -v t="${pressed:-0}" 'BEGIN { w = 12 - t; print (w > 0 ? w : 0) }')
sleep "$wait_s"
ffmpeg -loglevel error -y -f x11grab -video_size 1280x720 -i "$DISPLAY" -frames:v 1 "$work/shot.png" 2>/dev/null
[ -n "${TANGLE_KEEP_SHOT:-}" ] && cp "$work/shot.png" "$TANGLE_KEEP_SHOT"
# The plate stands in the middle: a dark panel between two magenta bars, on
# the lighter background. The bars are looked for in the middle column,
# above and below the centre (the plate grows slowly while it shows).
magenta_rows() {  # FROM_Y HEIGHT: how many pixels of the middle column are magenta
  ffmpeg -loglevel error -i "$work/shot.png" -vf "crop=1:$2:640:$1" -f rawvideo -pix_fmt rgb24 - | od -An -v -tu1 -w3 |
    awk '$1 > $2 + 60 && $3 > $2 + 40 { n++ } END { print n + 0 }'
}
check "title plate at 12 s: magenta bars above and below the centre" \
  '[ -f "$work/shot.png" ] && [ "$(magenta_rows 240 110)" -ge 3 ] && [ "$(magenta_rows 370 110)" -ge 3 ]'
check "title plate at 12 s: a dark panel on a lighter background ($(pixel 640 360); $(pixel 20 20))" \
  'read -r r g b <<<"$(pixel 640 360)" && read -r R G B <<<"$(pixel 20 20)" && [ $((r + g + b + 60)) -lt $((R + G + B)) ]'
check "the silent fallback is reported" 'grep -q "plays silently on the wall clock" "$work/err"'
send Escape
wait_exit 20
check "Escape ends it with status 0 (got $status)" '[ "$status" = 0 ]'

# 2. Closing the window (Alt-F4) ends it with status 0, the recording intact.
start_show "$top"
send m
for _ in $(seq 1 100); do [ "$(wc -l <"$top/data/filepressedkeys.dat")" -ge 3 ] && break; sleep 0.1; done
send alt+F4
wait_exit 20
check "closing the window ends it with status 0 (got $status)" '[ "$status" = 0 ]'
keys=$(cut -d" " -f2 "$top/data/filepressedkeys.dat" | tr '\033' E | paste -sd,)
check "every press recorded, Escape's too, in whole lines (got $keys)" \
  '[ "$keys" = k,E,m ] && ! grep -qvE "^[0-9]+\.[0-9]{6} .$" "$top/data/filepressedkeys.dat"'

# 3. Without the font: status 1 and the message, started from data\ itself.
rm "$top/data/digital-7.ttf"
(cd "$top/data" && exec wine ../tangle.exe >"$work/out" 2>"$work/err") &
pid=$!
wait_exit 120
check "no font: status 1 (got $status)" '[ "$status" = 1 ]'
check "no font: the message names the file" 'grep -q "digital-7.ttf" "$work/err"'

exit $fail
