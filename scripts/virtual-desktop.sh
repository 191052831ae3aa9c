# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the measuring scripts: a working folder whose processes end with
# the script, and a virtual display and a session bus of their own (no tray
# host on it, as on a bare desktop).
#
#   make_workspace TAG             sets work (a new folder) and pids (empty);
#                                  at exit every pid in pids is ended and
#                                  waited for, and the folder removed
#   start_virtual_desktop NAME     NAME: the calling script, for its errors;
#                                  sets DISPLAY and DBUS_SESSION_BUS_ADDRESS
#   make_program_dir DIR BIN       a program directory made from the build
#                                  folder BIN: the window and its history
#                                  module, the simulator build
#                                  of the access library, the descriptors,
#                                  defaults and skin, a home and a private
#                                  runtime folder; no simulator state yet

make_workspace() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/kelvane-$1-XXXXXX")
  pids=()
  trap end_workspace EXIT
}

end_workspace() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}

start_virtual_desktop() {
  local name=$1
  # Xvfb writes its number once it listens.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || { echo "$name: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
  export DISPLAY=":$(cat "$work/display")"
  dbus-daemon --session --nofork --print-address=4 4>"$work/bus" >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$work/bus" ] && break; sleep 0.1; done
  [ -s "$work/bus" ] || { echo "$name: the session bus did not start" >&2; exit 1; }
  DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus")
  export DBUS_SESSION_BUS_ADDRESS
  unset QT_QPA_PLATFORM WAYLAND_DISPLAY
}

make_program_dir() {
  local dir=$1 bin=$2
  mkdir -p "$dir/home" "$dir/run"
  chmod 700 "$dir/run"
  cp "$bin/kelvane" "$bin/libWbcdflsh.so" "$bin"/*.ini "$dir/"
  [ -e "$bin/libkelvane-history-window.so" ] && cp "$bin/libkelvane-history-window.so" "$dir/"
  cp -r "$bin/skin" "$dir/"
  : >"$dir/error.txt"
  rm -f "$dir/simchip.state"
}
