#!/usr/bin/env bash
# The release archive as a viewer gets it: built in the Debian 11 tree,
# packed twice to the same bytes, nothing but the show inside, every library
# it needs either bundled or one a desktop has, nothing in it needing a glibc
# newer than Debian 11's 2.31, and the unpacked launcher runs the show from
# anywhere inside that tree, where this machine's newer libraries are absent.
# Usage: release_e2e.sh BUILD_DIR RELEASE_BUILD_DIR
#   BUILD_DIR holds the capture tool, RELEASE_BUILD_DIR the show built in the
#   tree (./tangle.sh test builds both). Needs patchelf, Xvfb, xdotool,
#   ffmpeg; running in the tree needs root (chroot), and without it that
#   part is skipped (status 77) once the rest has passed.
set -u
build=$(realpath "$1")
release_build=$(realpath -m "$2")
src=$(cd "$(dirname "$0")/.." && pwd)
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; fail=1; fi; }
# The oldest glibc the release is promised for (the README's "Making a release").
baseline=2.31

root=$("$src/tools/release/base-root.sh" path)
[ -x "$root/usr/bin/env" ] && [ -x "$release_build/tangle" ] ||
  { echo "skipped: no Debian 11 tree ($root) or no show built in it ($release_build); ./tangle.sh test makes both"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"; [ -n "${pid:-}" ] && kill -9 $pid 2>/dev/null; [ -n "${xvfb:-}" ] && kill $xvfb 2>/dev/null' EXIT

# 1. Two runs pack the same bytes; the first also writes a second of the video.
"$src/tools/release/make-release.sh" --build "$release_build" --root "$root" --capture-build "$build" \
  --out "$work/a" --video-to 1 || { echo "FAIL: make-release"; exit 1; }
"$src/tools/release/make-release.sh" --build "$release_build" --root "$root" --out "$work/b" 2>/dev/null
archive=$(ls "$work/a/"*.tar.gz)
name=$(basename "$archive" .tar.gz)
check "two runs give the same archive bytes" 'cmp -s "$archive" "$work/b/$name.tar.gz"'
check "the checksum file matches" '(cd "$work/a" && sha256sum -c --quiet "$name.tar.gz.sha256")'
probe() { ffprobe -v error -select_streams "$1" -show_entries stream="$2" -of csv=p=0 "$work/a/${name%-linux-x86_64}.mp4"; }
check "video: H.264, yuv420p, 30 fps, 30 frames" '[ "$(probe v:0 codec_name,pix_fmt,r_frame_rate,nb_frames)" = "h264,yuv420p,30/1,30" ]'
check "video: AAC at 128 kb/s or more" '[ "$(probe a:0 codec_name)" = aac ] && [ "$(probe a:0 bit_rate)" -ge 128000 ]'

# 2. One top folder, owned by 0, the show's files and nothing of the source tree.
tar -tvzf "$archive" --numeric-owner > "$work/listing"
tar -tzf "$archive" | sed 's|/$||' > "$work/paths"
check "everything is under $name/" '! grep -v "^$name\(/\|$\)" "$work/paths" | grep -q .'
check "owner and group are 0" '! awk "\$2 != \"0/0\"" "$work/listing" | grep -q .'
check "one modification time for all" '[ "$(awk "{ print \$4, \$5 }" "$work/listing" | sort -u | wc -l)" = 1 ]'
for f in tangle bin/tangle README.txt data/keys.dat data/digital-7.ttf licenses/digital-7.LICENSE.txt \
  "data/Vextor - Accelerate (kalder demo).mp3"; do
  check "contains $f" 'grep -qxF "$name/$f" "$work/paths"'
done
check "49 images" '[ "$(grep -c "^$name/data/gfx/.*\.png$" "$work/paths")" = 49 ]'
check "nothing of the build tree, tests or tools" \
  '! grep -Eq "CMake|\.(cpp|h|o|a|cmake|sh|py)$|/(build|tests|tools|src)(/|$)|filepressedkeys" "$work/paths"'

# 3. Unpacked outside the source tree, the loader finds inside the bundle
# every library the show and its bundled libraries need, except those a
# desktop with an OpenGL driver has.
mkdir "$work/unpacked" "$work/elsewhere"
tar -xzf "$archive" -C "$work/unpacked"
top=$work/unpacked/$name
case "$top" in "$src"/*) echo "FAIL: unpacked inside the source tree"; fail=1 ;; esac
system_lib='^(ld-linux-x86-64|libc|libm|libdl|libpthread|librt|libresolv|libutil|libmvec)\.so'
system_lib+='|^lib(GL|GLX|OpenGL|GLdispatch|EGL)\.so|^libX[A-Za-z0-9_-]*\.so|^libxcb[a-z0-9_-]*\.so'
system_lib+='|^libasound\.so|^libpulse(-simple)?\.so'
env -u LD_LIBRARY_PATH ldd "$top/bin/tangle" > "$work/ldd"
declare -A at
while read -r soname arrow path _; do [ "$arrow" = "=>" ] && at[$soname]=$path; done < "$work/ldd"
outside=""
for f in "$top/bin/tangle" "$top/lib/"*; do
  for soname in $(readelf -d "$f" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    [[ $soname =~ $system_lib ]] && continue
    [[ $(realpath -m "${at[$soname]:-none}") == "$top/lib/"* ]] || outside+=" $soname(${at[$soname]:-unresolved})"
  done
done
check "every needed library resolves inside the bundle or is a system one:$outside" '[ -z "$outside" ]'
check "the loader finds everything" '! grep -q "not found" "$work/ldd"'
bundled_system=""
for f in "$top/lib/"*; do [[ ${f##*/} =~ $system_lib ]] && bundled_system+=" ${f##*/}"; done
check "no C, GL, X or sound client library bundled:$bundled_system" '[ -z "$bundled_system" ]'

# 4. No file in the bundle asks for a glibc newer than the baseline, and the
# README states the newest any of them asks for.
newest_glibc() { readelf -V "$1" | grep -o 'Name: GLIBC_[0-9.]*' | sed 's/.*GLIBC_//' | sort -V | tail -1; }
newest=0 too_new=""
for f in "$top/bin/tangle" "$top/lib/"*; do
  v=$(newest_glibc "$f")
  [ -n "$v" ] || continue
  [ "$(printf '%s\n' "$v" "$baseline" | sort -V | tail -1)" = "$baseline" ] || too_new+=" ${f#"$top/"}($v)"
  newest=$(printf '%s\n' "$v" "$newest" | sort -V | tail -1)
done
check "nothing needs a glibc newer than $baseline:$too_new" '[ -z "$too_new" ]'
stated=$(sed -n 's/.*glibc \([0-9.]*\) or newer.*/\1/p' "$top/README.txt")
check "README states glibc $stated, the bundle needs $newest" '[ "$stated" = "$newest" ]'
# The README lists each bundled library with its package; each package's licence is there.
unlicensed=""
for f in "$top/lib/"*; do
  lib=${f##*/}
  pkg=$(awk -v lib="$lib" '/^  [a-z0-9]/ { for (i = 2; i <= NF; i++) if ($i == lib) print $1 }' "$top/README.txt")
  [ -n "$pkg" ] && [ -s "$top/licenses/$pkg.copyright" ] || unlicensed+=" $lib"
done
check "every bundled library is listed with its package's licence:$unlicensed" '[ -z "$unlicensed" ]'
check "the README has no placeholders left" '! grep -q "@[A-Z]*@" "$top/README.txt"'

# The launcher's --help is the show's, with where it runs and records; no window.
env -u DISPLAY "$top/tangle" --help >"$work/help" 2>&1
help_status=$?
check "./tangle --help exits 0 naming the data folder and the show's options" \
  '[ $help_status = 0 ] && grep -q "$top/data" "$work/help" && grep -q -- "-display" "$work/help"'

# 5. The launcher runs the show inside the Debian 11 tree, from another
# working directory, on a display of its own, without LD_LIBRARY_PATH:
# frames, the bundled libraries loaded (the C++ runtime aside), "q" ends it
# with 0, and the key is recorded in the bundle's data/.
if [ "$(id -u)" -ne 0 ]; then
  [ $fail = 0 ] || exit 1
  echo "skipped: running the show in the Debian 11 tree needs root (chroot)"
  exit 77
fi
. "$src/tests/support/display.sh"
start_private_display
# The tree sees the unpacked archive, an empty working directory and the
# display's socket; the chroot keeps the process id, so $pid is the show.
"$src/tools/release/base-root.sh" run --bind "$work/unpacked:/release" --bind "$work/elsewhere:/elsewhere" \
  --bind /tmp/.X11-unix:/tmp/.X11-unix --cd /elsewhere -- \
  DISPLAY="$DISPLAY" SDL_AUDIODRIVER=dummy LP_NUM_THREADS=1 "/release/$name/tangle" >"$work/out" 2>"$work/err" &
pid=$!
find_window $pid 150
check "the show's window appears" '[ -n "$wid" ]'
check "it runs on the bundled SDL" 'grep -q "$name/lib/libSDL-1.2.so.0" /proc/$pid/maps'
# The tree's C++ runtime is as new as the bundled one (both from Debian 11's
# g++): the launcher then loads the system's, as the driver may need it.
check "... and on the system's C++ runtime" \
  'grep -q "/libstdc++\.so\.6" /proc/$pid/maps && ! grep -q "$name/lib/libstdc++" /proc/$pid/maps'
# The show opens on its plain clear colour; the first things drawn come after
# a few seconds (later on a loaded machine).
colours=0
for _ in $(seq 1 20); do
  sleep 1
  ffmpeg -loglevel error -y -f x11grab -video_size 1280x720 -i "$DISPLAY" -frames:v 1 -vf scale=128:72 \
    -f rawvideo -pix_fmt rgb24 "$work/shot.rgb" 2>/dev/null
  colours=$(od -An -v -tx1 -w3 "$work/shot.rgb" | sort -u | wc -l)
  [ "$colours" -gt 1 ] && break
done
check "frames are drawn ($colours colours on the screen)" '[ "$colours" -gt 1 ]'
xdotool windowfocus --sync "$wid" 2>/dev/null
xdotool key --delay 150 q
for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then status=killed; else wait $pid; status=$?; fi
check "q ends it with status 0 ($status)" '[ "$status" = 0 ]'
check "the key is recorded in the bundle's data/" 'grep -Eqx "[0-9]+\.[0-9]{6} q" "$top/data/filepressedkeys.dat"'
check "nothing written to the working directory" '[ -z "$(ls -A "$work/elsewhere")" ]'
[ $fail = 0 ] || { echo "show's stderr:"; sed 's/^/  /' "$work/err"; }
exit $fail
