#!/bin/sh
# Real mail, end to end, as a user of a sendmail program works:
#   1. an SMTP server on 127.0.0.1 (tests/support/smtp_sink.py) and msmtp
#      pointed at it;
#   2. the program performs scripts/ci-e2e-mail.script delivering through
#      msmtp: two messages sent with reminders, an automatic reply that keeps
#      its reminder, a genuine reply that ends its own, a calendar export;
#   3. the server got both messages, each with its envelope (the BCC
#      recipient in the envelope only), and the calendar holds exactly the
#      reminder still pending.
#   mail_round.sh PROGRAM DATA_FOLDER SCRIPT TESTS_FOLDER PYTHON
set -eu
program=$1 data=$2 script=$3 tests=$4 python=$5
rm -rf "$data"
mkdir -p "$data"
cp "$tests"/e2e/mail/*.eml "$data"/

# The server prints its port once it listens, and serves until its standard
# input closes: both through fifos this shell holds, so nothing polls.
mkfifo "$data/stop" "$data/port"
"$python" "$tests/support/smtp_sink.py" "$data/received" < "$data/stop" > "$data/port" 2> "$data/server.log" &
server=$!
exec 3> "$data/stop"
stop_server() { exec 3>&-; wait "$server" 2> /dev/null || true; }
trap stop_server EXIT
port=$(head -n 1 "$data/port")
if [ -z "$port" ]; then
    echo "The SMTP server did not start:"; cat "$data/server.log"; exit 1
fi
printf 'defaults\nauth off\ntls off\naccount default\nhost 127.0.0.1\nport %s\nfrom user@example.com\n' \
    "$port" > "$data/msmtprc"
chmod 600 "$data/msmtprc"

cd "$data"
"$program" --data-folder "$data" --sendmail "msmtp -C $data/msmtprc -t" \
    --from robin.user@example.com --script "$script"

# What the server received, and the calendar.
"$python" - "$data/received" <<'CHECK'
import json, sys
messages = [json.loads(line) for line in open(sys.argv[1]) if line.strip()]
assert len(messages) == 2, "the server got %d messages" % len(messages)
first, second = messages
assert first["to"] == ["pat.jones@example.com"], first["to"]
assert "Subject: Contract renewal" in first["data"], first["data"]
assert second["to"] == ["sam.carter@example.com", "archive@example.com"], second["to"]
assert "Subject: Budget review" in second["data"], second["data"]
assert "archive@example.com" not in second["data"], "the Bcc recipient is in the header"
for message in messages:
    assert message["from"] == "user@example.com", message["from"]
    lines = [line.rstrip("\r") for line in message["data"].split("\n")]
    assert "From: robin.user@example.com" in lines, message["data"]
print("The SMTP server received both messages with their envelopes.")
CHECK
"$python" "$tests/export/check_export.py" "$data/ChasewellData.txt" "$data/reminders.ics"
