#!/usr/bin/env bash
# The shipped storyboard: up to date with its cue sheet, read as written, on the
# beat, every command used, and no cue whose only effect can't be seen.
# Usage: direction_storyboard.sh BUILD_DIR   (run from the source tree's data/)
set -u
build=$1
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; fail=1; fi; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/tangle-cues" ../tools/cuesheet/show.cues "$work/keys.dat" 2>/dev/null
check "keys.dat is the compiled cue sheet" 'cmp -s "$work/keys.dat" keys.dat'
"$build/tangle-storyboard" check keys.dat >"$work/report"; status=$?
check "the checker finds every record fires as written" '[ $status = 0 ]'

# Every cue within 10 ms of a beat (120 per minute: every 0.5 s).
off=$(awk '{ b = $1 / 0.5; d = (b - int(b + 0.5)) * 0.5; if (d < 0) d = -d; if (d > 0.010) print NR": "$0 }' keys.dat)
check "every cue on a beat${off:+ (off: $off)}" '[ -z "$off" ]'

# Every command key is used (Escape, "q" and the hidden part's keys aside).
missing=""
for k in '!' '$' '%' '&' '(' '*' '+' ',' '-' '.' 1 2 3 7 8 ';' '=' '@' A B C D E F G H I V Y '[' ']' d e f h n p r s t u x y z; do
  awk -v k="$k" '$2 == k { found = 1 } END { exit !found }' keys.dat || missing="$missing $k"
done
check "every command is used${missing:+ (missing:$missing)}" '[ -z "$missing" ]'
check "no Escape or q in the show" '! awk "\$2 == \"q\" || \$2 == \"\\033\"" keys.dat | grep -q .'

# Flash-only keys show from 140 s on; bursts up to 85 s or from 105 to 110 s.
early=$(awk '$2 ~ /^[13,.ster]$/ && $1 < 140 { print NR": "$0 }' keys.dat)
check "pulses and flares only once they can show${early:+ ($early)}" '[ -z "$early" ]'
lost=$(awk '$2 == "d" && (($1 > 85 && $1 < 105) || $1 > 110) { print NR": "$0 }' keys.dat)
check "bursts only where they can show${lost:+ ($lost)}" '[ -z "$lost" ]'

exit $fail
