#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing (apt-get: as root, or with sudo), builds
# everything, and runs every test (headless).
# With --sanitize the same tests run under AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
./scripts/build.sh "$@"

build_dir=build
if [ "${1:-}" = "--sanitize" ]; then
  build_dir=build-asan
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)"
