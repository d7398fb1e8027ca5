#!/usr/bin/env bash
# make-windows-release.sh: cross-builds the show for 64-bit Windows and packs
# dist/tangle-VERSION-windows-x86_64.zip: tangle.exe, the DLLs it needs, the
# data files, a README.txt for a Windows viewer and the licences. The
# libraries come from windows-libs.sh (built once, then cached); the C++
# runtime, libgcc and winpthread are linked into tangle.exe.
# The zip's bytes depend only on its inputs: sorted entries, the commit's
# time on every file, no extra attributes.
# Depends on: the mingw-w64 posix compilers, cmake, objdump, zip.
#
# Usage: make-windows-release.sh [--build DIR] [--out DIR] [--jobs N]
#   --build DIR   the Windows build tree; default build/windows
#   --out DIR     where the zip and its .sha256 go; default dist/
#   --jobs N      parallel compile jobs; default 2
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
build=$src/build/windows
out=$src/dist
jobs=2
host=x86_64-w64-mingw32

die() { echo "tangle: $*" >&2; exit 1; }
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$(mkdir -p "$2" && cd "$2" && pwd); shift 2 ;;
    --out) mkdir -p "$2" && out=$(cd "$2" && pwd); shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    -h | --help) sed -n '/^# Usage:/,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
    *) die "make-windows-release: unknown option $1 (see the header of $0)" ;;
  esac
done
command -v zip >/dev/null || die "zip: not installed (./tangle.sh release --windows installs it)"
command -v $host-objdump >/dev/null || die "$host-objdump: not installed (./tangle.sh release --windows installs it)"

prefix=$("$here/windows-libs.sh" --jobs "$jobs")
export TANGLE_WINDOWS_PREFIX=$prefix

if [ ! -f "$build/CMakeCache.txt" ]; then
  echo "tangle: configuring $build for Windows" >&2
  cmake -S "$src" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64.cmake" \
    -DTANGLE_WINDOWS_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release >"$build.configure.log" 2>&1 ||
    { cat "$build.configure.log" >&2; die "$build: configuring the Windows build failed"; }
fi
# A cache made against another library build must not link stale DLLs.
grep -qxF "TANGLE_WINDOWS_PREFIX:UNINITIALIZED=$prefix" "$build/CMakeCache.txt" ||
  grep -qxF "TANGLE_WINDOWS_PREFIX:PATH=$prefix" "$build/CMakeCache.txt" ||
  cmake -DTANGLE_WINDOWS_PREFIX="$prefix" "$build" >/dev/null
echo "tangle: building tangle.exe" >&2
cmake --build "$build" -j"$jobs" --target tangle >"$build/tangle-build.log" 2>&1 ||
  { grep -v '^\[ *[0-9]*%\]' "$build/tangle-build.log" >&2; die "building tangle.exe failed (log: $build/tangle-build.log)"; }
show=$build/tangle.exe
[ -f "$show" ] || die "$show: not built"

version=$(git -C "$src" describe --always --dirty 2>/dev/null || echo unknown)
epoch=$(git -C "$src" log -1 --format=%ct 2>/dev/null || echo "${SOURCE_DATE_EPOCH:-0}")
name=tangle-$version-windows-x86_64
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
top=$work/$name
mkdir -p "$top/data/gfx" "$top/licenses"

# The DLLs the show needs, and what they need in turn, from the library
# prefix or the compiler's runtime; Windows' own (kernel32, opengl32, ...)
# are found in neither and stay out.
runtime_dirs=("$prefix/bin" /usr/lib/gcc/$host/*-posix /usr/$host/lib)
dlls() { $host-objdump -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p'; }
declare -A bundled
queue=($(dlls "$show"))
while [ ${#queue[@]} -gt 0 ]; do
  dll=${queue[0]}
  queue=("${queue[@]:1}")
  [ -n "${bundled[${dll,,}]:-}" ] && continue
  path=""
  for d in "${runtime_dirs[@]}"; do
    [ -f "$d/$dll" ] && { path=$d/$dll; break; }
  done
  [ -n "$path" ] || continue
  bundled[${dll,,}]=$dll
  cp "$path" "$top/$dll"
  queue+=($(dlls "$path"))
done
cp "$show" "$top/tangle.exe"

cp "$src/data/keys.dat" "$src/data/digital-7.ttf" "$src/data/"*.mp3 "$top/data/"
cp "$src/data/gfx/"*.png "$top/data/gfx/"

cp "$prefix/licenses/"*.copyright "$top/licenses/"
cp "$src/data/digital-7.LICENSE.txt" "$top/licenses/"
for pkg in fonts-dseg mingw-w64-x86-64-dev gcc-mingw-w64-base; do
  f=/usr/share/doc/$pkg/copyright
  [ -f "$f" ] || die "$f: missing (./tangle.sh release --windows installs $pkg)"
  cp -L "$f" "$top/licenses/$pkg.copyright"
done

library_list=$(sed 's/^/  /' "$prefix/SOURCES.txt")
dll_list=$(printf '%s\n' "${bundled[@]}" | LC_ALL=C sort | paste -sd' ')
contact=$(head -n 1 "$here/contact.txt")
export version library_list dll_list contact
# CR LF line ends: the viewer may open it in any Windows editor.
awk '{ gsub(/@VERSION@/, ENVIRON["version"]); gsub(/@CONTACT@/, ENVIRON["contact"]); gsub(/@DLLS@/, ENVIRON["dll_list"]) }
     /^@LIBRARIES@$/ { print ENVIRON["library_list"]; next } { print }' \
  "$here/windows/README.txt.in" | sed 's/$/\r/' >"$top/README.txt"

find "$top" -type d -exec chmod 755 {} +
find "$top" -type f -exec chmod 644 {} +
chmod 755 "$top/tangle.exe"
find "$top" -exec touch -h -d "@$epoch" {} +
archive=$out/$name.zip
rm -f "$archive.part"
# zip keeps the order it is given; -X leaves out the extra time and owner
# fields, TZ=UTC makes the stored DOS times the same everywhere.
(cd "$work" && find "$name" | LC_ALL=C sort | TZ=UTC zip -q -X -9 -@ "$archive.part")
mv "$archive.part" "$archive"
(cd "$out" && sha256sum "$name.zip" >"$name.zip.sha256")
echo "tangle: wrote $archive ($(du -k "$archive" | cut -f1) KiB, ${#bundled[@]} DLLs)" >&2
