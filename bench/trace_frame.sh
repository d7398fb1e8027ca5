#!/usr/bin/env bash
# GL calls, draws and line-width changes of one drawn frame of the show at S
# seconds, counted by apitrace on Mesa's no-raster driver: a check of the
# capture tool's --report from outside the program.
#   bench/trace_frame.sh [BUILD_DIR] S...   (from the source tree, under a display)
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
[ -d "${1:-}" ] && { build=$1; shift; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for s in "$@"; do
  (cd data && GALLIUM_NOOP=1 apitrace trace --output "$work/t.trace" "../$build/tangle-capture" --jobs 1 --fps 30 \
    --from "$s" --to "$(python3 -c "print($s + 0.02)")" --frames "$work/f" >/dev/null 2>&1)
  apitrace dump --color=never "$work/t.trace" > "$work/dump.txt"
  # The frame read back last: from the glFinish before it to its glReadPixels.
  read_at=$(grep -n "glReadPixels" "$work/dump.txt" | tail -1 | cut -d: -f1)
  start=$(head -n $((read_at - 5)) "$work/dump.txt" | grep -n "glFinish" | tail -1 | cut -d: -f1)
  sed -n "$((start + 1)),$((read_at - 1))p" "$work/dump.txt" | grep -E '^[0-9]+ gl' > "$work/frame.txt"
  calls=$(wc -l < "$work/frame.txt")
  draws=$(grep -cE ' (glBegin|glDrawArrays|glDrawElements|glCallList|glBitmap)\(' "$work/frame.txt" || true)
  lists=$({ grep -oE 'glCallLists\(n = [0-9]+' "$work/frame.txt" || true; } | awk '{s += $3} END {print s + 0}')
  widths=$(grep -c ' glLineWidth(' "$work/frame.txt" || true)
  echo "$s s: $calls GL calls, $((draws + lists)) draws, $widths line widths"
  rm -rf "$work/f" "$work/t.trace"
done
