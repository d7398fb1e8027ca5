#!/usr/bin/env bash
# Regenerates the show's font, pictures and music under data/ from the
# generators in this folder (all deterministic: a rerun gives the same files).
#   tools/assets/regenerate.sh           build the generators, rewrite the font, data/gfx and the mp3 files
#   tools/assets/regenerate.sh font      only data/digital-7.ttf
#   tools/assets/regenerate.sh images    only the pictures
#   tools/assets/regenerate.sh music     only the music
#   tools/assets/regenerate.sh check     regenerate into a temporary folder and compare with data/
set -euo pipefail
cd "$(dirname "$0")/../.."
top=$(pwd)
build=${TANGLE_BUILD_DIR:-$top/build}
what=${1:-all}
case "$what" in
  -h | --help) sed -n '2,8s/^# \{0,1\}//p' "$0"; exit 0 ;;
esac

# The title plate keeps the DSEG7 lettering it was drawn with (Debian's
# fonts-dseg); the show's own text uses the font made here.
title_font=/usr/share/fonts/truetype/dseg/DSEG7Classic-Italic.ttf

if [ "$what" != font ]; then
  [ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j2 --target tangle-make-images tangle-make-music >/dev/null
fi

declare -A mp3_name=(
  [main]="Vextor - Accelerate (kalder demo).mp3"
  [finale]="Vextor - Quorrel Dream.mp3"
  [hidden]="Vextor - Lumbrosa6.mp3"
)

make_font() {  # make_font OUT_FILE
  /usr/bin/python3 "$top/tools/assets/make_font.py" "$1"
}

make_images() {  # make_images OUT_DIR
  "$build/tangle-make-images" "$title_font" "$1"
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
  all) make_font "$top/data/digital-7.ttf"; make_images "$top/data/gfx"; make_music "$top/data" ;;
  font) make_font "$top/data/digital-7.ttf" ;;
  images) make_images "$top/data/gfx" ;;
  music) make_music "$top/data" ;;
  check)
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    mkdir "$tmp/gfx"
    make_font "$tmp/digital-7.ttf"
    make_images "$tmp/gfx"
    make_music "$tmp"
    status=0
    cmp -s "$top/data/digital-7.ttf" "$tmp/digital-7.ttf" || {
      echo "tangle: data/digital-7.ttf: regenerated font differs" >&2
      status=1
    }
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
    [ $status -eq 0 ] && echo "tangle: regenerated font, pictures and music match data/" >&2
    exit $status
    ;;
  *) echo "usage: tools/assets/regenerate.sh [all|font|images|music|check|--help]" >&2; exit 2 ;;
esac
