#!/usr/bin/env bash
# Rebuilds data/keys.dat from the cue sheet and checks it with the show's own loader.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --build build --target tangle-cues tangle-storyboard >/dev/null
build/tangle-cues tools/cuesheet/show.cues data/keys.dat
build/tangle-storyboard check data/keys.dat
