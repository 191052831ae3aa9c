#!/usr/bin/env bash
# Configures and builds Kelvane. With --sanitize the build goes to build-asan
# with AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=build
extra=()
if [ "${1:-}" = "--sanitize" ]; then
  build_dir=build-asan
  extra=(-DKELVANE_SANITIZE=ON -DKELVANE_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
fi

cmake -S . -B "$build_dir" "${extra[@]}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
