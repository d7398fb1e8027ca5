#!/usr/bin/env bash
# tangle-capture from the outside: determinism, fast-forward, pieces, video and
# audio, numbered frames, signals, usage.
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
"$capture" --jobs 0 2>/dev/null; s=$?
check "--jobs 0 exits 2" '[ $s = 2 ]'

# Determinism: same seed and arguments give identical frames.
"$capture" --seed 3 --fps 10 --to 1.5 --storyboard "$empty" --frames "$work/a" 2>/dev/null
"$capture" --seed 3 --fps 10 --to 1.5 --storyboard "$empty" --frames "$work/b" 2>/dev/null
check "15 frames written" '[ "$(ls "$work/a" | wc -l)" = 15 ]'
check "identical frames for the same seed" '(cd "$work/a" && md5sum *) | diff -q - <(cd "$work/b" && md5sum *) >/dev/null'

# Frames by index, every K-th from --from on, whichever piece draws them.
"$capture" --seed 1 --fps 10 --from 1 --to 2 --every 5 --storyboard "$empty" --frames "$work/c" --jobs 1 2>/dev/null
check "every 5th frame named by index" '[ "$(ls "$work/c" | tr "\n" " ")" = "frame_000010.png frame_000015.png " ]'
"$capture" --seed 1 --fps 10 --from 1 --to 2 --every 5 --storyboard "$empty" --frames "$work/c3" --jobs 3 2>/dev/null
check "... also in three pieces" '[ "$(ls "$work/c3" | tr "\n" " ")" = "frame_000010.png frame_000015.png " ]'
"$capture" --seed 1 --fps 10 --from 1 --to 1.2 --storyboard "$empty" --frames "$work/c4" --jobs 4 --out "$work/c4.mp4" 2>/dev/null
frames=$(ffprobe -v error -select_streams v:0 -count_frames -show_entries stream=nb_read_frames -of csv=p=0 "$work/c4.mp4")
check "more pieces than frames still make the video ($frames)" '[ "$frames" = 2 ]'

# Fast-forward to --from gives the frames a run that drew everything gives,
# with the shipped storyboard's commands along the way.
"$capture" --seed 2 --fps 10 --from 2.5 --to 3 --frames "$work/ff" --jobs 1 2>/dev/null
"$capture" --seed 2 --fps 10 --from 2.5 --to 3 --frames "$work/all" --jobs 1 --draw-all 2>/dev/null
check "5 frames after fast-forward" '[ "$(ls "$work/ff" | wc -l)" = 5 ]'
check "fast-forwarded frames equal fully drawn ones" '(cd "$work/ff" && md5sum *) | diff -q - <(cd "$work/all" && md5sum *) >/dev/null'

# Two pieces give the frames of one process, and one video with its sound.
"$capture" --seed 4 --fps 10 --from 0.5 --to 2.5 --frames "$work/p1" --jobs 1 2>/dev/null
"$capture" --seed 4 --fps 10 --from 0.5 --to 2.5 --frames "$work/p2" --jobs 2 --out "$work/p2.mp4" 2>/dev/null
check "20 frames in two pieces" '[ "$(ls "$work/p2" | wc -l)" = 20 ]'
check "two pieces draw the frames one process draws" '(cd "$work/p1" && md5sum *) | diff -q - <(cd "$work/p2" && md5sum *) >/dev/null'
frames=$(ffprobe -v error -select_streams v:0 -count_frames -show_entries stream=nb_read_frames -of csv=p=0 "$work/p2.mp4")
check "joined video has every frame ($frames)" '[ "$frames" = 20 ]'
adur=$(ffprobe -v error -select_streams a:0 -show_entries stream=duration -of csv=p=0 "$work/p2.mp4")
check "... and two seconds of audio ($adur)" 'awk "BEGIN { exit !($adur > 1.8 && $adur < 2.1) }"'

# Video: two seconds at 30 fps, 1280 x 720, with two seconds of audio.
"$capture" --seed 1 --fps 30 --to 2 --storyboard "$empty" --out "$work/v.mp4" 2>/dev/null
frames=$(ffprobe -v error -select_streams v:0 -count_frames -show_entries stream=nb_read_frames,width,height -of csv=p=0 "$work/v.mp4")
check "60 frames of 1280x720 ($frames)" '[ "$frames" = "1280,720,60" ]'
adur=$(ffprobe -v error -select_streams a:0 -show_entries stream=duration -of csv=p=0 "$work/v.mp4")
check "two seconds of audio ($adur)" 'awk "BEGIN { exit !($adur > 1.9 && $adur < 2.1) }"'

# Ctrl-C and SIGTERM finish the file so far, playable, with its sound, and
# say which stretch of the show it holds; in pieces, every piece's frames are
# kept, each stretch without a gap in a file of its own.
# stop SIGNAL STATUS JOBS NAME
duration() { ffprobe -v error -show_entries format=duration -of csv=p=0 "$1" 2>/dev/null; }
stop() {
  "$capture" --seed 1 --fps 30 --to 60 --storyboard "$empty" --jobs "$3" --out "$work/$4.mp4" --frames "$work/$4" 2>"$work/$4.err" &
  local pid=$! want=$2
  # Until the last piece (from 30 s, frame 900 on) has frames of its own.
  local last_piece=frame_000
  [ "$3" = 2 ] && last_piece=frame_0009
  for _ in $(seq 1 300); do compgen -G "$work/$4/$last_piece*" >/dev/null && break; sleep 0.2; done
  sleep 1
  kill "-$1" $pid; wait $pid; s=$?
  check "$1 ends the capture in $3 piece(s) with $2" '[ $s = $want ]'
  streams=$(ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$work/$4.mp4" 2>/dev/null | sort | tr "\n" " ")
  check "... leaving a playable file with video and audio ($streams)" '[ "$streams" = "audio video " ]'
  # "partial: 0:00.0 to 0:04.3, of 1:00.0" (one piece) or
  # "partial: 0:00.0 to 0:04.3 in NAME.mp4 and 0:30.0 to 0:31.2 in NAME.part2.mp4, of 1:00.0"
  said=$(sed -n 's/^tangle: partial: //p' "$work/$4.err")
  end=$(sed -n 's/^0:00\.0 to 0:\([0-9.]*\).*/\1/p' <<<"$said")
  lasts=$(duration "$work/$4.mp4")
  check "... saying the span it holds ($said; the file lasts $lasts s)" \
    '[ -n "$end" ] && awk -v a="$end" -v b="$lasts" "BEGIN { exit !(a - b < 0.1 && b - a < 0.1) }"'
  if [ "$3" = 2 ]; then
    part2=$4.part2.mp4
    check "... and the last piece's frames in $part2, from 0:30.0" \
      'grep -q " and 0:30\.0 to 0:[0-9.]* in $part2, of 1:00.0" <<<"$said" && [ -n "$(duration "$work/$part2")" ]'
  fi
}
stop INT 130 1 int
stop TERM 143 1 term
stop TERM 143 2 term2

# A contact sheet is one PNG.
"$capture" --seed 1 --fps 10 --to 2 --storyboard "$empty" --contact-sheet "$work/sheet.png" --report \
  --report-plot "$work/cost.png" 2>"$work/report"
check "contact sheet written" '[ -s "$work/sheet.png" ]'
check "report names the intro section" 'grep -q "^intro" "$work/report"'
check "report counts the frames drawn" 'grep -q "captured 20 frames" "$work/report"'
check "cost plot written as PNG" '[ "$(head -c 4 "$work/cost.png" | tail -c 3)" = PNG ]'

# Never writes the recording file, even for presses.
rm -f filepressedkeys.dat.capture-check
before=$(stat -c %Y filepressedkeys.dat 2>/dev/null || echo none)
"$capture" --seed 1 --fps 10 --to 0.5 --storyboard "$empty" --press 0.1:A 2>/dev/null
after=$(stat -c %Y filepressedkeys.dat 2>/dev/null || echo none)
check "no recording written" '[ "$before" = "$after" ]'

# The video as players show it: BT.709 in limited range and tagged so, the
# index first. The pink background at 120 s, decoded from the tags, is the
# PNG's colour within 2 levels.
"$capture" --jobs 1 --fps 5 --from 120 --to 120.2 --frames "$work/pink" --out "$work/pink.mp4" 2>/dev/null
tags=$(ffprobe -v error -select_streams v -show_entries stream=color_space,color_range,color_primaries,color_transfer \
  -of csv=p=0 "$work/pink.mp4")
check "video tagged BT.709, limited range ($tags)" '[ "$tags" = "tv,bt709,bt709,bt709" ]'
boxes=$(python3 -c 'import sys
d = open(sys.argv[1], "rb").read(); i = 0; names = []
while i + 8 <= len(d):
    n = int.from_bytes(d[i:i + 4], "big"); names.append(d[i + 4:i + 8].decode("latin-1")); i += n if n else len(d)
print(" ".join(names))' "$work/pink.mp4")
check "index before the media ($boxes)" '[[ "$boxes" == "ftyp moov"* ]]'
png=$(ffmpeg -v error -i "$work/pink/frame_000600.png" -f rawvideo -pix_fmt rgb24 - | od -An -tu1 -j $(((100 * 1280 + 100) * 3)) -N3)
mp4=$(ffmpeg -v error -i "$work/pink.mp4" -frames:v 1 \
  -vf "scale=in_color_matrix=auto:in_range=auto:flags=accurate_rnd+full_chroma_int,format=rgb24" -f rawvideo - |
  od -An -tu1 -j $(((100 * 1280 + 100) * 3)) -N3)
lengths=$(ffprobe -v error -show_entries stream=duration -of csv=p=0 "$work/pink.mp4" | tr "\n" " ")
check "sound as long as the pictures ($lengths)" 'python3 -c "import sys; v, a = map(float, sys.argv[1:3]); sys.exit(abs(v - a) > 0.03)" $lengths'
check "decoded colour ($mp4) within 2 of the PNG's ($png)" 'python3 -c "import sys; a, b = sys.argv[1].split(), sys.argv[2].split(); sys.exit(max(abs(int(x) - int(y)) for x, y in zip(a, b)) > 2)" "$png" "$mp4"'

exit $fail
