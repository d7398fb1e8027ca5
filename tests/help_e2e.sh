#!/usr/bin/env bash
# --help on every program: status 0, the text on standard output and nothing
# on standard error, no window opened, and every option the program's parser
# takes named in it (so an option can't be added without saying what it does).
# Usage: help_e2e.sh BUILD_DIR
set -u
build=$(realpath "$1")
src=$(cd "$(dirname "$0")/.." && pwd)
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; fail=1; fi; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Options as its source writes them: those its parser compares with and names.
options_in() { grep -o '"--[a-z-]*' "$@" | grep -o -- '--[a-z-]*' | sort -u; }

help_of() {  # NAME COMMAND... : runs it with --help, without a display
  local name=$1
  (cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY "${@:2}" --help >"$work/$name.out" 2>"$work/$name.err")
  local status=$?
  check "$name --help: status 0 ($status), text on stdout only" \
    '[ $status = 0 ] && [ -s "$work/$name.out" ] && [ ! -s "$work/$name.err" ]'
}

names_all() {  # NAME SOURCE...
  local missing="" o
  for o in $(options_in "${@:2}"); do grep -q -- "$o" "$work/$1.out" || missing+=" $o"; done
  check "$1 --help names every option it takes${missing:+ (missing:$missing)}" '[ -z "$missing" ]'
}

help_of tangle "$build/tangle"
check "... with the show's status 1 explained" 'grep -q "Status 1" "$work/tangle.out"'
help_of tangle-capture "$build/tangle-capture"
names_all tangle-capture "$src/tools/capture/capture_options.cpp"
help_of tangle-rehearse "$build/tangle-rehearse"
names_all tangle-rehearse "$src/tools/rehearse/options.cpp"
help_of tangle-storyboard "$build/tangle-storyboard"
names_all tangle-storyboard "$src/tools/storyboard/main.cpp"
for command in check from-recording; do
  check "... and its $command command" 'grep -q "^$command " "$work/tangle-storyboard.out"'
done
help_of tangle-cues "$build/tangle-cues"
help_of tangle.sh "$src/tangle.sh"
for command in test release --video; do
  check "... naming $command" 'grep -q -- "$command" "$work/tangle.sh.out"'
done
exit $fail
