#!/usr/bin/env bash
# Set up, build and run the show, or its tests.
#   ./tangle.sh        install what is missing, build, run the show from data/
#   ./tangle.sh test   the same set-up, then every test
#   ./tangle.sh release [--video]
#                      the same set-up, then the show's archive (and its video) in dist/
set -euo pipefail
cd "$(dirname "$0")"
top=$(pwd)

packages=(g++ cmake pkg-config libgtest-dev libbenchmark-dev
  freeglut3-dev libglew-dev libglu1-mesa-dev libsdl1.2-dev libsdl-image1.2-dev
  libfreetype-dev libmpg123-dev libpng-dev xvfb xauth xdotool ffmpeg lame fonts-dseg
  python3-fonttools patchelf clang libclang-rt-14-dev)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "tangle: installing ${missing[*]}" >&2
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq >&2
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

build() {  # build DIR [cmake options...]
  local dir=$1; shift
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
  fi
  cmake --build "$dir" -j"$(nproc)" -- --quiet >/dev/null || cmake --build "$dir" -j1
}

install_missing

case "${1:-run}" in
  run)
    build build
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
      echo "tangle: no display; capturing the show to $top/tangle.mp4 instead" >&2
      cd data && exec "$top/build/tangle-capture" --out "$top/tangle.mp4"
    fi
    cd data && exec "$top/build/tangle" "${@:2}"
    ;;
  test)
    build build
    build build/asan -DTANGLE_SANITIZE=ON
    # The sanitizer build runs only the tests that need no GL context.
    (cd build/asan && ASAN_OPTIONS=detect_leaks=0 ctest -L unit --output-on-failure -j"$(nproc)")
    export SDL_AUDIODRIVER=dummy
    # Tests run side by side, one per core, so each gets one llvmpipe thread
    # unless the caller chose; -noreset keeps the display up between them.
    export LP_NUM_THREADS=${LP_NUM_THREADS:-1}
    xvfb-run -a -s "-screen 0 1280x720x24 -noreset" \
      ctest --test-dir build --output-on-failure -j"$(nproc)"
    ;;
  release)
    # Only what goes into the archive, and the capture tool for the video.
    targets=(tangle)
    for a in "${@:2}"; do case $a in --video*) targets+=(tangle-capture) ;; esac; done
    [ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build -j"$(nproc)" --target "${targets[@]}" -- --quiet >/dev/null ||
      cmake --build build -j1 --target "${targets[@]}"
    exec tools/release/make-release.sh --build build --out dist "${@:2}"
    ;;
  *)
    echo "usage: ./tangle.sh [test | release [--video]]" >&2
    exit 2
    ;;
esac
