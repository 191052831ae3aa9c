#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs inside the bare user root of check-bare-debian.sh, as root, with the
# .deb in /root: "install" installs it as the README says (and what the
# checks themselves use: a virtual display, man), "use" runs the installed
# programs as the plain user alice, "purge" removes the package and checks
# that it left nothing in /usr.
set -euo pipefail
step() { echo "in-user-root: $(date -u +%T) $*"; }
fail() { echo "in-user-root: $*" >&2; exit 1; }
quiet_apt() {
  local log
  log=$(mktemp)
  if ! DEBIAN_FRONTEND=noninteractive apt-get -y -qq -o Dpkg::Use-Pty=0 "$@" >"$log" 2>&1; then
    cat "$log" >&2
    fail "apt-get $* failed"
  fi
  rm -f "$log"
}

case "$1" in
install)
  step "the checks' own tools: xvfb, xauth, man-db"
  quiet_apt update
  quiet_apt install --no-install-recommends xvfb xauth man-db
  find /usr -xdev | sort >/root/usr-before
  step "apt-get install ./kelvane_*.deb"
  cd /root
  quiet_apt install ./kelvane_*.deb
  # The window loads its history module only when the history is opened:
  # what that module needs must have come with the package all the same.
  module=/usr/lib/kelvane/libkelvane-history-window.so
  step "what $module needs"
  [ -f "$module" ] || fail "the package brought no $module"
  missing=$(ldd "$module" | grep 'not found' || true)
  [ -z "$missing" ] || fail "$module needs what the package did not bring: $missing"
  adduser --quiet --disabled-password --comment "" alice
  ;;
use)
  cd /home/alice
  as_alice() {
    setpriv --reuid=alice --regid=alice --init-groups \
      env -i HOME=/home/alice USER=alice LOGNAME=alice PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"
  }
  step "as alice: kelvane-cli"
  out=$(as_alice kelvane-cli) || fail "kelvane-cli failed: $out"
  echo "$out"
  echo "$out" | grep '^ITEM ' >/dev/null || fail "kelvane-cli printed no readings"
  step "as alice: kelvane-simctl show"
  as_alice kelvane-simctl show || fail "kelvane-simctl show failed"
  step "as alice: man kelvane-cli"
  as_alice man kelvane-cli | grep 'kelvane-cli' >/dev/null || fail "man kelvane-cli shows no page"
  step "as alice: kelvane without a display"
  status=0
  out=$(as_alice kelvane 2>&1) || status=$?
  [ "$status" -eq 1 ] && echo "$out" | grep 'kelvane-cli' >/dev/null && echo "$out" | grep 'xvfb-run' >/dev/null \
    || fail "kelvane without a display: status $status, said: $out"
  echo "$out"
  step "as alice: the window under Xvfb for a few seconds, and a second start"
  # shellcheck disable=SC2016
  as_alice xvfb-run -a -s "-nolisten tcp -screen 0 1280x1024x24" bash -c '
    kelvane & window=$!
    sleep 6
    kill -0 "$window" || { echo "the window ended on its own" >&2; exit 1; }
    second=$(kelvane 2>&1) || { echo "the second start failed: $second" >&2; exit 1; }
    echo "$second"
    # (Qt may add its own notices, such as one about XDG_RUNTIME_DIR.)
    echo "$second" | grep -x "Kelvane is already running; brought its window forward" >/dev/null || exit 1
    kill -TERM "$window"
    status=0
    wait "$window" || status=$?
    echo "the window ended on SIGTERM with status $status"
  ' || fail "the window did not run under Xvfb"
  [ -s /home/alice/.config/kelvane/Root.ini ] || fail "the window left no Root.ini for alice"
  ;;
purge)
  step "apt-get purge --autoremove kelvane"
  quiet_apt purge --autoremove kelvane
  find /usr -xdev | sort >/root/usr-after
  if ! diff /root/usr-before /root/usr-after >/root/usr-diff; then
    cat /root/usr-diff >&2
    fail "the purge left /usr different from before the installation"
  fi
  step "nothing left in /usr"
  ;;
*)
  fail "usage: in-user-root.sh install|use|purge"
  ;;
esac
