#!/usr/bin/env bash
# Rebuilds data/keys.dat from the cue sheet and checks it with the show's own loader.
# No options but --help.
set -euo pipefail
case "${1:-}" in
  -h | --help) sed -n '2s/^# //p' "$0"; echo "usage: tools/cuesheet/build-keys.sh"; exit 0 ;;
  ?*) echo "usage: tools/cuesheet/build-keys.sh (it takes no arguments)" >&2; exit 2 ;;
esac
cd "$(dirname "$0")/../.."
cmake --build build --target tangle-cues tangle-storyboard >/dev/null
build/tangle-cues tools/cuesheet/show.cues data/keys.dat
build/tangle-storyboard check data/keys.dat
