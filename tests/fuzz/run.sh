#!/usr/bin/env bash
# Runs one fuzz target over its seed corpus, then fuzzes it for a bounded time.
# New inputs go to a scratch folder, never into the tree; a crash leaves its
# input under build/fuzz/ and fails the test.
# Usage: run.sh TARGET CORPUS SECONDS
set -u
target=$(realpath "$1") corpus=$(realpath "$2") seconds=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
artifacts=$(dirname "$target")/artifacts
mkdir -p "$artifacts"
cd "$work"
"$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 -max_len=65536 \
  -artifact_prefix="$artifacts/$(basename "$target")-" -print_final_stats=1 "$work" "$corpus"
