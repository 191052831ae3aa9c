#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs inside the bare build root of check-bare-debian.sh, as root, in the
# clone given: the README's commands as written, then the package check on
# the .deb they made.
set -euo pipefail
cd "$1"
# The roots are made of this machine's apt sources: they must name bookworm.
grep -q '^12\.' /etc/debian_version \
  || { echo "in-build-root: this root is Debian $(cat /etc/debian_version), not 12 (bookworm)" >&2; exit 1; }

# step MINUTES NAME COMMAND...: runs it, stopped after MINUTES (a hang, not a
# slow machine: the bounds are about twice what two cores take), and says how
# long it took in wall time and in CPU time (user+system of everything it
# waited for).
step() {
  local minutes=$1 name=$2 status=0 TIMEFORMAT
  shift 2
  echo "in-build-root: $(date -u +%T) $name"
  TIMEFORMAT="in-build-root: $name took %0R s wall, %0U s user + %0S s system CPU"
  time timeout --kill-after=30 "${minutes}m" "$@" || status=$?
  if [ "$status" -eq 124 ]; then
    echo "in-build-root: $name did not end within $minutes minutes" >&2
  fi
  if [ "$status" -ne 0 ]; then
    echo "in-build-root: $name failed (status $status)" >&2
    exit 1
  fi
}
# The README's package commands, as written (its apt-get install is the
# user root's).
readme_deb='
  cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build-release -j2 >/dev/null && (cd build-release && cpack -G DEB >/dev/null)
  ls build-release/kelvane_*.deb'

step 50 "./scripts/test.sh" ./scripts/test.sh
step 5 "./tests/e2e/mail_e2e.sh" ./tests/e2e/mail_e2e.sh
step 25 "the .deb as the README builds it" bash -euo pipefail -c "$readme_deb"
# The package check installs the same build and looks into the .deb just made.
deb_file=$(ls build-release/kelvane_*.deb)
step 10 "./tests/e2e/package_e2e.sh build-release" env KELVANE_DEB="$deb_file" ./tests/e2e/package_e2e.sh build-release
echo "in-build-root: $(date -u +%T) done"
