#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The system calls of the running window per tick: the compact window on the
# chip simulator, on a virtual display, with a program directory, chip lock,
# instance socket and home of its own; after a warm-up, strace -f -c counts
# every thread's calls over SECONDS (default 25, ten ticks of 2.5 s). Prints
# the calls per tick by name, and the files opened per tick.
#
#   scripts/tick-calls.sh [SECONDS]
#
# The programs come from build/bin (built here when missing or stale); with
# KELVANE_TICK_BIN=DIR another build's bin folder is measured instead.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-25}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || ((seconds < 3)); then
  echo "usage: scripts/tick-calls.sh [SECONDS]   (at least 3)" >&2
  exit 2
fi
for tool in strace Xvfb dbus-daemon; do
  command -v "$tool" >/dev/null || { echo "tick-calls.sh: $tool is needed" >&2; exit 1; }
done
bin=${KELVANE_TICK_BIN:-}
if [ -z "$bin" ]; then
  ./scripts/build.sh kelvane Wbcdflsh kelvane-skin >/dev/null
  bin=build/bin
fi
[ -x "$bin/kelvane" ] || { echo "tick-calls.sh: no kelvane in $bin" >&2; exit 2; }

. scripts/virtual-desktop.sh
make_workspace tick
start_virtual_desktop tick-calls.sh

dir=$work/program
make_program_dir "$dir" "$bin"
HOME=$dir/home XDG_RUNTIME_DIR=$dir/run XDG_CONFIG_HOME=$dir/home/.config \
  "$dir/kelvane" --access simulator --lock "$dir/Dravik_SM_Event" >"$dir/out.log" 2>&1 &
pids+=($!)
window=${pids[-1]}
sleep "${KELVANE_TICK_WARMUP:-8}"
kill -0 "$window" 2>/dev/null || { echo "tick-calls.sh: the window ended early" >&2; cat "$dir/out.log" >&2; exit 1; }

# strace ends its count when interrupted; its own end is not a failure.
timeout -s INT "$seconds" strace -f -c -o "$work/count.txt" -p "$window" >/dev/null 2>&1 || true
timeout -s INT "$seconds" strace -f -e trace=openat,open,creat -o "$work/opens.txt" -p "$window" >/dev/null 2>&1 || true

ticks=$(awk -v s="$seconds" 'BEGIN { printf "%.1f", s / 2.5 }')
echo "window on the simulator: system calls per tick ($seconds s, $ticks ticks, every thread)"
# Columns of strace -c: % time, seconds, usecs/call, calls, [errors,] name.
awk -v ticks="$ticks" '$1 ~ /^[0-9.]+$/ && $NF != "total" { printf "  %-18s %8.1f\n", $NF, $4 / ticks }
                       $NF == "total" { total = $4 }
                       END { printf "  %-18s %8.1f\n", "total", total / ticks }' "$work/count.txt"
opens=$(grep -cE '(open|openat|creat)\(' "$work/opens.txt" || true)
awk -v n="$opens" -v ticks="$ticks" 'BEGIN { printf "files opened per tick: %.1f\n", n / ticks }'
