#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Proves the README on a bare Debian 12: makes a Debian bookworm root file
# system with mmdebstrap (variant apt, with git), clones this tree's committed
# HEAD into it and runs there, as root as the README allows, the set-up's
# ./scripts/test.sh, the alert-mail run, and the Release build and .deb as
# the README says (with the package check and lintian). Then it installs that
# .deb into a second bare root with apt-get and, as a plain user there, runs
# kelvane-cli, kelvane-simctl show, man kelvane-cli, the window program
# without a display and under Xvfb for a few seconds (and a second copy of
# it), purges the package and checks that nothing is left in /usr.
#
# Needs root (mmdebstrap's root mode, chroot, unshare) and the Debian
# archive named by this machine's apt sources. The roots live in a temporary
# directory below ${TMPDIR:-/var/tmp}, removed at the end unless
# KELVANE_BARE_KEEP=1. KELVANE_BARE_CCACHE=DIR lends the build root a compiler
# cache (ccache, with DIR bound in): the same builds, only sooner. The clone
# lies at this tree's own path inside the root, so that objects this tree's
# builds left in that cache are found (with debug information, ccache keys
# them by the build directory's path).
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

if [ "$(id -u)" -ne 0 ]; then
  echo "check-bare-debian.sh: needs root (mmdebstrap, chroot)" >&2
  exit 1
fi
./scripts/install-deps.sh mmdebstrap git

# The archive this machine's apt uses, as its own source files.
sources=()
if [ -s /etc/apt/sources.list ] && grep -q '^[[:space:]]*deb ' /etc/apt/sources.list; then
  sources+=(/etc/apt/sources.list)
fi
for f in /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] && sources+=("$f")
done
((${#sources[@]} > 0)) || { echo "check-bare-debian.sh: no apt sources on this machine" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/var/tmp}/kelvane-bare.XXXXXX")
cleanup() {
  # Anything still mounted below the roots (a hook cut short) goes first.
  findmnt -rn -o TARGET | grep -F "$work/" | sort -r | while read -r m; do umount -l "$m" || true; done
  if [ "${KELVANE_BARE_KEEP:-0}" = 1 ]; then
    echo "check-bare-debian.sh: roots kept in $work" >&2
  else
    rm -rf "$work"
  fi
}
trap cleanup EXIT

head=$(git rev-parse HEAD)
scripts=$repo/scripts/bare-debian
stamp() { echo "check-bare-debian.sh: $(date -u +%T) $*"; }
started=$(date +%s)

stamp "building root 1 (the developer's system) and testing $head there"
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
mmdebstrap --mode=root --variant=apt --include="$include" --quiet \
  --customize-hook="mkdir -p \"\$1$(dirname "$repo")\" && git clone --quiet --no-checkout '$repo' \"\$1$repo\" && git -C \"\$1$repo\" checkout --quiet --detach $head" \
  --customize-hook="cp '$scripts/in-build-root.sh' \"\$1/root/\"" \
  "${cache_mount[@]}" \
  --customize-hook="chroot \"\$1\" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 ${cache_env[*]} bash /root/in-build-root.sh '$repo'" \
  "${cache_umount[@]}" \
  --customize-hook="cp \"\$1$repo\"/build-release/kelvane_*.deb '$work/'" \
  bookworm "$work/build-root" "${sources[@]}"
deb=$(cd "$work" && ls kelvane_*.deb)
stamp "root 1 done after $(( $(date +%s) - started )) s; $deb built"
rm -rf "$work/build-root"

stamp "building root 2 (a user's system) and installing $deb there"
# The user's checks run without a network (and with abstract sockets of
# their own, so that this machine's X servers are not in the way).
mmdebstrap --mode=root --variant=apt --quiet \
  --customize-hook="cp '$work/$deb' '$scripts/in-user-root.sh' \"\$1/root/\"" \
  --customize-hook='chroot "$1" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 bash /root/in-user-root.sh install' \
  --customize-hook='unshare --net chroot "$1" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 bash /root/in-user-root.sh use' \
  --customize-hook='chroot "$1" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 bash /root/in-user-root.sh purge' \
  bookworm "$work/user-root" "${sources[@]}"
stamp "ok: the README's commands and the .deb on bare Debian 12, $(( $(date +%s) - started )) s in all"
