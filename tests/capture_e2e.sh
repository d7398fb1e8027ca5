#!/usr/bin/env bash
# tangle-capture from the outside: determinism, video and audio, numbered frames, usage.
# Usage: capture_e2e.sh path/to/tangle-capture   (run from the data folder)
set -u
capture=$1
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; fail=1; fi; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
empty="$work/empty.dat"; : > "$empty"

# Bad arguments: a usage message and status 2.
"$capture" --fps 2>"$work/err"; s=$?
check "missing value exits 2" '[ $s = 2 ] && grep -q usage "$work/err"'
"$capture" --bogus 2>/dev/null; s=$?
check "unknown option exits 2" '[ $s = 2 ]'
"$capture" --press 1:Nope 2>/dev/null; s=$?
check "bad key exits 2" '[ $s = 2 ]'

# Determinism: same seed and arguments give identical frames.
"$capture" --seed 3 --fps 10 --to 1.5 --storyboard "$empty" --frames "$work/a" 2>/dev/null
"$capture" --seed 3 --fps 10 --to 1.5 --storyboard "$empty" --frames "$work/b" 2>/dev/null
check "15 frames written" '[ "$(ls "$work/a" | wc -l)" = 15 ]'
check "identical frames for the same seed" '(cd "$work/a" && md5sum *) | diff -q - <(cd "$work/b" && md5sum *) >/dev/null'

# Frames by index, every K-th from --from on.
"$capture" --seed 1 --fps 10 --from 1 --to 2 --every 5 --storyboard "$empty" --frames "$work/c" 2>/dev/null
check "every 5th frame named by index" '[ "$(ls "$work/c" | tr "\n" " ")" = "frame_000010.png frame_000015.png " ]'

# Video: two seconds at 30 fps, 1280 x 720, with two seconds of audio.
"$capture" --seed 1 --fps 30 --to 2 --storyboard "$empty" --out "$work/v.mp4" 2>/dev/null
frames=$(ffprobe -v error -select_streams v:0 -count_frames -show_entries stream=nb_read_frames,width,height -of csv=p=0 "$work/v.mp4")
check "60 frames of 1280x720 ($frames)" '[ "$frames" = "1280,720,60" ]'
adur=$(ffprobe -v error -select_streams a:0 -show_entries stream=duration -of csv=p=0 "$work/v.mp4")
check "two seconds of audio ($adur)" 'awk "BEGIN { exit !($adur > 1.9 && $adur < 2.1) }"'

# Ctrl-C finishes the file so far, playable, with its sound.
"$capture" --seed 1 --fps 30 --to 60 --storyboard "$empty" --out "$work/int.mp4" 2>/dev/null &
pid=$!
for _ in $(seq 1 100); do [ -s "$work/int.mp4.video.mkv" ] && break; sleep 0.2; done
sleep 2
kill -INT $pid; wait $pid; s=$?
check "Ctrl-C ends the capture with 130" '[ $s = 130 ]'
streams=$(ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$work/int.mp4" 2>/dev/null | sort | tr "\n" " ")
check "... leaving a playable file with video and audio ($streams)" '[ "$streams" = "audio video " ]'

# A contact sheet is one PNG.
"$capture" --seed 1 --fps 10 --to 2 --storyboard "$empty" --contact-sheet "$work/sheet.png" --report 2>"$work/report"
check "contact sheet written" '[ -s "$work/sheet.png" ]'
check "report names the intro section" 'grep -q "^intro" "$work/report"'

# Never writes the recording file, even for presses.
rm -f filepressedkeys.dat.capture-check
before=$(stat -c %Y filepressedkeys.dat 2>/dev/null || echo none)
"$capture" --seed 1 --fps 10 --to 0.5 --storyboard "$empty" --press 0.1:A 2>/dev/null
after=$(stat -c %Y filepressedkeys.dat 2>/dev/null || echo none)
check "no recording written" '[ "$before" = "$after" ]'

exit $fail
