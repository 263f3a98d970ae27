#pragma once

#include <QDateTime>
#include <QString>
#include <vector>

class CReminderItems;

namespace host::calendar {

// What one pending reminder becomes in the user's calendar.
struct ReminderEvent {
    // Stays the same however often the reminder is re-dated, noted or
    // exported (see EventUid), so a calendar that imports the file again
    // updates the event instead of adding a second one.
    QString uid;
    // The reminder date to the minute, as the add-in compares due dates: a
    // wall-clock time without a zone (platform/Clock.h).
    QDateTime start;
    QString summary;
    // The user's note; empty when there is none.
    QString description;
};

// A reminder left out because its date does not read as a date.
struct SkippedReminder {
    QString emailAddress;
    QString subject;
    QString dateText;  // as held in the data file
};

struct ReminderEvents {
    std::vector<ReminderEvent> events;  // in the collection's order
    std::vector<SkippedReminder> skipped;
};

// The events of every reminder of the collection whose date reads as a date
// in the user's locale; the others are listed as skipped.
ReminderEvents EventsOf(const CReminderItems& reminders);

// "Follow up with <address>: <subject>", or without the colon and subject
// when the subject is empty.
QString EventSummary(const QString& emailAddress, const QString& subject);

// The UID of a reminder: a hash of what identifies it and never changes
// while it is pending (the recipient's address, the subject and the sent
// message's entry id), then "@chasewell". Several reminders may share all
// three (the same message given reminders twice), so the collection's
// second, third... such reminder gets "-2", "-3"... before the "@": the
// collection keeps its order, so each keeps its number across exports.
QString EventUid(const QString& emailAddress, const QString& subject, const QString& entryId,
                 int occurrence);

}  // namespace host::calendar
