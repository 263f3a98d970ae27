#include "host/export/CalendarExport.h"

#include <QFileInfo>

#include "host/export/ExportHistory.h"
#include "host/export/ICalendarWriter.h"
#include "platform/Env.h"
#include "platform/RuntimeError.h"
#include "store/CReminderItems.h"

namespace host::calendar {

namespace {

QDateTime UtcNow() {
    const QDateTime wallClock = platform::Now();
    return QDateTime(wallClock.date(), wallClock.time(), Qt::LocalTime).toUTC();
}

}  // namespace

QString CalendarExportResult::Summary() const {
    if (!written)
        // The failure names the file it concerns (the calendar or the
        // history) and why.
        return QStringLiteral(
                   "The reminders could not be exported to %1.  %2.  The file was left as "
                   "it was.")
            .arg(path, failure);
    return (exported == 1 ? QStringLiteral("1 reminder exported to %1.")
                          : QStringLiteral("%1 reminders exported to %2.").arg(exported))
        .arg(path);
}

QString CalendarExportResult::Problems() const {
    QStringList lines;
    if (!skipped.empty()) {
        lines << (skipped.size() == 1
                      ? QStringLiteral("Not exported, because its reminder date is not a date:")
                      : QStringLiteral(
                            "Not exported, because their reminder dates are not dates:"));
        for (const SkippedReminder& reminder : skipped)
            lines << QStringLiteral("  %1 \"%2\": \"%3\"")
                         .arg(reminder.emailAddress, reminder.subject, reminder.dateText);
    }
    if (!historyFailure.isEmpty())
        lines << QStringLiteral("The export history %1 could not be saved: %2.")
                     .arg(historyPath, historyFailure);
    return lines.join('\n');
}

QString CalendarExportResult::Message() const {
    const QString problems = Problems();
    return problems.isEmpty() ? Summary() : Summary() + QStringLiteral("\n\n") + problems;
}

CalendarExportResult ExportReminders(const CReminderItems& reminders, const QString& path) {
    CalendarExportResult result;
    result.path = path;
    result.historyPath =
        QFileInfo(reminders.DataFilePath()).absolutePath() + '/' + kHistoryFileName;
    const ReminderEvents events = EventsOf(reminders);
    result.skipped = events.skipped;
    auto& files = platform::Files();

    ExportHistory history;
    try {
        if (files.Exists(result.historyPath))
            history = ExportHistory::FromBytes(files.ReadAll(result.historyPath));
    } catch (const platform::RuntimeError& error) {
        result.failure =
            QStringLiteral("The export history cannot be read: %1").arg(error.description());
        return result;
    }

    const QDateTime now = UtcNow();
    const QByteArray text = CalendarText(events.events, history, now, CHASEWELL_VERSION);
    try {
        auto file = files.NewWritableFile(path);
        file->Append(text);
        file->Commit();
    } catch (const platform::RuntimeError& error) {
        result.failure = error.description();
        return result;
    }
    result.written = true;
    result.exported = static_cast<int>(events.events.size());

    history.ForgetEndedBefore(now.addDays(-400));
    try {
        auto file = files.NewWritableFile(result.historyPath);
        file->Append(history.ToBytes());
        file->Commit();
    } catch (const platform::RuntimeError& error) {
        result.historyFailure = error.description();
    }
    return result;
}

}  // namespace host::calendar
