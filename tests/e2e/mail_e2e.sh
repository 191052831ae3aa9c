#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Alert mails end to end, with real parts only: the chip simulator in a
# private copy of the program directory, the engine, the preferences file, the
# warning check and the mailer handing its messages to msmtp's sendmail, which
# delivers them over SMTP to a local server on 127.0.0.1 that stores them.
# Then every message the server received is checked.
#
# Nothing leaves 127.0.0.1, and the system's mail configuration is not read
# for the account or changed: msmtp gets its own configuration file through a
# wrapper in the temporary directory.
set -euo pipefail
cd "$(dirname "$0")/../.."

./scripts/install-deps.sh msmtp-mta python3-aiosmtpd

build_dir=${KELVANE_BUILD_DIR:-build}
cmake -S . -B "$build_dir" >/dev/null
cmake --build "$build_dir" --target kelvane-maildrill kelvane-simctl Wbcdflsh -j"$(nproc)" >/dev/null

# Debian's interpreter, which the python3-aiosmtpd package serves.
python=/usr/bin/python3
sendmail=/usr/sbin/sendmail
computer=kelvane-drill
recipients="a@example.test;b@example.test"

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvane-mail-e2e.XXXXXX")
server_pid=""
cleanup() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# The program directory: the simulator, descriptors, board defaults, fresh
# preferences and simulator settings from the sources, an empty warning log,
# and the two programs, so that each finds the library beside itself.
program="$work/program"
mkdir -p "$program" "$work/inbox"
bin="$build_dir/bin"
cp "$bin/libWbcdflsh.so" "$bin"/W83*.ini "$bin/def.ini" "$bin/kelvane-simctl" "$bin/kelvane-maildrill" "$program/"
cp resources/Root.ini resources/simchip.ini "$program/"
: >"$program/error.txt"

# The SMTP server: every message becomes one JSON file in the inbox.
cat >"$work/smtp_server.py" <<'EOF'
import json, os, signal, socket, sys, threading
from aiosmtpd.controller import Controller

inbox, ready = sys.argv[1], sys.argv[2]

class Store:
    count = 0
    async def handle_DATA(self, server, session, envelope):
        Store.count += 1
        record = {"peer": session.peer[0], "mail_from": envelope.mail_from,
                  "rcpt_tos": envelope.rcpt_tos,
                  "content": envelope.content.decode("utf-8", "replace")}
        path = os.path.join(inbox, "%03d.json" % Store.count)
        with open(path + ".tmp", "w") as f:
            json.dump(record, f)
        os.rename(path + ".tmp", path)
        return "250 Message accepted"

probe = socket.socket()
probe.bind(("127.0.0.1", 0))
port = probe.getsockname()[1]
probe.close()
controller = Controller(Store(), hostname="127.0.0.1", port=port)
controller.start()
with open(ready + ".tmp", "w") as f:
    f.write(str(port))
os.rename(ready + ".tmp", ready)
stop = threading.Event()
signal.signal(signal.SIGTERM, lambda *_: stop.set())
stop.wait()
controller.stop()
EOF
"$python" "$work/smtp_server.py" "$work/inbox" "$work/port" &
server_pid=$!
for _ in $(seq 100); do
  [ -s "$work/port" ] && break
  kill -0 "$server_pid" 2>/dev/null || { echo "mail_e2e: the SMTP server did not start" >&2; exit 1; }
  sleep 0.1
done
[ -s "$work/port" ] || { echo "mail_e2e: the SMTP server did not start" >&2; exit 1; }
port=$(cat "$work/port")

# msmtp on the local server only, with its own configuration.
cat >"$work/msmtprc" <<EOF
defaults
auth off
tls off
syslog off
logfile $work/msmtp.log
timeout 10

account drill
host 127.0.0.1
port $port
from kelvane@localhost.test

account default : drill
EOF
chmod 600 "$work/msmtprc"
cat >"$work/sendmail" <<EOF
#!/bin/sh
exec $sendmail --file=$work/msmtprc "\$@"
EOF
chmod 755 "$work/sendmail"

# A quiet start, the CPU temperature above its 70 C limit for two ticks, then
# back below its 65 C hysteresis for two ticks.
set +e
"$program/kelvane-maildrill" --sendmail "$work/sendmail" --to "$recipients" --computer "$computer" \
  tick set TEMP2=95 tick tick set TEMP2=45.5 tick tick | tee "$work/drill.log"
drill_status=${PIPESTATUS[0]}
set -e

cat >"$work/check.py" <<'EOF'
import email, glob, json, os, re, sys

inbox, log_path, drill_status, computer = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
passed = failed = 0

def check(ok, what):
    global passed, failed
    if ok:
        passed += 1
        print("ok - " + what)
    else:
        failed += 1
        print("FAILED - " + what)

check(drill_status == 0, "the drill ran every step and handed every mail over (status %d)" % drill_status)

messages = []
for path in sorted(glob.glob(os.path.join(inbox, "*.json"))):
    with open(path) as f:
        record = json.load(f)
    record["message"] = email.message_from_string(record["content"])
    messages.append(record)
check(len(messages) == 4, "four messages arrived (%d)" % len(messages))

warning = "Computer:%s hardware monitor abnormal!" % computer
normal = "Computer:%s Hardware Monitor normal!" % computer
expected = [("a@example.test", warning), ("b@example.test", warning),
            ("a@example.test", normal), ("b@example.test", normal)]
warning_body = re.compile(r"^\d{4}/\d\d/\d\d, \d\d:\d\d:\d\d,  Warning: CPU Temperature: 95\.0C  \n$")
normal_body = "Computer: %sHardware Monitor Detect Normal!\n" % computer

for index, (recipient, subject) in enumerate(expected):
    if index >= len(messages):
        check(False, "message %d to %s: missing" % (index + 1, recipient))
        continue
    m = messages[index]
    msg = m["message"]
    check(m["peer"] == "127.0.0.1", "message %d came from 127.0.0.1" % (index + 1))
    check(m["rcpt_tos"] == [recipient], "message %d is for %s alone (%s)" % (index + 1, recipient, m["rcpt_tos"]))
    check(msg["To"] == recipient, "message %d is addressed To: %s (%s)" % (index + 1, recipient, msg["To"]))
    check(msg["Subject"] == subject, "message %d has the subject %r (%r)" % (index + 1, subject, msg["Subject"]))
    body = msg.get_payload(decode=True).decode("utf-8").replace("\r\n", "\n")
    if subject == warning:
        check(bool(warning_body.match(body)), "message %d names the CPU temperature at 95.0C (%r)" % (index + 1, body))
    else:
        check(body == normal_body, "message %d reports all clear (%r)" % (index + 1, body))

with open(log_path) as f:
    entries = [line.rstrip("\r\n") for line in f if "Warning:=" in line]
check(len(entries) == 1 and re.match(r"^\d{4}/\d\d/\d\d \d\d:\d\d:\d\d Warning:=CPU Temperature: 95\.0C  $",
                                     entries[0]) is not None,
      "the warning log holds the one warning (%r)" % entries)

print("%d passed, %d failed" % (passed, failed))
sys.exit(1 if failed else 0)
EOF
"$python" "$work/check.py" "$work/inbox" "$program/error.txt" "$drill_status" "$computer"
