#!/usr/bin/env bash
# The rehearsal under X with SDL's dummy audio, keys from xdotool, in two runs:
#  1. --from S: a storyboard "q" before S doesn't end it (never during the
#     stepping); a press ~3 s in is recorded between S and S + 6; presses
#     either side of a 2 s pause are under 1 s of music apart; Right jumps a
#     bar ahead; the storyboard rewritten while it runs: a record added ahead
#     plays on without a jump, a malformed line leaves it running with a
#     "tangle:" line naming file and line, a change before the music jumps
#     back to the moment, and a "q" 3 s ahead ends it, status 0, within 10 s.
#  2. --loop S:S+2: presses over 6 s are all recorded between S and S + 2.5;
#     SIGTERM ends it with status 0.
#  3. --from S: "q" pressed a second into the stepping ends it within 2 s,
#     status 0, saying so.
# Usage: rehearse_e2e.sh path/to/tangle-rehearse [S]   (S defaults to 120 s;
# REHEARSE_STEP_WAIT is how long a jump to S may take, default 120 s)
set -u
rehearse=$(realpath "$1")
from=${2:-120}
step_wait=${REHEARSE_STEP_WAIT:-120}
src=$(cd "$(dirname "$0")/.." && pwd)
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; fail=1; fi; }

. "$src/tests/support/display.sh"
start_private_display

work=$(mktemp -d)
trap 'kill $pid 2>/dev/null; rm -rf "$work"; kill $xvfb 2>/dev/null' EXIT
pid=""
mkdir -p "$work/data"
for f in "$src"/data/*; do ln -s "$f" "$work/data/"; done
rm -f "$work/data/keys.dat" "$work/data/filepressedkeys.dat"
story="$work/story.dat"
rec="$work/data/filepressedkeys.dat"

start() {  # options...
  rm -f "$rec"
  : > "$work/err"
  SDL_AUDIODRIVER=dummy "$rehearse" --data "$work/data" --storyboard "$story" "$@" >"$work/out" 2>"$work/err" &
  pid=$!
  wid=""
  for _ in $(seq 1 $((step_wait * 5))); do
    grep -q "rehearsal live from" "$work/err" && break
    kill -0 $pid 2>/dev/null || break
    sleep 0.2
  done
  wid=$(xdotool search --onlyvisible --name Tangle 2>/dev/null | head -1)
}
send() { xdotool windowfocus --sync "$wid" 2>/dev/null; xdotool key --delay 100 "$@"; }
alive() { kill -0 $pid 2>/dev/null; }
wait_exit() {  # seconds: sets status, and took (seconds waited)
  took=0
  for _ in $(seq 1 $(($1 * 10))); do alive || break; sleep 0.1; took=$((took + 1)); done
  took=$((took / 10))
  if alive; then kill -9 $pid; wait $pid 2>/dev/null; status=killed; else wait $pid; status=$?; fi
}
time_of() { awk -v k="$1" '$2 == k { t = $1 } END { print t }' "$rec"; }  # the last press of a key
# The music time now: a press of "k" (no command) is recorded with it.
# It waits for the line: a press during a jump is handled once the jump is done.
music_now() {
  local n
  n=$(grep -c " k$" "$rec" 2>/dev/null)
  send k
  for _ in $(seq 1 $((step_wait * 10))); do
    [ "$(grep -c " k$" "$rec" 2>/dev/null)" -gt "${n:-0}" ] && break
    sleep 0.1
  done
  time_of k
}

# 1. From S.
printf '%s q\n' "$(awk -v s="$from" 'BEGIN { printf "%.3f", s / 2 }')" > "$story"
start --from "$from"
check "live at $from s, a storyboard q before it not fired" 'grep -q "rehearsal live from" "$work/err" && alive'
sleep 3
send A
sleep 0.5
a=$(time_of A)
check "A about 3 s in is recorded between $from and $from + 6 ($a)" \
  'awk -v t="$a" -v s="$from" "BEGIN { exit !(t != \"\" && t >= s && t <= s + 6) }"'
send B space
sleep 2
send space C
sleep 0.5
b=$(time_of B); c=$(time_of C)
check "presses either side of a 2 s pause are under 1 s of music apart ($b, $c)" \
  'awk -v b="$b" -v c="$c" "BEGIN { exit !(b != \"\" && c != \"\" && c - b < 1 && c >= b) }"'
before=$(music_now)
send Right
after=$(music_now)
check "Right jumps a bar (2 s) ahead ($before, $after)" \
  'awk -v b="$before" -v a="$after" "BEGIN { exit !(a - b > 1.9 && a - b < 3) }"'
check "the jump went from a kept copy of the show, and said so" \
  'grep -q "^tangle: jumped to .* s: state in [0-9]* ms (restored .* s, [0-9]* steps), picture in [0-9]* ms$" "$work/err" &&
   ! grep "^tangle: jumped to" "$work/err" | tail -1 | grep -q "restored 0.00 s"'
printf '%s k\n' "$(awk -v a="$after" 'BEGIN { printf "%.3f", a + 60 }')" >> "$story"
for _ in $(seq 1 50); do grep -q "playing on" "$work/err" && break; sleep 0.1; done
check "a record added ahead of the music reloads without a jump" 'grep -q "story.dat: reloaded; nothing before .* changed, playing on" "$work/err"'
check "... and the checker's finding on it is said" 'grep -q "^tangle: .*story.dat:2: .* never fires" "$work/err"'
printf '%s A\nhello\n' "$from" > "$story"
for _ in $(seq 1 50); do grep -q "story.dat:2: can't read" "$work/err" && break; sleep 0.1; done
check "a malformed line: a tangle: line naming file and line, still running" \
  'grep -q "^tangle: .*story.dat:2: can.t read a record from \"hello\"; keeping" "$work/err" && alive'
: > "$story"
for _ in $(seq 1 $((step_wait * 10))); do grep -q "story.dat: reloaded; back to" "$work/err" && break; sleep 0.1; done
check "emptied, the storyboard's past changed: it jumps back to the moment, still running" \
  'grep -q "story.dat: reloaded; back to" "$work/err" && alive'
now=$(music_now)
printf '%s q\n' "$(awk -v t="$now" 'BEGIN { printf "%.3f", t + 3 }')" > "$story"
wait_exit 10
check "a storyboard rewritten to hold a q 3 s ahead ends it within 10 s (status $status after $took s)" \
  '[ "$status" = 0 ]'
[ $fail = 0 ] || { echo "stderr of the first run:"; sed 's/^/  /' "$work/err"; }
check "standard output is empty" '[ ! -s "$work/out" ]'

# 2. A loop of two seconds.
: > "$story"
to=$(awk -v s="$from" 'BEGIN { print s + 2 }')
start --loop "$from:$to"
check "looping from $from s" 'grep -q "rehearsal live from" "$work/err" && alive'
for _ in $(seq 1 12); do send k; sleep 0.5; done
# Presses made while a jump back steps the show are handled after it.
for _ in $(seq 1 $((step_wait * 10))); do [ "$(wc -l < "$rec")" -ge 12 ] && break; sleep 0.1; done
check "presses over 6 s are all recorded between $from and $from + 2.5 ($(awk '{ printf "%s ", $1 }' "$rec"))" \
  '[ "$(wc -l < "$rec")" -ge 12 ] && awk -v s="$from" "\$1 < s || \$1 > s + 2.5 { bad = 1 } END { exit bad }" "$rec"'
kill -TERM $pid
wait_exit 10
check "SIGTERM ends it with status 0" '[ "$status" = 0 ]'

[ $fail = 0 ] || { echo "stderr of the second run:"; sed 's/^/  /' "$work/err"; }

# 3. Ended in the middle of the first stepping.
rm -f "$rec"
: > "$work/err"
SDL_AUDIODRIVER=dummy "$rehearse" --data "$work/data" --storyboard "$story" --from "$from" >"$work/out" 2>"$work/err" &
pid=$!
wid=""
for _ in $(seq 1 50); do wid=$(xdotool search --onlyvisible --name Tangle 2>/dev/null | head -1); [ -n "$wid" ] && break; sleep 0.1; done
sleep 1
send q
wait_exit 2
check "q a second into the stepping ends it within 2 s (status $status after $took s)" \
  '[ "$status" = 0 ] && grep -q "^tangle: ended while stepping to" "$work/err"'
exit $fail
