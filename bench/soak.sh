#!/usr/bin/env bash
# A long run of the live show under its own Xvfb, sampling resident memory
# and frame times:
#   bench/soak.sh [SECONDS] [credits|hidden] [SAMPLE_SECONDS]
# credits (default): the show plays through its finale into the looping end
#   credits. hidden: once the finale has started, the hidden part's key chain
#   is typed, and the hidden part runs from then on.
# Every SAMPLE_SECONDS (default 10) one line: seconds since start, resident
# memory (MB), frames in the window, median / 99th percentile / worst frame
# time (ms). Then a summary: the memory after the first pass through the show
# (at 200 s, or the first sample after it) against the last sample.
# Run from the source tree with build/tangle built; needs Xvfb and xdotool.
# Silent audio (SDL's dummy driver) keeps time as a sound card would.
set -eu
duration=${1:-1800}
mode=${2:-credits}
sample=${3:-10}
top=$(cd "$(dirname "$0")/.." && pwd)
show=$top/build/tangle
work=$(mktemp -d)
xvfb=""
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

g++ -O2 -shared -fPIC -o "$work/frame_log.so" "$top/bench/soak_frame_log.cpp" -ldl
# The show runs in a copy of data/ made of links, so its recording file stays out of the tree.
mkdir "$work/data"
for f in "$top"/data/*; do ln -s "$f" "$work/data/$(basename "$f")"; done
rm -f "$work/data/filepressedkeys.dat"

Xvfb -displayfd 8 -screen 0 1280x720x24 -nolisten tcp 8>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.2; done
export DISPLAY=:$(head -1 "$work/display")
export SDL_AUDIODRIVER=dummy TANGLE_FRAME_LOG=$work/frames
(cd "$work/data" && LD_PRELOAD=$work/frame_log.so exec "$show" >"$work/stdout" 2>"$work/stderr") &
pid=$!
start=$(date +%s.%N)
elapsed() { awk -v s="$start" -v n="$(date +%s.%N)" 'BEGIN { printf "%.0f", n - s }'; }

typed=no
last_line=0
printf '%8s %8s %7s %8s %8s %8s\n' seconds rss_mb frames med_ms p99_ms max_ms
while kill -0 "$pid" 2>/dev/null; do
  sleep "$sample"
  t=$(elapsed)
  rss=$(awk '/^VmRSS/ { printf "%.1f", $2 / 1024 }' "/proc/$pid/status" 2>/dev/null || echo 0)
  lines=$(wc -l < "$work/frames" 2>/dev/null || echo 0)
  # Frame times of the swaps since the last sample.
  stats=$(sed -n "$((last_line > 0 ? last_line : 1)),${lines}p" "$work/frames" 2>/dev/null |
    awk 'NR > 1 { printf "%.3f\n", ($1 - p) / 1e6 } { p = $1 }' | sort -n |
    awk '{ d[++n] = $1 } END { if (n == 0) { print 0, 0, 0, 0; exit }
         q = int(n * 0.99) + 1; if (q > n) q = n
         printf "%d %.1f %.1f %.1f", n, d[int(n / 2) + 1], d[q], d[n] }')
  last_line=$lines
  printf '%8s %8s %7s %8s %8s %8s\n' "$t" "$rss" $stats
  echo "$t $rss" >> "$work/rss"
  if [ "$mode" = hidden ] && [ $typed = no ] && [ "$t" -ge 200 ]; then
    wid=$(xdotool search --onlyvisible --name Tangle 2>/dev/null | head -1)
    xdotool windowfocus --sync "$wid" 2>/dev/null || true
    xdotool key --delay 200 g l o w g
    typed=yes
    echo "# typed the hidden part's key chain at $t s"
  fi
  [ "$t" -ge "$duration" ] && break
done
kill -0 "$pid" 2>/dev/null || { echo "the show ended early:"; cat "$work/stderr"; exit 1; }
awk 'NR == 1 || $1 < 200 { before = $2 } $1 >= 200 && !at { at = $1; first = $2 } { last = $2; lt = $1 }
     END { if (!at) { print "# run shorter than one pass (200 s): no growth figure"; exit }
           printf "# RSS after the first pass (%d s): %.1f MB; at the end (%d s): %.1f MB; change %+.2f %%\n",
                  at, first, lt, last, 100 * (last - first) / first }' "$work/rss"
[ "$mode" = hidden ] && echo "# hidden part: $(wc -l < "$work/stdout") pattern lines on standard output"
grep -v "^$" "$work/stderr" | sed 's/^/# show: /' || true
