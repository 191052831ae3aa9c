#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages Kelvane needs to build and test, and only those
# missing. Further package names on the command line are installed too.
# apt-get needs root: run this as root, or as a user who may use sudo.
set -euo pipefail

# One package a line, so that additions merge cleanly.
packages=(
  build-essential
  cmake
  pkg-config
  qt6-base-dev
  libgl-dev
  libsqlite3-dev
  libgtest-dev
  libgmock-dev
  libbenchmark-dev
  # The window's text: DejaVu Sans, and its condensed face for the dialogs.
  fonts-dejavu-core
  fonts-dejavu-extra
  dbus-daemon
  dpkg-dev
  file
  desktop-file-utils
  systemd
  qt6-charts-dev
  libqt6opengl6-dev
  qt6-httpserver-dev
  qt6-websockets-dev
  prometheus
  # The include graph check (scripts/include-graph.py) and its test.
  python3
  # The idle-cost comparison runs the windows on a virtual display.
  xvfb
)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep "install ok installed" >/dev/null; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "install-deps.sh: these Debian packages are missing: ${missing[*]}" >&2
    echo "install-deps.sh: installing them needs root, and sudo is not installed." >&2
    echo "install-deps.sh: run this script (or run.sh, test.sh) as root once, or install sudo" >&2
    echo "install-deps.sh: and give this user the right to use it." >&2
    exit 1
  fi
  as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
# Quiet but for errors: apt's and dpkg's progress lines go to a log that is
# shown only when the installation fails.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { "${as_root[@]}" apt-get update -qq &&
       "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
         apt-get install -y -qq --no-install-recommends -o Dpkg::Use-Pty=0 "${missing[@]}"; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "install-deps.sh: apt-get failed (the lines above say why)" >&2
  exit 1
fi
