#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the idle window costs, side by side in one run on a virtual display:
# the compact window and the expanded window with its three graphs, both on
# the chip simulator, each with a program directory, chip lock, instance
# socket and home of its own, and a bare Qt label repainting every 2.5 s.
# After a warm-up, each process's processor time is read from
# /proc/PID/schedstat over SECONDS (default 120), and its resident memory at
# the end. Prints the share of one core, the ratio to the label and the RSS.
#
#   scripts/idle-cost.sh [SECONDS]      (30 for a quick look)
#
# The programs come from build/bin (built here when missing or stale). With
# KELVANE_IDLE_BASE=DIR (another build's bin folder, e.g. of main) its two
# windows run in the same run too, for a before/after pair.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-120}
warmup=${KELVANE_IDLE_WARMUP:-10}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || ((seconds < 1)); then
  echo "usage: scripts/idle-cost.sh [SECONDS]" >&2
  exit 2
fi

./scripts/install-deps.sh
./scripts/build.sh kelvane kelvane-idle-label Wbcdflsh kelvane-skin >/dev/null
bin=build/bin
base_bin=${KELVANE_IDLE_BASE:-}
if [ -n "$base_bin" ] && [ ! -x "$base_bin/kelvane" ]; then
  echo "idle-cost.sh: no kelvane in $base_bin" >&2
  exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvane-idle-XXXXXX")
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

. scripts/virtual-desktop.sh
start_virtual_desktop idle-cost.sh

# A program directory: the program, the simulator build of the access
# library, the descriptors, defaults and skin; Root.ini's [User] gets extra.
program_dir() {
  local dir=$work/$1 extra=$2 bin=${3:-$bin}
  mkdir -p "$dir/home" "$dir/run"
  chmod 700 "$dir/run"
  cp "$bin/kelvane" "$bin/libWbcdflsh.so" "$bin"/*.ini "$dir/"
  cp -r "$bin/skin" "$dir/"
  [ -e "$bin/help" ] && cp -r "$bin/help" "$dir/"
  : >"$dir/error.txt"
  rm -f "$dir/simchip.state"
  if [ -n "$extra" ]; then
    sed -i "s/^\[User\]\$/[User]\n$extra/" "$dir/Root.ini"
  fi
}
start_window() {
  local dir=$work/$1
  HOME=$dir/home XDG_RUNTIME_DIR=$dir/run XDG_CONFIG_HOME=$dir/home/.config \
    "$dir/kelvane" --access simulator --lock "$dir/Dravik_SM_Event" >"$dir/out.log" 2>&1 &
  pids+=($!)
}
program_dir compact ""
program_dir expanded 'Expanded=1\nVoltGraph=1\nFanGraph=1\nTempGraph=1'
start_window compact
compact=${pids[-1]}
start_window expanded
expanded=${pids[-1]}
measured=("compact window:$compact" "expanded window, 3 graphs:$expanded")
if [ -n "$base_bin" ]; then
  program_dir base-compact "" "$base_bin"
  program_dir base-expanded 'Expanded=1\nVoltGraph=1\nFanGraph=1\nTempGraph=1' "$base_bin"
  start_window base-compact
  measured+=("base compact window:${pids[-1]}")
  start_window base-expanded
  measured+=("base expanded, 3 graphs:${pids[-1]}")
fi
"$bin/kelvane-idle-label" >"$work/label.log" 2>&1 &
pids+=($!)
label=${pids[-1]}

sleep "$warmup"
all=("$label")
for entry in "${measured[@]}"; do all+=("${entry##*:}"); done
for pid in "${all[@]}"; do
  kill -0 "$pid" 2>/dev/null || { echo "idle-cost.sh: process $pid ended early" >&2; cat "$work"/*/out.log "$work/label.log" >&2; exit 1; }
done
cpu_ns() { cut -d' ' -f1 "/proc/$1/schedstat"; }
declare -A before
for pid in "${all[@]}"; do before[$pid]=$(cpu_ns "$pid"); done
start=$(date +%s%N)
sleep "$seconds"
elapsed=$(($(date +%s%N) - start))

echo "idle cost over $seconds s (one run, side by side, after ${warmup} s warm-up)"
label_ns=$(($(cpu_ns "$label") - before[$label]))
printf '%-28s %10s %8s %9s\n' "process" "CPU %" "x label" "RSS MiB"
for entry in "${measured[@]}" "bare label:$label"; do
  name=${entry%:*}
  pid=${entry##*:}
  used=$(($(cpu_ns "$pid") - before[$pid]))
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
  awk -v name="$name" -v used="$used" -v elapsed="$elapsed" -v label="$label_ns" -v rss="$rss" 'BEGIN {
    printf "%-28s %10.4f %8.2f %9.1f\n", name, 100 * used / elapsed, (label > 0 ? used / label : 0), rss / 1024 }'
done
