#!/usr/bin/env bash
# tangle-cues given what it must not take as it comes: its own sheet as the
# output, more cues than the show reads, bytes a terminal would act on.
# Usage: cues_e2e.sh path/to/tangle-cues
set -u
cues=$1
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; fail=1; fi; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf 'tempo 120\n1.1 A\n' > "$work/sheet.cues"
cp "$work/sheet.cues" "$work/before"
ln -s sheet.cues "$work/link"
for out in "$work/sheet.cues" "$work/link"; do
  "$cues" "$work/sheet.cues" "$out" 2>"$work/err"; s=$?
  check "sheet as its own output ($(basename "$out")) refused with 2 ($s)" '[ $s = 2 ] && grep -q "not written over" "$work/err"'
done
check "... the sheet intact" 'cmp -s "$work/sheet.cues" "$work/before"'

# 120,000 lines of ten keys: 1.2 million cues, past the 1,126,000 records the show reads.
awk 'BEGIN { for (b = 1; b <= 120000; b++) print b ".1 ABCDEFGHIJ" }' > "$work/big.cues"
"$cues" "$work/big.cues" "$work/big.dat" 2>"$work/err"; s=$?
check "too many cues: written ($s), with a warning naming the limit" \
  '[ $s = 0 ] && grep -q "warning: 1200000 cues, but the show reads only the first 1126000" "$work/err"'
check "... every cue still written" '[ "$(wc -l < "$work/big.dat")" = 1200000 ]'

# Raw bytes in a bad line come back as escapes: a terminal's control
# sequence introducer (0x9B), a NUL.
printf '1.1 A\n\2332J A\n' > "$work/raw.cues"
"$cues" "$work/raw.cues" "$work/raw.dat" 2>"$work/err"; s=$?
check "raw byte quoted as \\x9B (status $s)" '[ $s = 1 ] && grep -q "raw.cues:2: position \"\\\\x9B2J\" is not" "$work/err"'
check "... no raw byte printed" '! LC_ALL=C grep -q $'"'"'\233'"'"' "$work/err"'
check "... and no output written" '[ ! -e "$work/raw.dat" ]'
printf '3.1\0junk A\n' > "$work/nul.cues"
"$cues" "$work/nul.cues" "$work/nul.dat" 2>"$work/err"; s=$?
check "a NUL doesn't cut the message short" '[ $s = 1 ] && grep -q "position \"3.1\\\\x00junk\" is not" "$work/err"'
# A 10 MB field is named by its start and size, not repeated whole.
{ head -c 10000000 /dev/zero | tr '\0' 7; echo ' A'; } > "$work/long.cues"
"$cues" "$work/long.cues" "$work/long.dat" 2>"$work/err"; s=$?
check "a 10 MB field: status $s, a short message ($(wc -c < "$work/err") bytes)" \
  '[ $s = 1 ] && [ "$(wc -c < "$work/err")" -lt 300 ] && grep -q "(10000000 bytes) is not" "$work/err"'

exit $fail
