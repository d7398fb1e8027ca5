#!/bin/sh
# Runs the show from its data folder, wherever this folder was unpacked; the
# arguments go to the show (and so to GLUT, e.g. -display :1).
here=$(dirname "$(readlink -f "$0")")

# lib/ carries the C++ runtime the show was built with, for systems older than
# the build. A newer system's OpenGL driver may need its own, newer runtime,
# and only one can be loaded: where the system's is as new or newer, it is
# loaded first, as it was built for the system's own C library.
glibcxx() { grep -ao 'GLIBCXX_3\.4\.[0-9]*' "$1" 2>/dev/null | sed 's/.*\.//' | sort -n | tail -1; }
system_cxx=$( (ldconfig -p || /sbin/ldconfig -p) 2>/dev/null |
  awk '$1 == "libstdc++.so.6" && /x86-64/ { print $NF; exit }')
if [ -n "$system_cxx" ] && [ -f "$system_cxx" ] &&
  [ "$(glibcxx "$system_cxx")" -ge "$(glibcxx "$here/lib/libstdc++.so.6")" ] 2>/dev/null; then
  preload=$system_cxx
  system_gcc=$(dirname "$system_cxx")/libgcc_s.so.1  # the runtime beneath it, of the same age
  [ -f "$system_gcc" ] && preload=$preload:$system_gcc
  LD_PRELOAD="$preload${LD_PRELOAD:+:$LD_PRELOAD}"
  export LD_PRELOAD
fi

case "${1:-}" in
  -h | --help)
    echo "usage: ./tangle [options]"
    echo "Runs the show from $here/data (where it appends your key presses to"
    echo "filepressedkeys.dat); the options go to the show, whose own help follows."
    echo
    ;;
esac

cd "$here/data" || exit 1
exec "$here/bin/tangle" "$@"
