#!/bin/sh
# What counts as an answer, end to end, with real message files:
#   1. the program performs scripts/ci-e2e-thread.script: "Budget review" is
#      sent with a reminder to Pat and Sam, "Lunch plans" to Pat;
#   2. the answers are written as the recipients' mail programs write them,
#      naming the Message-ID the sent copy got in Sent Items: Pat's under a
#      new subject with In-Reply-To and References, Sam's as "AW: WG: Budget
#      review" answering a forward of it, one from Lee (who got no reminder)
#      in the thread, and Sam's out-of-office notice naming the message;
#   3. the program, started again, performs
#      scripts/ci-e2e-thread-answers.script: it imports them, and after a
#      restart the data file holds only "Lunch plans";
#   4. the engine log says which rule ended each reminder.
#   thread_round.sh PROGRAM DATA_FOLDER FIRST_SCRIPT ANSWERS_SCRIPT
set -eu
program=$1 data=$2 first=$3 answers=$4
rm -rf "$data"
mkdir -p "$data"
cd "$data"

"$program" --data-folder "$data" --script "$first"

sent=$(grep -l -x 'Subject: Budget review' "$data/Mail/Sent Items/cur/"* || true)
if [ -z "$sent" ] || [ "$(printf '%s\n' "$sent" | wc -l)" -ne 1 ]; then
    echo "Sent Items should hold one copy of \"Budget review\", not: $sent"; exit 1
fi
id=$(sed -n 's/^[Mm][Ee][Ss][Ss][Aa][Gg][Ee]-[Ii][Dd]: *<\([^>]*\)>.*$/\1/p' "$sent" | tr -d '\r')
if [ -z "$id" ]; then
    echo "The sent copy has no Message-ID:"; cat "$sent"; exit 1
fi

# answer FILE FROM SUBJECT [FIELD...]: a received message, CR LF line ends.
answer() {
    file=$1 from=$2 subject=$3
    shift 3
    {
        printf 'Return-Path: <%s>\r\n' "$from"
        printf 'From: %s\r\nTo: user@example.com\r\nSubject: %s\r\n' "$from" "$subject"
        printf 'Date: Tue, 5 Mar 2024 10:00:00 +0100\r\nMessage-ID: <%s@mx.example.com>\r\n' "$file"
        for field in "$@"; do printf '%s\r\n' "$field"; done
        printf 'MIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n'
        printf 'The answer.\r\n'
    } > "$file.eml"
}
answer stranger lee.wong@example.com "RE: Budget review" \
    "In-Reply-To: <$id>" "References: <$id>"
answer out-of-office sam.carter@example.com "Abwesenheitsnotiz: Budget review" \
    "Auto-Submitted: auto-replied" "In-Reply-To: <$id>"
answer pat-answer pat.jones@example.com "Numbers you asked for" \
    "In-Reply-To: <$id>" "References: <$id>"
answer sam-answer sam.carter@example.com "AW: WG: Budget review" \
    "In-Reply-To: <forward-1@example.net>" "References: <forward-1@example.net>"

"$program" --data-folder "$data" --script "$answers"

# The log says which rule ended which reminder, and why the others ended none.
expect_trace() {
    if ! grep -F -q -- "$1" "$data/Chasewell.log"; then
        echo "The engine log lacks the trace line: $1"; exit 1
    fi
}
expect_trace "ItemAddedToInbox: Thread rule: no reminder for this sender was made for the message the reply names"
expect_trace "ItemAddedToInbox: Automatic reply, not an answer (Auto-Submitted: auto-replied): no reminder is removed"
expect_trace "ItemAddedToInbox: Found email: reminder removed by the thread rule (subject 'Budget review', the reply names <$id>)"
expect_trace "ItemAddedToInbox: Found email: reminder removed by the subject rule (subject 'Budget review')"
if [ "$(grep -c 'Found email: reminder removed' "$data/Chasewell.log")" -ne 2 ]; then
    echo "Two reminders should have ended:"; grep 'Found email' "$data/Chasewell.log"; exit 1
fi
echo "Each answer ended its sender's reminder, by the rule the log names."
