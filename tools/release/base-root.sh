#!/usr/bin/env bash
# base-root.sh: the Debian 11 (bullseye) tree the release is compiled in, so
# that the show and the libraries bundled with it need no newer glibc than
# Debian 11's 2.31 (Ubuntu 20.04, Mint 20 and everything later run it).
# It is made once per machine with debootstrap, from the Debian mirror this
# machine's apt already uses, and kept under ~/.cache/tangle (not in a build
# tree), keyed by its package list: a changed list makes a new one.
# Needs root (debootstrap, chroot, mounts) and debootstrap.
#
# Usage: base-root.sh path       print where the tree is (made or not)
#        base-root.sh make       make it unless it is there; print where it is
#        base-root.sh run [--bind HOSTDIR:DIR]... [--cd DIR] -- COMMAND...
#                                run COMMAND inside it with a clean environment
#                                (VAR=value words may lead COMMAND), HOSTDIR
#                                seen at DIR, /dev and /proc mounted; the mounts
#                                live only as long as COMMAND
set -euo pipefail
die() { echo "tangle: $*" >&2; exit 1; }

suite=bullseye
# What the show is compiled with (and its tests configured with), plus
# Mesa's software renderer so the release can be run inside the tree.
packages=(g++ make cmake pkg-config libgtest-dev
  freeglut3-dev libglew-dev libglu1-mesa-dev libsdl1.2-dev libsdl-image1.2-dev
  libfreetype-dev libmpg123-dev libpng-dev libgl1-mesa-dri)
# Bumped when the way the tree is made changes.
recipe=1
key=$(printf '%s\n' "$recipe" "$suite" "${packages[@]}" | sha256sum | cut -c1-12)
cache=${TANGLE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tangle}
root=$cache/debian11-$key

# The first mirror ending in /NAME in this machine's apt sources (deb822 or
# one-line), or nothing.
mirror() {  # NAME
  { cat /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '/^URIs:/' || true
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null | awk '$1 == "deb"' || true; } |
    awk -v name="$1" '{ for (i = 2; i <= NF; i++) if ($i ~ "/" name "/?$") { sub("/$", "", $i); print $i; exit } }'
}

need_root() { [ "$(id -u)" -eq 0 ] || die "$root: $1 needs root (run it with sudo)"; }

run() {  # run [--bind HOST:DIR]... [--cd DIR] -- COMMAND...
  local binds=() cd=/
  while [ $# -gt 0 ]; do
    case $1 in
      --bind) binds+=("$2"); shift 2 ;;
      --cd) cd=$2; shift 2 ;;
      --) shift; break ;;
      *) die "base-root.sh run: unknown option $1" ;;
    esac
  done
  [ $# -gt 0 ] || die "base-root.sh run: no command"
  [ -x "$root/usr/bin/env" ] || die "$root: not made (base-root.sh make)"
  need_root "running in it"
  local b
  for b in "${binds[@]}"; do
    [ -d "${b%%:*}" ] || die "${b%%:*}: no such folder"
    mkdir -p "$root/${b#*:}"
  done
  # A private mount namespace: the mounts vanish with the command, however
  # it ends, and never show in the machine's own mount table.
  exec unshare --mount --propagation private -- /bin/bash -euc '
    root=$1 cd=$2 n=$3; shift 3
    mount --rbind /dev "$root/dev"
    mount -t proc proc "$root/proc"
    for ((i = 0; i < n; i++)); do mount --rbind "${1%%:*}" "$root/${1#*:}"; shift; done
    exec chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
      /bin/sh -c "cd \"\$0\" && exec /usr/bin/env \"\$@\"" "$cd" "$@"
  ' - "$root" "$cd" ${#binds[@]} "${binds[@]}" "$@"
}

make_root() {
  [ -x "$root/usr/bin/g++" ] && return 0
  need_root "making it"
  command -v debootstrap >/dev/null || die "debootstrap: not installed (./tangle.sh release installs it)"
  mkdir -p "$cache"
  # One maker at a time; whoever waited finds it made.
  exec 8>"$root.lock"
  flock 8
  [ -x "$root/usr/bin/g++" ] && return 0
  local m security start=$SECONDS part=$root.part
  m=$(mirror debian)
  m=${m:-http://deb.debian.org/debian}
  security=$(mirror debian-security)
  echo "tangle: making the Debian 11 build tree $root from $m (once per machine: minutes)" >&2
  rm -rf "$part"
  # In a mount namespace of its own: what debootstrap mounts in the tree
  # (/proc, /sys) goes away even when it is interrupted, so removing an
  # unfinished tree never reaches into the machine's own.
  unshare --mount --propagation private -- \
    debootstrap --variant=minbase "$suite" "$part" "$m" >"$cache/debootstrap.log" 2>&1 ||
    die "debootstrap $suite from $m failed (the log: $cache/debootstrap.log)"
  # Debian 11's point and security updates too: the bundled libraries are
  # the ones its users would have.
  printf 'deb %s %s main\n' "$m" "$suite" "$m" "$suite-updates" >"$part/etc/apt/sources.list"
  [ -z "$security" ] || printf 'deb %s %s-security main\n' "$security" "$suite" >>"$part/etc/apt/sources.list"
  cp -L /etc/resolv.conf "$part/etc/resolv.conf" 2>/dev/null || true
  # run ends in exec: a subshell of its own, in the unfinished tree.
  (root=$part run -- DEBIAN_FRONTEND=noninteractive sh -c "apt-get update -qq && apt-get upgrade -y -qq &&
    apt-get install -y -qq --no-install-recommends ${packages[*]} && apt-get clean") \
    >>"$cache/debootstrap.log" 2>&1 ||
    die "$part: installing ${packages[*]} failed (the log: $cache/debootstrap.log)"
  mv "$part" "$root"
  echo "tangle: made $root in $((SECONDS - start)) s ($(du -sm "$root" | cut -f1) MiB)" >&2
}

case ${1:-} in
  path) echo "$root" ;;
  make) make_root; echo "$root" ;;
  run) shift; run "$@" ;;
  *) sed -n '/^# Usage:/,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"; exit 2 ;;
esac
