#!/usr/bin/env bash
# Set up, build and run the show, or its tests.
#   ./tangle.sh        install what is missing, build, run the show from data/
#   ./tangle.sh test   the same set-up, then every test
#   ./tangle.sh release [--video]      (./tangle.sh --help: all of it)
#                      the same set-up, then the show's archive (built in a
#                      Debian 11 tree) and its video in dist/
set -euo pipefail
cd "$(dirname "$0")"
top=$(pwd)

packages=(g++ cmake pkg-config libgtest-dev libbenchmark-dev
  freeglut3-dev libglew-dev libglu1-mesa-dev libsdl1.2-dev libsdl-image1.2-dev
  libfreetype-dev libmpg123-dev libpng-dev xvfb xauth xdotool ffmpeg lame fonts-dseg
  python3-fonttools patchelf clang libclang-rt-14-dev)
# Only for the release and its test: the Debian 11 tree the archive is built in.
release_packages=(debootstrap)
# The Windows archive and its test under Wine: only for `test` and `release --windows`.
windows_packages=(gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-tools dpkg-dev wine wine64 zip unzip)

install_missing() {  # PACKAGE...
  # One query for all of them: one each takes seconds on a busy machine.
  local missing=() installed
  installed=$(dpkg-query -W -f='${Package} ${db:Status-Abbrev}\n' "$@" 2>/dev/null |
    awk '$2 ~ /^ii/ { print $1 }') || true
  for p in "$@"; do
    grep -qxF "$p" <<<"$installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "tangle: installing ${missing[*]}" >&2
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq >&2
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

# The first build of the show alone took under 3 minutes on 2 busy cores
# (README); it scales with the cores make gets. Everything, tests and
# sanitizer builds included, takes several times that.
first_build_note() {  # WHAT
  case $1 in
    "the show" | "the capture tool" | "the show for Debian 11 and later") echo "about $(((6 + $(nproc) - 1) / $(nproc))) minutes on $(nproc) cores" ;;
    *) echo "many minutes (the show alone: about $(((6 + $(nproc) - 1) / $(nproc))))" ;;
  esac
}

# The build's own percentage, one line per step of ten on a log, redrawn in
# place on a terminal; everything else it says goes to LOG, shown on failure.
show_progress() {  # LOG WHAT
  local log=$1 what=$2 shown=-10 line pct
  while IFS= read -r line; do
    printf '%s\n' "$line" >>"$log"
    # Only steps that do work: a build with nothing to do stays quiet.
    # Make says "[ 45%] Building ...", Ninja "[12/80] Building ...".
    if [[ $line =~ ^\[\ *([0-9]+)%\]\ (Building|Linking) ]]; then
      pct=${BASH_REMATCH[1]}
    elif [[ $line =~ ^\[([0-9]+)/([0-9]+)\]\ (Building|Linking) ]]; then
      pct=$((100 * BASH_REMATCH[1] / BASH_REMATCH[2]))
    else
      continue
    fi
    if [ -t 2 ]; then
      printf '\rtangle: building %s: %3d%%' "$what" "$pct" >&2
    elif [ "$pct" -ge $((shown + 10)) ]; then
      echo "tangle: building $what: $pct%" >&2
      shown=$pct
    fi
  done
  if [ -t 2 ]; then echo >&2; fi
  return 0
}

# What build runs cmake through: nothing here, base-root.sh for the release.
in_root=()

build() {  # build DIR WHAT [--target T]... [-- cmake options...]
  local dir=$1 what=$2; shift 2
  local targets=() options=()
  while [ $# -gt 0 ]; do
    case $1 in
      --target) targets+=(--target "$2"); shift 2 ;;
      --) shift; options=("$@"); break ;;
    esac
  done
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    echo "tangle: configuring $dir (first run: building $what takes $(first_build_note "$what");" \
      "later runs start at once)" >&2
    "${in_root[@]}" cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "${options[@]}" >/dev/null
  fi
  local log=$dir/tangle-build.log
  : >"$log"
  set +e
  "${in_root[@]}" cmake --build "$dir" -j"$(nproc)" "${targets[@]}" 2>&1 | show_progress "$log" "$what"
  local status=${PIPESTATUS[0]}
  set -e
  if [ "$status" -ne 0 ]; then
    grep -v -e '^\[ *[0-9]*%\]' -e '^g\?make' "$log" >&2 || true
    echo "tangle: building $what failed (the whole log: $log)" >&2
    exit "$status"
  fi
}

# The show as released: compiled in the Debian 11 tree (made on first use and
# kept in ~/.cache/tangle), into build/debian11, so that it runs on glibc 2.31
# and later. Sets root to the tree.
release_build=build/debian11
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
build_release() {
  root=$($sudo tools/release/base-root.sh make)
  in_root=($sudo tools/release/base-root.sh run --bind "$top:/src" --cd /src --)
  build "$release_build" "the show for Debian 11 and later" --target tangle
  in_root=()
}

case ${1:-} in
  -h | --help)
    cat <<'EOF'
usage: ./tangle.sh [test | release [--video | --video-to S | --windows] | --help]
  (none)    install the missing Debian packages, build the show and run it
            from data/; without a display, capture it to tangle.mp4 at 30 fps
            instead (further arguments go to the show, or to the capture tool)
  test      the same set-up, then build everything and run every test
  release   the same set-up, then build the show in a Debian 11 tree (made
            once, kept in ~/.cache/tangle) and pack
            dist/tangle-VERSION-linux-x86_64.tar.gz, which runs on glibc 2.31
            and later; --video also records dist/tangle-VERSION.mp4,
            --video-to S up to S s; --windows cross-builds
            dist/tangle-VERSION-windows-x86_64.zip instead
The first build takes minutes (the README says how long); later runs start at once.
EOF
    exit 0
    ;;
esac

case ${1:-run} in
  test) install_missing "${packages[@]}" "${release_packages[@]}" "${windows_packages[@]}" ;;
  release)
    if [[ " ${*:2} " == *" --windows "* ]]; then
      install_missing "${packages[@]}" "${windows_packages[@]}"
    else
      install_missing "${packages[@]}" "${release_packages[@]}"
    fi
    ;;
  *) install_missing "${packages[@]}" ;;
esac

case "${1:-run}" in
  run)
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
      build build "the capture tool" --target tangle-capture
      # 30 frames a second: what a video of a demo is asked to be, and half
      # the time of the capture tool's own 60.
      echo "tangle: no display; capturing the show to $top/tangle.mp4 instead (Ctrl-C keeps what is done)" >&2
      cd data && exec "$top/build/tangle-capture" --fps 30 --out "$top/tangle.mp4" "${@:2}"
    fi
    build build "the show" --target tangle
    cd data && exec "$top/build/tangle" "${@:2}"
    ;;
  test)
    # Making the Debian 11 tree the first time is mostly downloading: done
    # while the rest compiles (build_release waits for it).
    $sudo tools/release/base-root.sh make >/dev/null &
    tree_maker=$!
    build build "everything (the show, tools, tests, benchmarks)"
    build build/asan "the sanitizer build of the unit tests" -- -DTANGLE_SANITIZE=ON
    # The sanitizer build runs only the tests that need no GL context.
    (cd build/asan && ASAN_OPTIONS=detect_leaks=0 ctest -L unit --output-on-failure -j"$(nproc)")
    # The Windows archive for the windows test; its libraries take many
    # minutes the first time, then come from the cache (README).
    tools/release/make-windows-release.sh --build build/windows --out build/windows/dist \
      --jobs "$(nproc)" ||
      echo "tangle: the Windows archive could not be made; its test will say skipped" >&2
    # The release's test packs and runs this one.
    wait $tree_maker || { echo "tangle: making the Debian 11 tree failed (above)" >&2; exit 1; }
    build_release
    export SDL_AUDIODRIVER=dummy
    # Tests run side by side, one per core, so each gets one llvmpipe thread
    # unless the caller chose; -noreset keeps the display up between them.
    export LP_NUM_THREADS=${LP_NUM_THREADS:-1}
    xvfb-run -a -s "-screen 0 1280x720x24 -noreset" \
      ctest --test-dir build --output-on-failure -j"$(nproc)"
    ;;
  release)
    if [ "${2:-}" = --windows ]; then
      exec tools/release/make-windows-release.sh --build build/windows --out dist --jobs "$(nproc)"
    fi
    # Only what goes into the archive, and the capture tool for the video
    # (which runs here, so it is built here).
    build_release
    for a in "${@:2}"; do
      case $a in --video*) build build "the capture tool" --target tangle-capture ;; esac
    done
    exec tools/release/make-release.sh --build "$release_build" --root "$root" \
      --capture-build build --out dist "${@:2}"
    ;;
  *)
    echo "usage: ./tangle.sh [test | release [--video | --windows] | --help]" >&2
    exit 2
    ;;
esac
