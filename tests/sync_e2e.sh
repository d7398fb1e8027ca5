#!/usr/bin/env bash
# The show driven by its storyboard: "0.5 q" ends it with status 0 within a
# few seconds; the same line behind a malformed one never fires, so the show
# is still running when the time limit stops it.
set -u
show="${TANGLE_BUILD_DIR:?}/tangle"
data="${TANGLE_SOURCE_DIR:?}/data"
[ -x "$show" ] || { echo "missing $show" >&2; exit 1; }
[ -n "${DISPLAY:-}" ] || { echo "no display" >&2; exit 1; }

# A copy of the data folder (links to its files) with a storyboard of our own.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for f in "$data"/*; do ln -s "$f" "$work/"; done
rm -f "$work/keys.dat" "$work/filepressedkeys.dat"

run_show() {  # run_show SECONDS: the show's exit status (124 or 137 when still running)
    # SDL turns SIGTERM into a quit event the show doesn't read: follow up with KILL.
    (cd "$work" && timeout -k 3 "$1" "$show" > "$work/stdout" 2> "$work/stderr")
}

printf '0.5 q\n' > "$work/keys.dat"
start=$(date +%s)
run_show 30
status=$?
elapsed=$(( $(date +%s) - start ))
if [ "$status" -ne 0 ]; then
    echo "a storyboard \"0.5 q\": exit status $status, expected 0" >&2
    cat "$work/stderr" >&2
    exit 1
fi
if [ "$elapsed" -gt 15 ]; then
    echo "a storyboard \"0.5 q\" took ${elapsed} s to end the show" >&2
    exit 1
fi

printf 'not a record\n0.5 q\n' > "$work/keys.dat"
run_show 8
status=$?
if [ "$status" -ne 124 ] && [ "$status" -ne 137 ]; then
    echo "\"0.5 q\" behind a malformed line: the show ended with status $status; it should keep running" >&2
    cat "$work/stderr" >&2
    exit 1
fi
echo "ok: storyboard q ends the show in ${elapsed} s; behind a malformed line it does not"
