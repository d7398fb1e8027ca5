#!/usr/bin/env bash
# Seek and pieces, measured with the capture tool itself (one run each):
#   bench/capture_seek.sh [SECONDS] [FPS]
# 1. reaching SECONDS fast-forwarded vs drawing every frame (same frame, checked);
# 2. SECONDS of show captured in one process vs in two.
# Run from the source tree with the tools built in build/; needs a display or Xvfb.
set -eu
at=${1:-40}
fps=${2:-10}
top=$(cd "$(dirname "$0")/.." && pwd)
capture=$top/build/tangle-capture
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$top/data"
export SDL_AUDIODRIVER=dummy
calc() { awk "BEGIN { print $1 }"; }
wall() { local t0 t1; t0=$(date +%s.%N); "$@" 2>/dev/null; t1=$(date +%s.%N); calc "$t1 - $t0"; }
to=$(calc "$at + 1 / $fps")
ff=$(wall "$capture" --jobs 1 --fps "$fps" --from "$at" --to "$to" --frames "$work/ff")
all=$(wall "$capture" --jobs 1 --fps "$fps" --from "$at" --to "$to" --frames "$work/all" --draw-all)
same=no
(cd "$work/ff" && md5sum *) | diff -q - <(cd "$work/all" && md5sum *) >/dev/null && same=yes
printf 'seek to %s s at %s fps: fast-forward %.1f s, drawing all %.1f s, ratio %.1f, same frame: %s\n' \
  "$at" "$fps" "$ff" "$all" "$(calc "$all / $ff")" "$same"
one=$(wall "$capture" --jobs 1 --fps "$fps" --to "$at" --out "$work/one.mp4")
two=$(wall "$capture" --jobs 2 --fps "$fps" --to "$at" --out "$work/two.mp4")
printf 'capture 0-%s s at %s fps: --jobs 1 %.1f s, --jobs 2 %.1f s, ratio %.2f\n' \
  "$at" "$fps" "$one" "$two" "$(calc "$one / $two")"
