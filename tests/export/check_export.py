#!/usr/bin/env python3
"""Checks that an exported calendar holds exactly the reminders of a data
file: one event per record, with the UID, start and summary the record
gives, and nothing else. Reads the calendar with the icalendar package.
    check_export.py DATA_FILE CALENDAR_FILE
Dates in the data file are read in United States English, as the tests pin
the locale."""
import datetime
import hashlib
import sys

from icalendar import Calendar


def records(path):
    with open(path, "rb") as stream:
        text = stream.read().decode("utf-8")
    for line in text.split("\r\n"):
        if not line:
            continue
        fields = {}
        for piece in line.split("|"):
            key, _, value = piece.partition(": ")
            fields[key] = value
        yield fields


def uid(address, subject, entry_id, occurrence):
    key = b""
    for value in (address, subject, entry_id):
        data = value.encode("utf-8")
        key += str(len(data)).encode() + b":" + data
    result = hashlib.sha256(key).hexdigest()[:32]
    if occurrence > 1:
        result += "-%d" % occurrence
    return result + "@chasewell"


def start(text):
    for form in ("%m/%d/%Y %I:%M:%S %p", "%m/%d/%Y %I:%M %p"):
        try:
            return datetime.datetime.strptime(text, form).replace(second=0)
        except ValueError:
            pass
    raise SystemExit("not a date in the data file: %r" % text)


def main(data_file, calendar_file):
    expected = {}
    seen = {}
    for record in records(data_file):
        triple = (record["EmailAddress"], record["Subject"], record["EntryId"])
        seen[triple] = seen.get(triple, 0) + 1
        summary = "Follow up with " + record["EmailAddress"]
        if record["Subject"]:
            summary += ": " + record["Subject"]
        expected[uid(*triple, seen[triple])] = (start(record["ReminderDate"]), summary)
    with open(calendar_file, "rb") as stream:
        calendar = Calendar.from_ical(stream.read())
    found = {}
    for event in calendar.walk("VEVENT"):
        found[str(event["uid"])] = (event.decoded("dtstart"), str(event["summary"]))
    if found != expected:
        print("expected %r\nfound    %r" % (expected, found))
        return 1
    print("the calendar holds exactly the %d pending reminders" % len(found))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
