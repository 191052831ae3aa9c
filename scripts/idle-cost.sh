#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the idle window costs, side by side in one run on a virtual display:
# the compact window and the expanded window with its three graphs, both on
# the chip simulator, each with a program directory, chip lock, instance
# socket and home of its own, and a bare Qt label repainting every 2.5 s.
# After a warm-up, each process's processor time is read from
# /proc/PID/schedstat over SECONDS (default 120), and its resident memory at
# the end. Prints the share of one core, the ratio to the label and the RSS,
# then each window against its goal (and, with a base, before -> after).
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

. scripts/virtual-desktop.sh
make_workspace idle
start_virtual_desktop idle-cost.sh

# A program directory: the program, the simulator build of the access
# library, the descriptors, defaults and skin; Root.ini's [User] gets extra.
program_dir() {
  local dir=$work/$1 extra=$2 bin=${3:-$bin}
  make_program_dir "$dir" "$bin"
  [ -e "$bin/help" ] && cp -r "$bin/help" "$dir/"
  if [ -n "$extra" ]; then
    sed -i "s/^\[User\]\$/[User]\n$extra/" "$dir/Root.ini"
  fi
}
# Each in its own program directory, so nothing it leaves behind lands in the
# project.
start_window() {
  local dir=$work/$1
  (cd "$dir" && HOME=$dir/home XDG_RUNTIME_DIR=$dir/run XDG_CONFIG_HOME=$dir/home/.config \
    exec "$dir/kelvane" --access simulator --lock "$dir/Dravik_SM_Event" >"$dir/out.log" 2>&1) &
  pids+=($!)
}
# The first window on the display costs more than the later ones (about a
# fifth more, with identical programs): a stand-in label takes that place.
"$bin/kelvane-idle-label" >"$work/first.log" 2>&1 &
pids+=($!)
sleep 1
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
declare -A share ratio rss_mib
for entry in "${measured[@]}" "bare label:$label"; do
  name=${entry%:*}
  pid=${entry##*:}
  used=$(($(cpu_ns "$pid") - before[$pid]))
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
  line=$(awk -v used="$used" -v elapsed="$elapsed" -v label="$label_ns" -v rss="$rss" 'BEGIN {
    printf "%.4f %.2f %.1f", 100 * used / elapsed, (label > 0 ? used / label : 0), rss / 1024 }')
  read -r cpu times mib <<<"$line"
  share[$name]=$cpu ratio[$name]=$times rss_mib[$name]=$mib
  printf '%-28s %10s %8s %9s\n' "$name" "${share[$name]}" "${ratio[$name]}" "${rss_mib[$name]}"
done

# The goals: the compact window within 2x the label's processor time and at
# most 30 MiB resident, the expanded one with three graphs within 2.5x.
verdict() { awk -v v="$1" -v limit="$2" 'BEGIN { print (v <= limit ? "met" : "not met") }'; }
echo
printf 'compact:  %sx label (goal <= 2: %s), %s MiB (goal <= 30: %s)\n' \
  "${ratio[compact window]}" "$(verdict "${ratio[compact window]}" 2)" \
  "${rss_mib[compact window]}" "$(verdict "${rss_mib[compact window]}" 30)"
printf 'expanded: %sx label (goal <= 2.5: %s)\n' \
  "${ratio[expanded window, 3 graphs]}" "$(verdict "${ratio[expanded window, 3 graphs]}" 2.5)"
if [ -n "$base_bin" ]; then
  printf 'before -> after, compact:  %s%% -> %s%% of a core, %s -> %s MiB\n' \
    "${share[base compact window]}" "${share[compact window]}" \
    "${rss_mib[base compact window]}" "${rss_mib[compact window]}"
  printf 'before -> after, expanded: %s%% -> %s%% of a core, %s -> %s MiB\n' \
    "${share[base expanded, 3 graphs]}" "${share[expanded window, 3 graphs]}" \
    "${rss_mib[base expanded, 3 graphs]}" "${rss_mib[expanded window, 3 graphs]}"
fi
