#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>

namespace host::calendar {

// What the last exports said of each event, kept beside the reminders'
// data file: a calendar decides which of two copies of an event is newer by
// its SEQUENCE, so an event's number may only grow, whichever file the user
// exports to, and must grow whenever what the event says changes.
//
// One event a line, "<uid>|<sequence>|<last modified, UTC, yyyyMMddThhmmssZ>|
// <fingerprint>", lines ended by LF. Lines that do not read so are ignored:
// the history only ever makes numbers larger, and losing a line costs no more
// than an event counted from 0 again.
class ExportHistory {
public:
    struct Entry {
        int sequence = 0;
        QDateTime lastModified;  // UTC
        QByteArray fingerprint;  // of what the event said (see Record)
    };

    static ExportHistory FromBytes(const QByteArray& bytes);
    QByteArray ToBytes() const;

    // The entry for uid, when an export wrote that event before.
    const Entry* Find(const QString& uid) const;

    // Records that the event uid, saying what fingerprint stands for, is
    // exported now (UTC), and returns its entry: a new event starts at 0; an
    // event whose fingerprint changed gets the next number and now as its
    // last modification; an unchanged one keeps both.
    const Entry& Record(const QString& uid, const QByteArray& fingerprint, const QDateTime& now);

    // Forgets the events this history was not told of (Record) since it was
    // read and that last changed before cutoff: reminders that ended long
    // ago, so the file stays small. Events still pending are always kept,
    // since forgetting one would start its number at 0 again.
    void ForgetEndedBefore(const QDateTime& cutoff);

    int Size() const { return static_cast<int>(m_entries.size()); }

private:
    QHash<QString, Entry> m_entries;
    QSet<QString> m_recorded;
};

}  // namespace host::calendar
