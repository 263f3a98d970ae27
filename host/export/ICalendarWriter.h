#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <vector>

#include "host/export/ExportHistory.h"
#include "host/export/ReminderEvents.h"

namespace host::calendar {

// The iCalendar text (RFC 5545) of the events, made with libical: one VEVENT
// per event, in their order, each with
//   UID            the event's
//   DTSTART        the reminder date as a floating local time (no zone): the
//                  add-in reminds at that wall-clock time wherever the
//                  machine is, and the reminder dates carry no zone to claim
//   DURATION       15 minutes, so week views show it as a block
//   SUMMARY        the recipient and subject; DESCRIPTION the note, if any
//   TRANSP         TRANSPARENT: a reminder does not make the user busy
//   SEQUENCE, LAST-MODIFIED and DTSTAMP
//                  from the history (ExportHistory::Record): the number grows
//                  and the time moves when what the event says changes. The
//                  file has no METHOD, so DTSTAMP is the time of the last
//                  change too, and an export that changed nothing writes the
//                  same event text again
//   VALARM         ACTION DISPLAY at the start, with the summary as its text.
// productVersion goes into PRODID. Lines end in CR LF and are folded at 75
// octets, never inside a UTF-8 character.
QByteArray CalendarText(const std::vector<ReminderEvent>& events, ExportHistory& history,
                        const QDateTime& nowUtc, const QString& productVersion);

// Stands for what an event says (start, summary, description), to tell
// whether it changed since the last export.
QByteArray EventFingerprint(const ReminderEvent& event);

}  // namespace host::calendar
