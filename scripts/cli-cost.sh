#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What kelvane-cli's one-shot reading costs above the program's own start-up:
# RUNS (default 50) one-shot readings on the chip simulator, in a program
# directory, chip lock and home of their own, against as many runs of
# `kelvane-cli --version` (the same program, loaded and linked the same way,
# ending before it touches the chip). Both are interleaved in rounds so that
# the load of a shared machine falls on both alike. Prints the CPU per run
# (user + system, from perf stat's task clock, else from getrusage) and the
# difference.
#
#   scripts/cli-cost.sh [RUNS]
#   KELVANE_CLI_PROFILE=1 scripts/cli-cost.sh   also: perf record of the
#                                                 readings, top symbols
#
# The programs come from build/bin (built here when missing or stale). With
# KELVANE_CLI_BASE=DIR (another build's bin folder, e.g. of main) its reading
# runs in the same rounds too, for a before/after pair. KELVANE_CLI_STRACE=1
# also counts the system calls of one reading (strace -c).
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-50}
if ! [[ "$runs" =~ ^[0-9]+$ ]] || ((runs < 1)); then
  echo "usage: scripts/cli-cost.sh [RUNS]" >&2
  exit 2
fi

./scripts/build.sh kelvane-cli Wbcdflsh >/dev/null
bin=build/bin
base_bin=${KELVANE_CLI_BASE:-}
if [ -n "$base_bin" ] && [ ! -x "$base_bin/kelvane-cli" ]; then
  echo "cli-cost.sh: no kelvane-cli in $base_bin" >&2
  exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvane-cli-cost-XXXXXX")
trap 'rm -rf "$work"' EXIT
# A program directory of its own for each build measured.
program_dir() {
  local dir=$1 from=$2
  mkdir -p "$dir/home"
  cp "$from/kelvane-cli" "$from/libWbcdflsh.so" "$from"/*.ini "$dir/"
  rm -f "$dir/simchip.state"
}
dir=$work/program
program_dir "$dir" "$bin"
export HOME=$dir/home XDG_CONFIG_HOME=$dir/home/.config
reading=("$dir/kelvane-cli" --dir "$dir" --lock "$dir/Dravik_SM_Event" --access simulator)
baseline=("$dir/kelvane-cli" --version)
based=()
if [ -n "$base_bin" ]; then
  program_dir "$work/base" "$base_bin"
  based=("$work/base/kelvane-cli" --dir "$work/base" --lock "$work/base/Dravik_SM_Event" --access simulator)
  "${based[@]}" >/dev/null 2>&1
fi

# The first reading creates the simulator's state and the registry: not counted.
"${reading[@]}" >/dev/null 2>&1

# CPU nanoseconds of one run of the command, from the kernel's accounting of
# the finished child.
if command -v python3 >/dev/null; then
  cpu_ns() {
    python3 - "$@" <<'EOF'
import os, resource, subprocess, sys
before = resource.getrusage(resource.RUSAGE_CHILDREN)
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
after = resource.getrusage(resource.RUSAGE_CHILDREN)
print(round(1e9 * ((after.ru_utime + after.ru_stime) - (before.ru_utime + before.ru_stime))))
EOF
  }
else
  echo "cli-cost.sh: python3 is needed to read the children's CPU time" >&2
  exit 1
fi
if command -v perf >/dev/null && perf stat -x, -e task-clock true >/dev/null 2>&1; then
  # perf's task clock counts the command alone, not the python around it.
  cpu_ns() {
    perf stat -x, -e task-clock "$@" 2>&1 >/dev/null | awk -F, '$3 == "task-clock" { printf "%d\n", $1 * 1e6 }'
  }
fi

read_total=0
base_total=0
other_total=0
for ((i = 0; i < runs; ++i)); do
  base_total=$((base_total + $(cpu_ns "${baseline[@]}")))
  read_total=$((read_total + $(cpu_ns "${reading[@]}")))
  if ((${#based[@]})); then other_total=$((other_total + $(cpu_ns "${based[@]}"))); fi
done
awk -v runs="$runs" -v r="$read_total" -v b="$base_total" -v o="$other_total" -v other="${#based[@]}" 'BEGIN {
  printf "kelvane-cli one-shot on the simulator, %d runs each, interleaved\n", runs
  printf "%-34s %9.3f ms CPU per run\n", "start-up (kelvane-cli --version)", b / runs / 1e6
  printf "%-34s %9.3f ms CPU per run\n", "one-shot reading", r / runs / 1e6
  printf "%-34s %9.3f ms CPU per run\n", "above start-up", (r - b) / runs / 1e6
  if (other) {
    printf "%-34s %9.3f ms CPU per run\n", "base build: one-shot reading", o / runs / 1e6
    printf "%-34s %9.3f ms CPU per run\n", "base build: above start-up", (o - b) / runs / 1e6
  } }'

if [ "${KELVANE_CLI_STRACE:-0}" = 1 ] && command -v strace >/dev/null; then
  # System calls of one reading, by name (the start-up's included).
  count_calls() {
    strace -f -c -o "$work/strace.txt" "$@" >/dev/null 2>&1
    # Columns: % time, seconds, usecs/call, calls, [errors,] name.
    awk '$1 ~ /^[0-9.]+$/ && $NF != "total" && $4 >= 10 { line = line " " $NF " " $4 }
         $NF == "total" { total = $4 }
         END { printf "%d calls:%s\n", total, line }' \
      "$work/strace.txt"
  }
  printf "%-34s %s\n" "system calls, one reading" "$(count_calls "${reading[@]}")"
  if ((${#based[@]})); then printf "%-34s %s\n" "base build: system calls" "$(count_calls "${based[@]}")"; fi
fi

if [ "${KELVANE_CLI_PROFILE:-0}" = 1 ]; then
  # Twenty readings under one recording; the shares by library, then by symbol.
  perf record -q -F 20000 -o "$work/perf.data" -- bash -c \
    'for i in $(seq 20); do "$@" >/dev/null 2>&1; done' reading "${reading[@]}" 2>/dev/null
  echo "--- where the reading's CPU goes (perf, 20 runs)"
  perf report -q -i "$work/perf.data" --comm kelvane-cli --sort dso --stdio 2>/dev/null | head -n 12
  perf report -q -i "$work/perf.data" --comm kelvane-cli --sort dso,symbol --stdio 2>/dev/null | cut -c1-110 | head -n 30
fi
