#!/usr/bin/env bash
# Installs the Debian packages Kelvane needs to build and test, and only those missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev libgl-dev
  libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core dbus-daemon
  dpkg-dev file desktop-file-utils
  systemd
  qt6-charts-dev
  libqt6opengl6-dev
  qt6-httpserver-dev
  qt6-websockets-dev
  prometheus
)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
