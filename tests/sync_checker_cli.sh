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
exit $((failures > 0))
