#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The idle compact window's own work in instructions, which the machine's
# load does not move: the window and a bare Qt label repainting every 2.5 s
# run side by side on a virtual display under callgrind, and after a warm-up
# the instructions each executes over SECONDS (default 60) are counted.
# Prints both per 2.5 s tick, the ratio, and the window's eight costliest
# parts of its own code (inclusive). Kernel time (system calls, X round
# trips) is not counted: scripts/idle-cost.sh measures the whole cost.
#
#   scripts/idle-instructions.sh [SECONDS]
#
# Needs valgrind. The programs come from build/bin (built when missing), or
# from KELVANE_IDLE_BIN=DIR (another build's bin folder, for a before/after).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
warmup=${KELVANE_IDLE_WARMUP:-40}
bin=${KELVANE_IDLE_BIN:-build/bin}
command -v valgrind >/dev/null && command -v callgrind_annotate >/dev/null ||
  { echo "idle-instructions.sh: needs valgrind (apt-get install valgrind)" >&2; exit 2; }
if [ ! -x build/bin/kelvane-idle-label ] || { [ -z "${KELVANE_IDLE_BIN:-}" ] && [ ! -x "$bin/kelvane" ]; }; then
  ./scripts/build.sh kelvane kelvane-idle-label Wbcdflsh kelvane-skin >/dev/null
fi

. scripts/virtual-desktop.sh
make_workspace instructions
start_virtual_desktop idle-instructions.sh

dir=$work/compact
make_program_dir "$dir" "$bin"
project=$PWD
label_program=$project/build/bin/kelvane-idle-label
# Both run in the working folder, so that whatever valgrind leaves behind
# goes with it.
cd "$work"
HOME=$dir/home XDG_RUNTIME_DIR=$dir/run XDG_CONFIG_HOME=$dir/home/.config \
  valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file="$work/window.out" \
  "$dir/kelvane" --access simulator --lock "$dir/Dravik_SM_Event" >"$dir/out.log" 2>&1 &
window=$!
pids+=("$window")
valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file="$work/label.out" \
  "$label_program" >"$work/label.log" 2>&1 &
label=$!
pids+=("$label")

sleep "$warmup"
for pid in "$window" "$label"; do
  kill -0 "$pid" 2>/dev/null || { echo "idle-instructions.sh: process $pid ended early" >&2; cat "$dir/out.log" >&2; exit 1; }
  callgrind_control -i on "$pid" >/dev/null 2>&1
done
sleep "$seconds"
for pid in "$window" "$label"; do callgrind_control -d "$pid" >/dev/null 2>&1; done
# The dump is written as the program reaches its next instruction.
for _ in $(seq 50); do
  [ -s "$work/window.out.1" ] && [ -s "$work/label.out.1" ] && break
  sleep 0.2
done

total() { callgrind_annotate "$1" 2>/dev/null | awk '/PROGRAM TOTALS/ {gsub(",", "", $1); print $1}'; }
window_ir=$(total "$work/window.out.1")
label_ir=$(total "$work/label.out.1")
ticks=$(awk -v s="$seconds" 'BEGIN { printf "%.1f", s / 2.5 }')
echo "instructions over $seconds s ($ticks ticks), after a ${warmup} s warm-up"
awk -v w="$window_ir" -v l="$label_ir" -v t="$ticks" 'BEGIN {
  printf "%-16s %12.0f a tick\n", "compact window", w / t
  printf "%-16s %12.0f a tick\n", "bare label", l / t
  printf "%-16s %12.1fx\n", "ratio", (l > 0 ? w / l : 0) }'
echo
echo "the window's costliest parts of its own code, inclusive, a tick:"
callgrind_annotate --inclusive=yes "$work/window.out.1" 2>/dev/null |
  awk -v t="$ticks" -v src="$project/" '{
    line = $0; sub(/^ *[0-9,]+ +\([^)]*\) +/, "", line)
    if (index(line, src) != 1 || line ~ /lambda|_Function_handler|QFunctorSlotObject/) next
    n = $1; gsub(",", "", n); sub(src, "", line); sub(/ \[.*/, "", line); sub(/\(.*/, "", line)
    if (seen[line]++) next
    printf "%10.0f  %s\n", n / t, line; if (++shown == 8) exit }'
