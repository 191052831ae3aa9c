#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing (apt-get: as root, or with sudo), builds only what
# it starts (the window, kelvane-cli, kelvane-simctl, the access library
# builds and the program directory's data; test.sh builds the rest), and
# starts Kelvane's window on the simulated chip (the program directory is
# build/bin). Arguments go to the program: "./scripts/run.sh -m" starts it
# minimised. It runs on the simulator whatever the machine has (a development
# machine's shell is often root, which would otherwise let the program probe
# the chip's ports); on a real board run build/bin/kelvane itself, see
# docs/real-hardware.md.
#
# Kelvane is a desktop program: without a display (no DISPLAY, no
# WAYLAND_DISPLAY, no QT_QPA_PLATFORM chosen by hand) there is nobody to see
# its window or answer its message boxes, so it is not started headless.
# The terminal front end kelvane-cli runs instead, when it is built.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
./scripts/build.sh kelvane kelvane-cli kelvane-simctl kelvane-skin \
  Wbcdflsh Wbcdflsh_portio Wbcdflsh_client Wbcdflsh_hwmon

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  echo "run.sh: no display found, so Kelvane's window cannot be shown." >&2
  if [[ -x build/bin/kelvane-cli ]]; then
    echo "run.sh: starting the terminal front end instead (Ctrl+C ends it)." >&2
    exec build/bin/kelvane-cli --access simulator --watch 2.5
  fi
  echo "run.sh: start it from a desktop session, or with a virtual display: xvfb-run build/bin/kelvane" >&2
  exit 1
fi
exec build/bin/kelvane --access simulator "$@"
