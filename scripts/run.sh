#!/usr/bin/env bash
# Installs what is missing, builds, and starts Kelvane on the simulated chip.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
./scripts/build.sh
exec build/bin/kelvane-cli --watch 2.5
