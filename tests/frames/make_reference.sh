#!/usr/bin/env bash
# Writes tests/frames/reference.txt: the CRC-32 of the composed picture at seven
# moments of the shipped show (30 frames a second, seed 1), as a capture with
# this checkout's build draws them. Run it on a build whose pictures are known
# good (the reference is only as right as that build), from the source tree:
#   tests/frames/make_reference.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
top=$(pwd)
build=${1:-build}
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
moments=(35 60 125 150 172 185 200)
# Every 30th frame is one per second, so the seven moments are among them.
(cd data && "$top/$build/tangle-capture" --jobs 1 --fps 30 --seed 1 --to 200.02 --every 30 \
  --frames "$frames") >&2
{
  echo "# frame crc32, of the 1280 x 720 RGB picture at 30 frames a second (seed 1)"
  for s in "${moments[@]}"; do
    k=$((s * 30))
    crc=$(ffmpeg -loglevel error -i "$frames/$(printf 'frame_%06d.png' "$k")" -f rawvideo -pix_fmt rgb24 - |
      python3 -c 'import sys, zlib; print("%08x" % zlib.crc32(sys.stdin.buffer.read()))')
    echo "$k $crc"
  done
} > tests/frames/reference.txt
cat tests/frames/reference.txt
