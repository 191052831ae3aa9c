#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs inside the bare build root of check-bare-debian.sh, as root, in the
# clone given: the README's commands as written, then the package check.
set -euo pipefail
cd "$1"
# step NAME COMMAND...: runs it and says how long it took, in wall time and
# in CPU time (user+system of everything it waited for).
step() {
  local name=$1 TIMEFORMAT
  shift
  echo "in-build-root: $(date -u +%T) $name"
  TIMEFORMAT="in-build-root: $name took %0R s wall, %0U s user + %0S s system CPU"
  time "$@"
}
deb() {
  cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build-release -j2 >/dev/null && (cd build-release && cpack -G DEB >/dev/null)
  ls build-release/kelvane_*.deb
}

step "./scripts/test.sh" ./scripts/test.sh
step "./tests/e2e/mail_e2e.sh" ./tests/e2e/mail_e2e.sh
step "the .deb as the README builds it" deb
step "./tests/e2e/package_e2e.sh build-release" ./tests/e2e/package_e2e.sh build-release
echo "in-build-root: $(date -u +%T) done"
