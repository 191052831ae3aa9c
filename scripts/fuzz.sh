#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fuzzes the chip service's frame parser with libFuzzer for a while (default
# 30 s; "./scripts/fuzz.sh 120" for longer), in its own clang build directory
# build-fuzz, starting from the seed corpus in bench/fuzz/corpus. Findings
# are left in build-fuzz/findings.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-30}"
./scripts/install-deps.sh clang libclang-rt-14-dev

CXX=clang++ cmake -S bench/fuzz -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)"

# The seeds stay as committed; what the fuzzer learns goes into a copy.
mkdir -p build-fuzz/corpus build-fuzz/findings
cp -n bench/fuzz/corpus/* build-fuzz/corpus/
build-fuzz/fuzz_chipframe -max_total_time="$seconds" -max_len=512 -print_final_stats=1 \
  -artifact_prefix=build-fuzz/findings/ build-fuzz/corpus
