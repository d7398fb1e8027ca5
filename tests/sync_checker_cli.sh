#!/usr/bin/env bash
# The storyboard checker's command line: verdicts as exit statuses.
set -u
tool="${TANGLE_BUILD_DIR:?}/tangle-storyboard"
[ -x "$tool" ] || { echo "missing $tool" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

expect() {  # expect STATUS NAME TEXT
    printf '%b' "$3" > "$work/$2"
    "$tool" check "$work/$2" > "$work/out" 2>&1
    local got=$?
    if [ "$got" -ne "$1" ]; then
        echo "$2: exit $got, expected $1" >&2
        cat "$work/out" >&2
        failures=$((failures + 1))
    fi
}

expect 0 clean.dat '0.5 A\n1 +\n2.25 q\n'
# A text tool: no GL library comes with it, and it lists the command keys.
if ldd "$tool" | grep -q -e 'libGL' -e 'libglut' -e 'libGLEW'; then
    echo "tangle-storyboard links GL" >&2
    failures=$((failures + 1))
fi
"$tool" keys | grep -q '^| `+` | ' || { echo "keys: no table" >&2; failures=$((failures + 1)); }
expect 1 malformed.dat '0.5 A\nnot a record\n1 +\n'
expect 1 marker.dat '0.5 A\n-1 x\n1 +\n'
"$tool" check "$work/absent.dat" > /dev/null 2>&1
[ $? -eq 2 ] || { echo "absent file: expected exit 2" >&2; failures=$((failures + 1)); }
# A FIFO is refused at once, not waited on.
mkfifo "$work/fifo.dat"
timeout 10 "$tool" check "$work/fifo.dat" > /dev/null 2>&1
[ $? -eq 2 ] || { echo "FIFO: expected exit 2 at once" >&2; failures=$((failures + 1)); }
"$tool" > /dev/null 2>&1
[ $? -eq 2 ] || { echo "no arguments: expected exit 2" >&2; failures=$((failures + 1)); }
# The verdict line names the file and counts.
expect 1 summary.dat '1 A\nbad\n'
grep -q "summary.dat: 2 records, 1 fire as written, 1 lost or misread" "$work/out" ||
    { echo "summary line missing" >&2; cat "$work/out" >&2; failures=$((failures + 1)); }

# A recording of three runs as the show appends them: two ended by a quit key
# (Escape, then "q"), the last one (later than the q) by Ctrl-C. The last run
# becomes a storyboard the checker passes; --all takes every run in time
# order, without quit keys; a storyboard it replaces is kept.
printf '150.000000 A\n150.500000 +\n181.730698 \033\n1.000000 B\n2.500000 8\n3.000000 q\n5.000000 C\n6.000000 D\n' \
    > "$work/rec.dat"
echo "1.000000 x" > "$work/keys.dat"
"$tool" from-recording "$work/rec.dat" "$work/keys.dat" > "$work/out" 2>&1
status=$?
[ $status -eq 0 ] && [ "$(cat "$work/keys.dat")" = "$(printf '5.000000 C\n6.000000 D')" ] &&
    [ "$(cat "$work/keys.dat~")" = "1.000000 x" ] ||
    { echo "from-recording: status $status, wrote:" >&2; cat "$work/keys.dat" "$work/out" >&2; failures=$((failures + 1)); }
"$tool" from-recording --all "$work/rec.dat" "$work/keys.dat" > "$work/out" 2>&1
status=$?
[ $status -eq 0 ] && [ "$(cut -d' ' -f2 "$work/keys.dat" | tr -d '\n')" = "B8CDA+" ] ||
    { echo "from-recording --all: status $status, wrote:" >&2; cat "$work/keys.dat" "$work/out" >&2; failures=$((failures + 1)); }
"$tool" from-recording "$work/rec.dat" "$work/rec.dat" > /dev/null 2>&1
[ $? -eq 2 ] && [ "$(wc -l < "$work/rec.dat")" -eq 8 ] ||
    { echo "from-recording onto the recording itself: expected exit 2, the file intact" >&2; failures=$((failures + 1)); }
exit $((failures > 0))
