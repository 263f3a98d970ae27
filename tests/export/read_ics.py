#!/usr/bin/env python3
"""Reads an iCalendar file with the icalendar package, a reader that shares
nothing with the program's writer, and prints what it found as JSON: the
calendar's properties, each event's values and alarms, and every problem the
reader noted. Exits 1 when the file does not read as a calendar."""
import json
import sys

from icalendar import Calendar


def text(component, name):
    value = component.get(name)
    return None if value is None else str(value)


def main(path):
    with open(path, "rb") as stream:
        data = stream.read()
    try:
        calendar = Calendar.from_ical(data)
    except ValueError as error:
        print(json.dumps({"error": str(error)}))
        return 1
    problems = []
    events = []
    for component in calendar.walk():
        problems.extend("%s: %s" % (component.name, error) for error in component.errors)
    for event in calendar.walk("VEVENT"):
        start = event.decoded("dtstart")
        alarms = []
        for alarm in event.walk("VALARM"):
            alarms.append({
                "action": text(alarm, "action"),
                "trigger_seconds": alarm.decoded("trigger").total_seconds(),
                "related": alarm["trigger"].params.get("RELATED", "START"),
                "description": text(alarm, "description"),
            })
        events.append({
            "uid": text(event, "uid"),
            "start": start.isoformat(),
            "floating": start.tzinfo is None,
            "duration_seconds": event.decoded("duration").total_seconds(),
            "summary": text(event, "summary"),
            "description": text(event, "description"),
            "sequence": int(event.get("sequence", -1)),
            "dtstamp": event.decoded("dtstamp").isoformat(),
            "last_modified": event.decoded("last-modified").isoformat(),
            "transp": text(event, "transp"),
            "alarms": alarms,
        })
    print(json.dumps({
        "version": text(calendar, "version"),
        "prodid": text(calendar, "prodid"),
        "problems": problems,
        "events": events,
    }))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
