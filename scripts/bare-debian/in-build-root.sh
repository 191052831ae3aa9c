#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs inside the bare build root of check-bare-debian.sh, as root, in the
# clone given: the README's commands as written, then the package check.
set -euo pipefail
cd "$1"
step() { echo "in-build-root: $(date -u +%T) $*"; }

step "./scripts/test.sh"
./scripts/test.sh
step "./tests/e2e/mail_e2e.sh"
./tests/e2e/mail_e2e.sh
step "the .deb as the README builds it"
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release -j2 >/dev/null && (cd build-release && cpack -G DEB >/dev/null)
ls build-release/kelvane_*.deb
step "./tests/e2e/package_e2e.sh build-release"
./tests/e2e/package_e2e.sh build-release
step "done"
