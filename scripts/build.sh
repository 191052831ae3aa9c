#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds Kelvane: everything, or only the targets named
# ("./scripts/build.sh kelvane kelvane-cli"). With --sanitize first the build
# goes to build-asan with AddressSanitizer and UBSan; with --tsan first, to
# build-tsan with ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=build
extra=()
if [ "${1:-}" = "--sanitize" ]; then
  shift
  build_dir=build-asan
  extra=(-DKELVANE_SANITIZE=ON -DKELVANE_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
elif [ "${1:-}" = "--tsan" ]; then
  shift
  build_dir=build-tsan
  extra=(-DKELVANE_SANITIZE_THREADS=ON -DKELVANE_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo)
  # The tools the build runs (the skin generator) are not what is under
  # test, and Qt's own painting threads, not built for the sanitizer, would
  # fail them.
  export TSAN_OPTIONS=report_bugs=0
fi
targets=()
for target in "$@"; do
  targets+=(--target "$target")
done

cmake -S . -B "$build_dir" "${extra[@]}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" "${targets[@]}"
