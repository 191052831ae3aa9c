#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing (apt-get: as root, or with sudo), builds
# everything, and runs every test (headless).
# With --sanitize the same tests run under AddressSanitizer and UBSan.
# With --tsan only the window, dialog and monitoring-session tests are built
# (in build-tsan) and run under ThreadSanitizer: those are the ones where the
# window's thread meets the session's.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
# The layers: no include or link points up a floor, none goes round in a circle.
python3 scripts/include-graph.py

export QT_QPA_PLATFORM=offscreen
if [ "${1:-}" = "--tsan" ]; then
  # app_tests and windows_tests bring the program, the simulator library, the
  # skin and the tools they start as children.
  ./scripts/build.sh --tsan app_tests windows_tests
  # second_deadlock_stack: a lock-order report names both orders. Qt is not
  # built for the sanitizer: tests/tsan.supp names the races inside its own
  # painting threads that it cannot see synchronised.
  export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/tsan.supp"
  ctest --test-dir build-tsan --output-on-failure -j"$(nproc)" \
    -R '^([A-Za-z]*Session|MainWindow|KelvaneDlg|MonitorSetting|DisplaySetting|HistoryWindow)[A-Za-z]*\.'
  exit
fi

./scripts/build.sh "$@"

build_dir=build
if [ "${1:-}" = "--sanitize" ]; then
  build_dir=build-asan
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)"
