#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Proves the README on a bare Debian 12: makes a Debian bookworm root file
# system with mmdebstrap (variant apt, with git), clones this tree's committed
# HEAD into it and runs there, as root as the README allows, the set-up's
# ./scripts/test.sh, the alert-mail run, and the Release build and .deb as
# the README says (with the package check and lintian on that .deb). Then it
# installs that .deb into a second bare root with apt-get and, as a plain
# user there, runs kelvane-cli, kelvane-simctl show, man kelvane-cli, the
# window program without a display and under Xvfb for a few seconds (and a
# second copy of it), purges the package and checks that nothing is left in
# /usr.
#
# Needs root (mmdebstrap's root mode, chroot, unshare) and the Debian
# archive named by this machine's apt sources; it says so and stops at once
# when either is missing, and every stage is bounded in time. The roots live
# in a temporary directory below ${TMPDIR:-/var/tmp}, removed at the end
# unless KELVANE_BARE_KEEP=1.
#
# The packages the first root downloads are kept for the second (apt checks
# every one against the archive's index it has just fetched, as for a
# download): KELVANE_BARE_APT_CACHE=DIR keeps them in DIR across runs too.
# KELVANE_BARE_CCACHE=DIR lends the build root a compiler cache (ccache, with
# DIR bound in): the same builds, only sooner. The clone lies at this tree's
# own path inside the root, so that objects this tree's builds left in that
# cache are found (with debug information, ccache keys them by the build
# directory's path).
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

say() { echo "check-bare-debian.sh: $(date -u +%T) $*"; }
fail() { echo "check-bare-debian.sh: FAILED: $*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || fail "needs root (mmdebstrap's root mode, chroot, unshare)"
./scripts/install-deps.sh mmdebstrap git || fail "could not install mmdebstrap and git"
# The roots need mount namespaces for /proc, /sys and /dev, the user's
# checks a network namespace of their own.
unshare --mount --net true 2>/dev/null \
  || fail "cannot make mount and network namespaces here (a container without CAP_SYS_ADMIN?)"

# The archive this machine's apt uses, as its own source files.
sources=()
if [ -s /etc/apt/sources.list ] && grep -q '^[[:space:]]*deb ' /etc/apt/sources.list; then
  sources+=(/etc/apt/sources.list)
fi
for f in /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] && sources+=("$f")
done
((${#sources[@]} > 0)) || fail "no apt sources on this machine"

# The first archive named, asked for its index of bookworm, the suite the
# roots are made of (a dead network otherwise shows as apt's retries).
archive=$(awk '
  /^[[:space:]]*URIs:/ { print $2; exit }
  /^[[:space:]]*deb[[:space:]]/ { for (i = 2; i <= NF; i++) if ($i ~ /^[a-z+]+:\/\//) { print $i; exit } }
' "${sources[@]}")
[ -n "$archive" ] || fail "no archive address in ${sources[*]}"
probe=$(mktemp)
if ! said=$(timeout 90 /usr/lib/apt/apt-helper download-file "${archive%/}/dists/bookworm/InRelease" "$probe" 2>&1); then
  rm -f "$probe"
  echo "$said" | grep -E '^(Err|E):|^  ' >&2 || true
  fail "cannot fetch ${archive%/}/dists/bookworm/InRelease within 90 s: the Debian archive is not reachable from here"
fi
rm -f "$probe"

work=$(mktemp -d "${TMPDIR:-/var/tmp}/kelvane-bare.XXXXXX")
cleanup() {
  # Anything still mounted below the roots (a hook cut short) goes first.
  { findmnt -rn -o TARGET | grep -F "$work/" | sort -r | while read -r m; do umount -l "$m" || true; done; } || true
  if [ "${KELVANE_BARE_KEEP:-0}" = 1 ]; then
    echo "check-bare-debian.sh: roots kept in $work" >&2
  else
    rm -rf "$work"
  fi
}
trap cleanup EXIT

apt_cache=${KELVANE_BARE_APT_CACHE:-$work/apt-archives}
mkdir -p "$apt_cache/partial"
apt_cache=$(realpath "$apt_cache")
# Bound into each root over its own package cache, from before the first
# download to the end of the last hook (mmdebstrap's clean-up then empties
# only the root's own directory). The essential packages are kept there too.
cache_hooks=(--skip=essential/unlink
  --setup-hook="mkdir -p \"\$1/var/cache/apt/archives\" && mount --bind '$apt_cache' \"\$1/var/cache/apt/archives\"")
cache_release=(--customize-hook='umount "$1/var/cache/apt/archives"')

head=$(git rev-parse HEAD)
scripts=$repo/scripts/bare-debian
started=$SECONDS
# stage MINUTES NAME COMMAND...: as in-build-root.sh's step, for the roots.
stage() {
  local minutes=$1 name=$2 status=0 TIMEFORMAT
  shift 2
  say "$name"
  TIMEFORMAT="check-bare-debian.sh: $name took %0R s wall, %0U s user + %0S s system CPU"
  time timeout --kill-after=60 "${minutes}m" "$@" || status=$?
  [ "$status" -ne 124 ] || fail "$name did not end within $minutes minutes"
  [ "$status" -eq 0 ] || fail "$name (status $status; the lines above say why)"
}

include=git,ca-certificates
cache_env=()
cache_mount=(--customize-hook=true)
cache_umount=(--customize-hook=true)
if [ -n "${KELVANE_BARE_CCACHE:-}" ]; then
  mkdir -p "$KELVANE_BARE_CCACHE"
  include+=,ccache
  # The compiler is known by its size and time, which dpkg keeps from the
  # package: the same for the root's and this machine's.
  cache_env=(CCACHE_DIR=/var/cache/kelvane-ccache "CCACHE_BASEDIR=$(dirname "$repo")"
             CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache)
  cache_mount=(--customize-hook="mkdir -p \"\$1/var/cache/kelvane-ccache\" && mount --bind '$KELVANE_BARE_CCACHE' \"\$1/var/cache/kelvane-ccache\"")
  cache_umount=(--customize-hook='umount "$1/var/cache/kelvane-ccache"')
fi
stage 100 "root 1 (the developer's system): testing $head there" \
  mmdebstrap --mode=root --variant=apt --include="$include" --quiet \
  "${cache_hooks[@]}" \
  --customize-hook="mkdir -p \"\$1$(dirname "$repo")\" && git clone --quiet --no-checkout '$repo' \"\$1$repo\" && git -C \"\$1$repo\" checkout --quiet --detach $head" \
  --customize-hook="cp '$scripts/in-build-root.sh' \"\$1/root/\"" \
  "${cache_mount[@]}" \
  --customize-hook="chroot \"\$1\" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 ${cache_env[*]} bash /root/in-build-root.sh '$repo'" \
  "${cache_umount[@]}" \
  --customize-hook="cp \"\$1$repo\"/build-release/kelvane_*.deb '$work/'" \
  "${cache_release[@]}" \
  bookworm "$work/build-root" "${sources[@]}"
deb=$(cd "$work" && ls kelvane_*.deb)
say "root 1 done after $((SECONDS - started)) s; $deb built"
rm -rf "$work/build-root"

# The user's checks run without a network (and with abstract sockets of
# their own, so that this machine's X servers are not in the way).
stage 20 "root 2 (a user's system): installing $deb there and using it" \
  mmdebstrap --mode=root --variant=apt --quiet \
  "${cache_hooks[@]}" \
  --customize-hook="cp '$work/$deb' '$scripts/in-user-root.sh' \"\$1/root/\"" \
  --customize-hook='chroot "$1" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 bash /root/in-user-root.sh install' \
  --customize-hook='unshare --net chroot "$1" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 bash /root/in-user-root.sh use' \
  --customize-hook='chroot "$1" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 bash /root/in-user-root.sh purge' \
  "${cache_release[@]}" \
  bookworm "$work/user-root" "${sources[@]}"
say "ok: the README's commands and the .deb on bare Debian 12, $((SECONDS - started)) s in all"
