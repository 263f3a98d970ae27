#pragma once

#include <QString>
#include <vector>

#include "host/export/ReminderEvents.h"

class CReminderItems;

namespace host::calendar {

// The history of exports (ExportHistory.h), kept beside the data file.
inline const QString kHistoryFileName = QStringLiteral("ChasewellCalendarHistory.txt");

struct CalendarExportResult {
    QString path;         // the calendar file
    QString historyPath;  // the export history
    bool written = false;
    int exported = 0;
    std::vector<SkippedReminder> skipped;
    // Why the calendar file was not written; empty when it was.
    QString failure;
    // Why the history could not be saved after the calendar was written.
    QString historyFailure;

    // One line: what was exported where, or why nothing was.
    QString Summary() const;
    // What the user should know besides (reminders skipped, a history that
    // could not be saved), one item a line; empty when nothing.
    QString Problems() const;
    // Summary and problems together, for a message box.
    QString Message() const;
};

// Writes every pending reminder of the collection to the iCalendar file at
// path, replacing any file there in one step (platform::Files()), then the
// export history beside the collection's data file. A reminder whose date is
// not a date is skipped and listed. Nothing is written when the history
// exists but cannot be read (its numbers must never go backwards) or when
// the calendar cannot be written; the file at path is then as it was. The
// time of the export is the platform's clock, taken as local time.
CalendarExportResult ExportReminders(const CReminderItems& reminders, const QString& path);

}  // namespace host::calendar
