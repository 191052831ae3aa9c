#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/check-bare-debian.sh where it cannot work: without root, and (as
# root) without a network to Debian's archive, it must stop at once with one
# line that says why, not hang in apt's retries or fail deep in mmdebstrap.
# Nothing is built and no root file system is made.
set -euo pipefail
cd "$(dirname "$0")/../.."
check=$(pwd)/scripts/check-bare-debian.sh
failures=0

# expect NAME PATTERN SECONDS COMMAND...: the command fails within SECONDS
# and its last line of errors matches PATTERN.
expect() {
  local name=$1 pattern=$2 seconds=$3 status=0 said
  shift 3
  said=$(timeout "$seconds" "$@" 2>&1 >/dev/null) || status=$?
  if [ "$status" -eq 124 ]; then
    echo "not ok - $name: still running after $seconds s"
  elif [ "$status" -eq 0 ]; then
    echo "not ok - $name: succeeded"
  elif ! echo "$said" | tail -1 | grep -E "$pattern" >/dev/null; then
    echo "not ok - $name: said: $said"
  else
    echo "ok - $name: $(echo "$said" | tail -1)"
    return 0
  fi
  failures=$((failures + 1))
}

if [ "$(id -u)" -eq 0 ]; then
  expect "as a plain user" '^check-bare-debian.sh: FAILED: needs root' 10 \
    setpriv --reuid=nobody --regid=nogroup --clear-groups "$check"
  # install-deps.sh has nothing to fetch once mmdebstrap and git are there.
  ./scripts/install-deps.sh mmdebstrap git
  expect "without a network" '^check-bare-debian.sh: FAILED: cannot fetch .*InRelease.*not reachable' 120 \
    unshare --net "$check"
else
  expect "as a plain user" '^check-bare-debian.sh: FAILED: needs root' 10 "$check"
  echo "ok - without a network: skipped (making a network namespace needs root)"
fi
[ "$failures" -eq 0 ] || { echo "bare_refusals_e2e: $failures failed" >&2; exit 1; }
