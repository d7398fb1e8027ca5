#!/usr/bin/env bash
# tangle-capture given what it can't use: every case ends with one message and
# a failure status, before anything is rendered where that can be known, and
# leaves no file and no virtual X server behind.
# Usage: capture_bad_input_e2e.sh path/to/tangle-capture   (run from the data folder)
set -u
capture=$(realpath "$1")
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; fail=1; fi; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ls_work() { ls "$work" | tr "\n" " "; }
: > "$work/a-file"

# expect NAME STATUS PATTERN ARGS...: the status, and PATTERN on exactly one line of stderr.
expect() {
  local name=$1 want=$2 pattern=$3; shift 3
  timeout 60 "$capture" --fps 10 --to 0.2 "$@" 2>"$work/err" >/dev/null; local s=$?
  local n; n=$(grep -c -- "$pattern" "$work/err")
  check "$name: status $want ($s), said once ($n)" '[ $s = $want ] && [ $n = 1 ]'
}
expect "unwritable video" 1 "/nonexistent/x.mp4" --jobs 1 --out /nonexistent/x.mp4
expect "frames into a file" 1 "a-file" --frames "$work/a-file"
expect "video onto a folder" 1 "folder" --out "$work"
expect "missing storyboard" 2 "/nonexistent.dat" --storyboard /nonexistent.dat
expect "missing data folder, two pieces" 2 "/missing" --data /missing --jobs 2
expect "time past the show's range" 2 "--from must be" --from 1e30 --to 1e31 --jobs 1
expect "... in pieces too" 2 "--from must be" --from 1e30 --to 1e31 --jobs 2
expect "a huge piece count" 2 "--jobs must be" --jobs 1e30
check "nothing written ($(ls_work))" '[ "$(ls_work)" = "a-file err " ]'

# No font: the error nothing catches ends the tool with status 1, its
# virtual X server stopped and no sound file left; in pieces, said once.
mkdir "$work/data"
for f in *.mp3 keys.dat gfx; do ln -s "$PWD/$f" "$work/data/$f"; done
(cd "$work/data" && env -u DISPLAY -u WAYLAND_DISPLAY "$capture" --data . --jobs 1 --fps 10 --to 0.2 \
  --out "$work/nofont.mp4" 2>"$work/err" >/dev/null); s=$?
display=$(sed -n 's/.*virtual X server (Xvfb :\([0-9]*\)).*/\1/p' "$work/err")
check "missing font: status 1 ($s)" '[ $s = 1 ]'
check "... the font's message once" '[ "$(grep -c "FT_New_Face failed" "$work/err")" = 1 ]'
check "... its Xvfb :$display stopped" '[ -n "$display" ] && [ ! -e "/tmp/.X11-unix/X$display" ]'
check "... no sound file left" '[ -z "$(ls "$work" | grep audio)" ]'
expect "missing font, two pieces" 1 "digital-7.ttf" --data "$work/data" --jobs 2

# --to is honoured past the credits' first minute (it stopped at 241 s with
# status 0 before), and a range no frame falls in says so and fails.
timeout 120 "$capture" --jobs 1 --fps 2 --from 244 --to 246 --frames "$work/late" 2>"$work/err" >/dev/null; s=$?
check "--from 244 --to 246: status 0 ($s), frames to 245.5 s" '[ $s = 0 ] && [ -f "$work/late/frame_000491.png" ]'

# Ctrl-C in a terminal reaches the whole process group, the encoder too:
# the capture still ends with what it has as a playable file.
setsid bash -c "exec \"$capture\" --jobs 1 --fps 10 --from 10 --to 30 --out \"$work/cut.mp4\" 2>\"$work/err\" >/dev/null" &
leader=$!
for _ in $(seq 100); do [ -n "$(find "$work" -name 'cut.mp4.*.video.mkv' -size +0)" ] && break; sleep 0.2; done
sleep 1
kill -INT -- "-$leader"
wait "$leader"; s=$?
frames=$(ffprobe -v error -count_packets -select_streams v -show_entries stream=nb_read_packets -of csv=p=0 "$work/cut.mp4" 2>/dev/null)
check "Ctrl-C to the group: status 130 ($s), a playable file (${frames:-no} frames)" '[ $s = 130 ] && [ "${frames:-0}" -gt 0 ]'

# Two captures to the same file at once share nothing but the output: both
# finish, and the one that ends last leaves its whole video (one failed and
# the other mixed in its sound before).
"$capture" --jobs 1 --fps 5 --from 30 --to 31 --out "$work/same.mp4" 2>"$work/err1" >/dev/null & first=$!
"$capture" --jobs 1 --fps 5 --from 40 --to 42 --out "$work/same.mp4" 2>"$work/err2" >/dev/null; s2=$?
wait $first; s1=$?
frames=$(ffprobe -v error -count_packets -select_streams v -show_entries stream=nb_read_packets -of csv=p=0 "$work/same.mp4" 2>/dev/null)
check "two captures, one output: status $s1 and $s2, a whole video (${frames:-no} frames)" \
  '[ $s1 = 0 ] && [ $s2 = 0 ] && { [ "$frames" = 5 ] || [ "$frames" = 10 ]; }'
check "... no file of theirs left beside it" '[ -z "$(ls "$work" | grep "^same.mp4.")" ]'

exit $fail
