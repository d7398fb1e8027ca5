#!/usr/bin/env bash
# Regenerates the show's pictures and music under data/ from the generators in
# this folder (both deterministic: a rerun gives the same files).
#   tools/assets/regenerate.sh           build the generators, rewrite data/gfx and the mp3 files
#   tools/assets/regenerate.sh images    only the pictures
#   tools/assets/regenerate.sh music     only the music
#   tools/assets/regenerate.sh check     regenerate into a temporary folder and compare with data/
set -euo pipefail
cd "$(dirname "$0")/../.."
top=$(pwd)
build=${TANGLE_BUILD_DIR:-$top/build}
what=${1:-all}

[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target tangle-make-images tangle-make-music >/dev/null

declare -A mp3_name=(
  [main]="Vextor - Accelerate (kalder demo).mp3"
  [finale]="Vextor - Quorrel Dream.mp3"
  [hidden]="Vextor - Lumbrosa6.mp3"
)

make_images() {  # make_images OUT_DIR
  "$build/tangle-make-images" "$top/data/digital-7.ttf" "$1"
}

make_music() {  # make_music OUT_DIR
  local wav
  wav=$(mktemp -d)
  "$build/tangle-make-music" "$wav"
  for k in main finale hidden; do
    # Constant 192 kbit/s; the LAME header lame writes by default carries the
    # encoder delay and padding, which gapless decoders use to loop cleanly.
    lame --quiet --cbr -b 192 -q 2 "$wav/$k.wav" "$1/${mp3_name[$k]}"
  done
  rm -rf "$wav"
}

case "$what" in
  all) make_images "$top/data/gfx"; make_music "$top/data" ;;
  images) make_images "$top/data/gfx" ;;
  music) make_music "$top/data" ;;
  check)
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    mkdir "$tmp/gfx"
    make_images "$tmp/gfx"
    make_music "$tmp"
    status=0
    diff -r -q "$top/data/gfx" "$tmp/gfx" || status=1
    for k in main finale hidden; do
      f=${mp3_name[$k]}
      a=$(ffmpeg -v error -i "$top/data/$f" -f s16le - | md5sum)
      b=$(ffmpeg -v error -i "$tmp/$f" -f s16le - | md5sum)
      if [ "$a" != "$b" ]; then
        echo "tangle: $f: regenerated audio differs" >&2
        status=1
      fi
    done
    [ $status -eq 0 ] && echo "tangle: regenerated pictures and music match data/" >&2
    exit $status
    ;;
  *) echo "usage: tools/assets/regenerate.sh [all|images|music|check]" >&2; exit 2 ;;
esac
