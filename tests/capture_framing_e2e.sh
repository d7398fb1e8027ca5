#!/usr/bin/env bash
# The capture report's framing columns on the real show, with no cue: the
# intro is the clear colour and a few cloud points, so every frame reads
# mostly clear; the title plate stands in the middle, so every title frame is
# framed and (its very first frame aside) not mostly clear. A wrong clear
# colour, or a picture not read back, breaks one of the two.
# Usage: capture_framing_e2e.sh TANGLE_CAPTURE   (run from the source tree's data/)
set -u
capture=$1
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; fail=1; fi; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
: >"$work/empty.dat"
"$capture" --seed 1 --fps 10 --to 8 --storyboard "$work/empty.dat" --report --report-plot "$work/plot.png" 2>"$work/report"
status=$?
check "the capture succeeds" '[ $status = 0 ]'
check "the report has the framing columns" 'grep -q "framed *mostly clear" "$work/report"'
# Columns: name, frames, median, worst, framed share, "%", mostly clear share, "%".
check "every intro frame is mostly clear" \
  'awk "/^intro/ { found = 1; if (\$7 != 100) exit 1 } END { exit !found }" "$work/report"'
check "every title frame is framed, at most one mostly clear" \
  'awk "/^title plates/ { found = 1; if (\$6 != 100 || \$8 > 100 / \$3) exit 1 } END { exit !found }" "$work/report"'
[ $fail = 0 ] || cat "$work/report"
exit $fail
