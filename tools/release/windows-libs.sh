#!/usr/bin/env bash
# windows-libs.sh: builds the Windows (x86-64) versions of the libraries the
# show links, from Debian's own source packages of the versions installed for
# the Linux build, with Debian's MinGW-w64 compilers. Nothing comes from
# anywhere but the Debian archive that apt already uses.
#
# The result is a prefix (bin/ with the DLLs, include/, lib/ with import
# libraries and pkg-config files) cached under
#   ${XDG_CACHE_HOME:-$HOME/.cache}/tangle/windows-libs-KEY
# where KEY names the source versions and the recipe below; a later run with
# the same versions prints the prefix at once, and a run that was cut short
# goes on from the first library it had not finished. Prints the prefix on
# standard output, progress on standard error.
#
# zlib and libpng are linked into the SDL_image DLL; SDL, SDL_image, FreeType,
# freeglut, GLEW, mpg123 and its syn123 are DLLs next to the show.
#
# Depends on: apt-get (with a deb-src line for the archive; added when
# missing), dpkg-source, the mingw-w64 posix compilers, cmake, make, tar.
#
# Usage: windows-libs.sh [--jobs N]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
jobs=2
die() { echo "tangle: $*" >&2; exit 1; }
say() { echo "tangle: windows libraries: $*" >&2; }
while [ $# -gt 0 ]; do
  case "$1" in
    --jobs) jobs=$2; shift 2 ;;
    -h | --help) sed -n '/^# Usage:/,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
    *) die "windows-libs: unknown option $1 (see the header of $0)" ;;
  esac
done

host=x86_64-w64-mingw32
command -v $host-gcc-posix >/dev/null || die "$host-gcc-posix: not installed (./tangle.sh release --windows installs it)"

# The source package and version behind each -dev package the Linux build uses.
dev_packages=(zlib1g-dev libpng-dev libsdl1.2-dev libsdl-image1.2-dev libfreetype-dev freeglut3-dev libglew-dev
  libmpg123-dev)
declare -A version
order=()
while read -r dev name ver; do
  [ -n "$ver" ] || die "$dev: not installed (./tangle.sh installs it)"
  version[$name]=$ver
  order+=("$name")
done < <(for p in "${dev_packages[@]}"; do
  dpkg-query -W -f='${Package} ${source:Package} ${source:Version}\n' "$p" 2>/dev/null || echo "$p"
done)

cache=${XDG_CACHE_HOME:-$HOME/.cache}/tangle
mkdir -p "$cache"
# Raise it when the way a library is built changes: the cache is then rebuilt.
recipe=1
key=$( (for n in "${order[@]}"; do echo "$n ${version[$n]}"; done
  echo "recipe $recipe") | sha256sum | cut -c1-16)
prefix=$cache/windows-libs-$key
ready() { [ -f "$prefix/.complete" ] && [ -f "$prefix/include/GL/glut.h" ]; }
if ready; then
  echo "$prefix"
  exit 0
fi

# One build at a time (a release and the tests may ask together).
exec 9>"$cache/windows-libs.lock"
flock 9
if ready; then
  echo "$prefix"
  exit 0
fi

# apt-get source needs a deb-src line for the archive the binaries came from.
# Ours goes in a file of its own, a copy of the deb lines, so nothing of the
# system's configuration is edited.
has_deb_src() {
  grep -rqsE '^[[:space:]]*(deb-src[[:space:]]|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/
}
if ! has_deb_src; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      $sudo tee /etc/apt/sources.list.d/tangle-src.sources >/dev/null
  elif [ -f /etc/apt/sources.list ]; then
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list |
      $sudo tee /etc/apt/sources.list.d/tangle-src.list >/dev/null
  else
    die "/etc/apt/sources.list.d/debian.sources: missing; add a deb-src line for the archive by hand"
  fi
  say "added a deb-src line for the archive; updating apt's lists"
  $sudo apt-get update -qq >&2
fi

downloads=$cache/windows-sources
mkdir -p "$downloads"
work=$(mktemp -d "$cache/windows-build.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$prefix"/{bin,include,lib/pkgconfig,licenses}
used=$prefix/SOURCES.txt
touch "$used"

# Unpacks source package NAME into $work/NAME, at the installed version when
# the archive still has it, else the newest one of the same upstream version
# (a security update of the binary that is no longer in the archive).
fetch() {  # NAME
  local name=$1 want=${version[$1]} got dsc
  mkdir -p "$downloads/$name"
  if ! ls "$downloads/$name/"*.dsc >/dev/null 2>&1; then
    (cd "$downloads/$name" &&
      { apt-get source -q -q --download-only "$name=$want" >/dev/null 2>&1 ||
        apt-get source -q -q --download-only "$name" >/dev/null 2>&1 || true; })
  fi
  dsc=$(ls "$downloads/$name/"*.dsc 2>/dev/null | sort -V | tail -1) || true
  [ -n "$dsc" ] || return 1
  got=$(sed -n 's/^Version: //p' "$dsc")
  if [ "${got#*:}" != "${want#*:}" ]; then
    [ "$(upstream_of "$got")" = "$(upstream_of "$want")" ] || die "$dsc: version $got, not of the installed $want"
    say "$name: the archive no longer has $want; using its $got"
  fi
  rm -rf "$work/$name"
  if ! dpkg-source -q -x "$dsc" "$work/$name" >/dev/null 2>&1; then
    # Some mirrors lack the upstream tarball's signature (.asc), which
    # dpkg-source insists on: unpack the tarballs and apply the patch series.
    unpack_by_hand "$dsc" "$work/$name" || return 1
  fi
  { grep -v "^$name " "$used" || true; echo "$name $got"; } >"$used.new"
  mv "$used.new" "$used"
  cp "$work/$name/debian/copyright" "$prefix/licenses/$name.copyright"
}

# 1:1.2.13.dfsg-1 -> 1.2.13.dfsg
upstream_of() { local v=${1#*:}; echo "${v%-*}"; }

unpack_by_hand() {  # DSC DIR
  local dsc=$1 dir=$2 d orig debian
  d=$(dirname "$dsc")
  orig=$(ls "$d"/*.orig.tar.* 2>/dev/null | grep -v '\.asc$' | grep -v 'orig-' | head -1)
  debian=$(ls "$d"/*.debian.tar.* 2>/dev/null | head -1)
  [ -n "$orig" ] && [ -n "$debian" ] || return 1
  mkdir -p "$dir"
  tar -xf "$orig" -C "$dir" --strip-components=1
  tar -xf "$debian" -C "$dir"
  if [ -f "$dir/debian/patches/series" ]; then
    local p
    while read -r p _; do
      case $p in '' | '#'*) continue ;; esac
      patch -s -d "$dir" -p1 <"$dir/debian/patches/$p" >&2
    done <"$dir/debian/patches/series"
  fi
}

export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_PATH=""
export CC=$host-gcc-posix CXX=$host-g++-posix AR=$host-ar RANLIB=$host-ranlib RC=$host-windres
export CFLAGS="-O2 -ffile-prefix-map=$work=." CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib"
configure() { ./configure --host=$host --prefix="$prefix" "$@" >"$work/log" 2>&1 || fail; }
build() { make -j"$jobs" "$@" >>"$work/log" 2>&1 || fail; }
fail() { tail -40 "$work/log" >&2; die "building $current for Windows failed (log above)"; }
cmake_build() {  # SOURCE OPTIONS...
  local s=$1; shift
  cmake -S "$s" -B "$s/_build" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64.cmake" \
    -DTANGLE_WINDOWS_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_C_FLAGS="-ffile-prefix-map=$work=." "$@" >"$work/log" 2>&1 || fail
  cmake --build "$s/_build" -j"$jobs" >>"$work/log" 2>&1 || fail
  cmake --install "$s/_build" >>"$work/log" 2>&1 || fail
}
started=$(date +%s)
# Each library leaves a mark in the prefix when it is in; a later run skips it.
done_already() { [ -f "$prefix/.done-$1" ]; }
mark_done() { touch "$prefix/.done-$1"; }

current=zlib
if ! done_already zlib; then
  say "zlib ${version[zlib]}"
  fetch zlib || die "zlib: no source package from the archive"
  (cd "$work/zlib" && { CHOST=$host ./configure --static --prefix="$prefix" >"$work/log" 2>&1 || fail; } &&
    build libz.a && cp libz.a "$prefix/lib/" && cp zlib.h zconf.h "$prefix/include/")
  mark_done zlib
fi

current=libpng1.6
if ! done_already libpng1.6; then
  say "libpng ${version[libpng1.6]}"
  fetch libpng1.6 || die "libpng1.6: no source package from the archive"
  (cd "$work/libpng1.6" && configure --disable-shared --enable-static --disable-tools && build install)
  mark_done libpng1.6
fi

current=libsdl1.2
if ! done_already libsdl1.2; then
  say "SDL ${version[libsdl1.2]}"
  fetch libsdl1.2 || die "libsdl1.2: no source package from the archive"
  (cd "$work/libsdl1.2" && configure --disable-static --enable-shared --disable-cdrom --disable-joystick \
    --disable-rpath && build install)
  mark_done libsdl1.2
fi

current=sdl-image1.2
if ! done_already sdl-image1.2; then
  say "SDL_image ${version[sdl-image1.2]}"
  if fetch sdl-image1.2; then
    (cd "$work/sdl-image1.2" && configure --disable-static --enable-shared --with-sdl-prefix="$prefix" \
      --disable-jpg --disable-tif --disable-webp --disable-png-shared \
      LIBPNG_CFLAGS="-I$prefix/include/libpng16" LIBPNG_LIBS="-lpng16 -lz" && build install)
  else
    # Where the archive (or its mirror) serves no sources of SDL_image, a
    # PNG-only library of the same interface stands in, built on the same
    # libpng: the show asks SDL_image for PNGs alone.
    say "sdl-image1.2: no source package from the archive; building the PNG-only stand-in"
    echo "sdl-image1.2 unavailable: PNG-only stand-in (tools/release/windows/png_image.c)" >>"$used"
    $CC -O2 -shared -I"$prefix/include" -I"$prefix/include/SDL" "$here/windows/png_image.c" \
      -o "$prefix/bin/SDL_image.dll" -Wl,--out-implib,"$prefix/lib/libSDL_image.dll.a" \
      -L"$prefix/lib" -lpng16 -lz -lSDL >"$work/log" 2>&1 || fail
    cp "$here/windows/SDL_image.h" "$prefix/include/SDL/SDL_image.h"
    printf '%s\n' "prefix=$prefix" 'Name: SDL_image' 'Description: PNG loading (PNG-only stand-in)' \
      'Version: 1.2.12' 'Requires: sdl' "Libs: -L$prefix/lib -lSDL_image" "Cflags: -I$prefix/include/SDL" \
      >"$prefix/lib/pkgconfig/SDL_image.pc"
  fi
  mark_done sdl-image1.2
fi

current=freetype
if ! done_already freetype; then
  say "FreeType ${version[freetype]}"
  fetch freetype || die "freetype: no source package from the archive"
  cmake_build "$work/freetype" -DBUILD_SHARED_LIBS=ON -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON \
    -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
  mark_done freetype
fi

current=freeglut
if ! done_already freeglut; then
  say "freeglut ${version[freeglut]}"
  fetch freeglut || die "freeglut: no source package from the archive"
  cmake_build "$work/freeglut" -DFREEGLUT_BUILD_DEMOS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=OFF \
    -DFREEGLUT_BUILD_SHARED_LIBS=ON
  mark_done freeglut
fi
# freeglut installs no GL/glut.h on Windows; CMake's FindGLUT looks for it.
[ -f "$prefix/include/GL/glut.h" ] || echo '#include "freeglut_std.h"' >"$prefix/include/GL/glut.h"

current=glew
if ! done_already glew; then
  say "GLEW ${version[glew]}"
  fetch glew || die "glew: no source package from the archive"
  (cd "$work/glew" && build SYSTEM=linux-mingw64 glew.lib.shared &&
    cp lib/glew32.dll "$prefix/bin/" && cp lib/libglew32.dll.a "$prefix/lib/" &&
    mkdir -p "$prefix/include/GL" && cp include/GL/glew.h include/GL/wglew.h "$prefix/include/GL/")
  mark_done glew
fi

current=mpg123
if ! done_already mpg123; then
  say "mpg123 ${version[mpg123]}"
  fetch mpg123 || die "mpg123: no source package from the archive"
  (cd "$work/mpg123" && configure --disable-static --enable-shared --disable-modules --with-audio=dummy \
    --disable-network && build src/libmpg123/libmpg123.la src/libsyn123/libsyn123.la &&
    cp src/libmpg123/.libs/libmpg123-0.dll src/libsyn123/.libs/libsyn123-0.dll "$prefix/bin/" &&
    cp src/libmpg123/.libs/libmpg123.dll.a src/libsyn123/.libs/libsyn123.dll.a "$prefix/lib/" &&
    cp src/libmpg123/mpg123.h src/libmpg123/fmt123.h src/libsyn123/syn123.h "$prefix/include/" &&
    cp libmpg123.pc libsyn123.pc "$prefix/lib/pkgconfig/")
  mark_done mpg123
fi

touch "$prefix/.complete"
say "built in $(($(date +%s) - started)) s: $prefix"
echo "$prefix"
