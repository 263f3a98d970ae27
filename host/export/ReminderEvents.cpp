#include "host/export/ReminderEvents.h"

#include <QCryptographicHash>
#include <QHash>

#include "platform/RuntimeError.h"
#include "store/CReminderItems.h"

namespace host::calendar {

QString EventSummary(const QString& emailAddress, const QString& subject) {
    QString summary = QStringLiteral("Follow up with ") + emailAddress;
    if (!subject.isEmpty())
        summary += QStringLiteral(": ") + subject;
    return summary;
}

QString EventUid(const QString& emailAddress, const QString& subject, const QString& entryId,
                 int occurrence) {
    // Each value is preceded by its length, so that no two different triples
    // hash the same text ("ab" + "c" and "a" + "bc").
    QByteArray key;
    for (const QString* value : {&emailAddress, &subject, &entryId}) {
        const QByteArray bytes = value->toUtf8();
        key += QByteArray::number(bytes.size()) + ':' + bytes;
    }
    QString uid = QString::fromLatin1(
        QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32));
    if (occurrence > 1)
        uid += '-' + QString::number(occurrence);
    return uid + QStringLiteral("@chasewell");
}

ReminderEvents EventsOf(const CReminderItems& reminders) {
    ReminderEvents result;
    QHash<QString, int> occurrences;
    for (qint32 i = 1; i <= reminders.Count(); ++i) {
        const auto reminder = reminders.Item(i);
        const QString uidWithoutNumber =
            EventUid(reminder->EmailAddress(), reminder->Subject(), reminder->EntryId(), 1);
        // Counted before a reminder may be skipped, so that mending one
        // reminder's date never renumbers the others.
        const int occurrence = ++occurrences[uidWithoutNumber];
        std::optional<QDateTime> start;
        try {
            start = reminder->ReminderDateValue();
        } catch (const platform::RuntimeError&) {
        }
        if (!start) {
            result.skipped.push_back(SkippedReminder{reminder->EmailAddress(), reminder->Subject(),
                                                     reminder->ReminderDateText()});
            continue;
        }
        result.events.push_back(ReminderEvent{
            EventUid(reminder->EmailAddress(), reminder->Subject(), reminder->EntryId(),
                     occurrence),
            *start, EventSummary(reminder->EmailAddress(), reminder->Subject()), reminder->Note()});
    }
    return result;
}

}  // namespace host::calendar
