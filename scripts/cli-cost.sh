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
# The programs come from build/bin (built here when missing or stale).
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-50}
if ! [[ "$runs" =~ ^[0-9]+$ ]] || ((runs < 1)); then
  echo "usage: scripts/cli-cost.sh [RUNS]" >&2
  exit 2
fi

./scripts/build.sh kelvane-cli Wbcdflsh >/dev/null
bin=build/bin

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvane-cli-cost-XXXXXX")
trap 'rm -rf "$work"' EXIT
dir=$work/program
mkdir -p "$dir/home"
cp "$bin/kelvane-cli" "$bin/libWbcdflsh.so" "$bin"/*.ini "$dir/"
rm -f "$dir/simchip.state"
export HOME=$dir/home XDG_CONFIG_HOME=$dir/home/.config
reading=("$dir/kelvane-cli" --dir "$dir" --lock "$dir/Dravik_SM_Event" --access simulator)
baseline=("$dir/kelvane-cli" --version)

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
for ((i = 0; i < runs; ++i)); do
  base_total=$((base_total + $(cpu_ns "${baseline[@]}")))
  read_total=$((read_total + $(cpu_ns "${reading[@]}")))
done
awk -v runs="$runs" -v r="$read_total" -v b="$base_total" 'BEGIN {
  printf "kelvane-cli one-shot on the simulator, %d runs each, interleaved\n", runs
  printf "%-34s %9.3f ms CPU per run\n", "start-up (kelvane-cli --version)", b / runs / 1e6
  printf "%-34s %9.3f ms CPU per run\n", "one-shot reading", r / runs / 1e6
  printf "%-34s %9.3f ms CPU per run\n", "above start-up", (r - b) / runs / 1e6 }'

if [ "${KELVANE_CLI_PROFILE:-0}" = 1 ]; then
  # Twenty readings under one recording; the shares by library, then by symbol.
  perf record -q -F 20000 -o "$work/perf.data" -- bash -c \
    'for i in $(seq 20); do "$@" >/dev/null 2>&1; done' reading "${reading[@]}" 2>/dev/null
  echo "--- where the reading's CPU goes (perf, 20 runs)"
  perf report -q -i "$work/perf.data" --comm kelvane-cli --sort dso --stdio 2>/dev/null | head -n 12
  perf report -q -i "$work/perf.data" --comm kelvane-cli --sort dso,symbol --stdio 2>/dev/null | cut -c1-110 | head -n 30
fi
