#!/usr/bin/env bash
# make-release.sh: packs a built show into an archive that runs where none of
# its libraries are installed: the binary with an $ORIGIN run path, the shared
# libraries a desktop can't be expected to have, the data files, a launcher,
# a README and the licences. The archive's bytes depend only on its inputs
# (sorted entries, the commit's time on every file, owner 0, gzip -n).
# Depends on: a Release build of the show, patchelf, ldd/ldconfig/readelf,
# dpkg (to find each library's licence), GNU tar and gzip; for --video the
# capture tool and ffmpeg.
#
# Usage: make-release.sh [--build DIR] [--root DIR] [--out DIR] [--video]
#                        [--video-to S] [--capture-build DIR]
#   --build DIR    the build tree holding tangle; default build/
#   --root DIR     the system tree the show was built in (base-root.sh):
#                  the libraries, their packages and licences come from there;
#                  default: this system
#   --out DIR      where the archive, its .sha256 and the video go; default dist/
#   --video        also write tangle-VERSION.mp4 (30 fps H.264, AAC)
#   --video-to S   end the video at S seconds of music, in one process (for quick checks)
#   --capture-build DIR   the build tree holding tangle-capture; default: --build
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
build=$src/build
out=$src/dist
root=""
capture_build=""
video=0
video_to=""

die() { echo "tangle: $*" >&2; exit 1; }
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$(cd "$2" && pwd) || die "$2: no such build folder"; shift 2 ;;
    --root) root=$(cd "$2" && pwd) || die "$2: no such system tree"; shift 2 ;;
    --capture-build) capture_build=$(cd "$2" && pwd) || die "$2: no such build folder"; shift 2 ;;
    --out) mkdir -p "$2" && out=$(cd "$2" && pwd); shift 2 ;;
    --video) video=1; shift ;;
    --video-to) video_to=$2; video=1; shift 2 ;;
    -h | --help) sed -n '/^# Usage:/,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
    *) die "make-release: unknown option $1 (see the header of $0)" ;;
  esac
done
mkdir -p "$out"

show=$build/tangle
[ -x "$show" ] || die "$show: not built"
grep -q '^CMAKE_BUILD_TYPE:STRING=Release$' "$build/CMakeCache.txt" 2>/dev/null ||
  die "$build: not a Release build (configure it with -DCMAKE_BUILD_TYPE=Release)"
! grep -q '^TANGLE_SANITIZE:BOOL=ON$' "$build/CMakeCache.txt" || die "$build: a sanitizer build can't be released"
command -v patchelf >/dev/null || die "patchelf: not installed (./tangle.sh installs it)"

version=$(git -C "$src" describe --always --dirty 2>/dev/null || echo unknown)
# Every file gets the commit's time, so the same commit packs to the same bytes.
epoch=$(git -C "$src" log -1 --format=%ct 2>/dev/null || echo "${SOURCE_DATE_EPOCH:-0}")
name=tangle-$version-linux-x86_64
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
top=$work/$name
mkdir -p "$top/bin" "$top/lib" "$top/data/gfx" "$top/licenses"

# Taken from the system, never bundled: the C library family, the OpenGL and
# X libraries (they must match the installed driver and server) and the sound
# server clients. Everything else the show needs goes into lib/.
system_lib='^(ld-linux-x86-64|libc|libm|libdl|libpthread|librt|libresolv|libutil|libmvec)\.so'
system_lib+='|^lib(GL|GLX|OpenGL|GLdispatch|EGL)\.so|^libX[A-Za-z0-9_-]*\.so|^libxcb[a-z0-9_-]*\.so'
system_lib+='|^libasound\.so|^libpulse(-simple)?\.so'

needed() { readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'; }

# Where the loader finds each library of the show (its whole tree): this
# system's by asking it, the build tree's from that tree's loader cache.
declare -A found
if [ -z "$root" ]; then
  while read -r soname arrow path _; do
    [ "$arrow" = "=>" ] || continue
    [ "$path" = "not" ] && die "$show: needs $soname, which this system lacks"
    found[$soname]=$path
  done < <(env -u LD_LIBRARY_PATH ldd "$show")
else
  [ -s "$root/etc/ld.so.cache" ] || die "$root/etc/ld.so.cache: missing (not a system tree?)"
  # "libfoo.so.1 (libc6,x86-64) => /usr/lib/x86_64-linux-gnu/libfoo.so.1"
  while read -r soname path; do
    [ -n "${found[$soname]:-}" ] || found[$soname]=$root$path
  done < <(ldconfig -p -C "$root/etc/ld.so.cache" | awk -F' => ' '/x86-64/ { split($1, a, " "); print a[1], $2 }')
fi
# A file's package, from the database of the system it was taken from.
owner() {  # PATH (resolved, inside that system)
  dpkg ${root:+--admindir="$root/var/lib/dpkg"} -S "$1" 2>/dev/null
}

# Bundle what the show needs, then what each bundled library needs.
declare -A bundled packages
mapfile -t queue < <(needed "$show")
while [ ${#queue[@]} -gt 0 ]; do
  soname=${queue[0]}
  queue=("${queue[@]:1}")
  [[ $soname =~ $system_lib ]] && continue
  [ -n "${bundled[$soname]:-}" ] && continue
  path=${found[$soname]:-}
  [ -n "$path" ] || die "$soname: not found by the loader"
  cp -L "$path" "$top/lib/$soname"
  real=$(readlink -f "$path")
  real=${real#"$root"}
  # dpkg knows a file under the path its package installed, /usr/lib or /lib.
  pkg=$(owner "$real" || owner "${real#/usr}") ||
    die "$root$real: no Debian package owns it, so its licence is unknown"
  pkg=${pkg%%:*}
  bundled[$soname]=$pkg
  packages[$pkg]+=" $soname"
  mapfile -t -O ${#queue[@]} queue < <(needed "$path")
done

cp "$show" "$top/bin/tangle"
# DT_RPATH rather than DT_RUNPATH: the loader then also searches lib/ for what
# the bundled libraries need, not only for what the binary needs.
patchelf --force-rpath --set-rpath '$ORIGIN/../lib' "$top/bin/tangle"

for pkg in "${!packages[@]}"; do
  copyright=$root/usr/share/doc/$pkg/copyright
  [ -f "$copyright" ] || die "$copyright: missing"
  cp -L "$copyright" "$top/licenses/$pkg.copyright"
done
cp "$src/data/digital-7.LICENSE.txt" "$top/licenses/"
# The title picture's lettering comes from this font (tools/assets/README.md).
dseg=/usr/share/doc/fonts-dseg/copyright
[ -f "$dseg" ] || die "$dseg: missing (./tangle.sh installs fonts-dseg)"
cp -L "$dseg" "$top/licenses/fonts-dseg.copyright"

# Only the files the show reads.
cp "$src/data/keys.dat" "$src/data/digital-7.ttf" "$src/data/"*.mp3 "$top/data/"
cp "$src/data/gfx/"*.png "$top/data/gfx/"

# The newest glibc symbol version anything in the bundle asks for.
glibc=$(for f in "$top/bin/tangle" "$top/lib/"*; do readelf -V "$f"; done |
  grep -o 'Name: GLIBC_[0-9.]*' | sed 's/.*GLIBC_//' | sort -V | tail -1)
library_list=$(for pkg in $(printf '%s\n' "${!packages[@]}" | sort); do
  printf '  %-22s %s\n' "$pkg" "$(printf '%s\n' ${packages[$pkg]} | sort | paste -sd' ')"
done)
# Who to write to: one line, kept with the release files.
contact=$(head -n 1 "$here/contact.txt")
export version glibc library_list contact
awk '{ gsub(/@VERSION@/, ENVIRON["version"]); gsub(/@GLIBC@/, ENVIRON["glibc"]); gsub(/@CONTACT@/, ENVIRON["contact"]) }
     /^@LIBRARIES@$/ { print ENVIRON["library_list"]; next } { print }' \
  "$here/README.txt.in" > "$top/README.txt"
cp "$here/launcher.sh" "$top/tangle"

find "$top" -type d -exec chmod 755 {} +
find "$top" -type f -exec chmod 644 {} +
chmod 755 "$top/tangle" "$top/bin/tangle"
find "$top" -exec touch -h -d "@$epoch" {} +
archive=$out/$name.tar.gz
tar --sort=name --format=gnu --owner=0 --group=0 --numeric-owner --mtime="@$epoch" \
  -C "$work" -cf - "$name" | gzip -9n > "$archive.part"
mv "$archive.part" "$archive"
(cd "$out" && sha256sum "$name.tar.gz" > "$name.tar.gz.sha256")
echo "tangle: wrote $archive ($(du -k "$archive" | cut -f1) KiB, ${#bundled[@]} libraries, glibc $glibc)" >&2

if [ "$video" = 1 ]; then
  capture=${capture_build:-$build}/tangle-capture
  [ -x "$capture" ] || die "$capture: not built"
  # The capture tool encodes H.264 yuv420p with AAC at 192 kb/s and shows its
  # progress. A short check range isn't worth splitting across processes.
  "$capture" --data "$src/data" --fps 30 ${video_to:+--to "$video_to" --jobs 1} \
    --out "$out/tangle-$version.mp4"
fi
