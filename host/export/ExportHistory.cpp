#include "host/export/ExportHistory.h"

#include <QList>
#include <algorithm>

namespace host::calendar {

namespace {

const QString kTimeFormat = QStringLiteral("yyyyMMdd'T'HHmmss'Z'");

}  // namespace

ExportHistory ExportHistory::FromBytes(const QByteArray& bytes) {
    ExportHistory history;
    for (const QByteArray& line : bytes.split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split('|');
        if (fields.size() != 4 || fields[0].isEmpty() || fields[3].isEmpty())
            continue;
        bool isNumber = false;
        const int sequence = fields[1].toInt(&isNumber);
        QDateTime lastModified = QDateTime::fromString(QString::fromLatin1(fields[2]), kTimeFormat);
        if (!isNumber || sequence < 0 || !lastModified.isValid())
            continue;
        lastModified.setTimeSpec(Qt::UTC);
        history.m_entries.insert(QString::fromUtf8(fields[0]),
                                 Entry{sequence, lastModified, fields[3]});
    }
    return history;
}

QByteArray ExportHistory::ToBytes() const {
    // Sorted, so that an export that changed nothing writes the same bytes.
    QStringList uids = m_entries.keys();
    std::sort(uids.begin(), uids.end());
    QByteArray bytes;
    for (const QString& uid : uids) {
        const Entry& entry = m_entries[uid];
        bytes += uid.toUtf8() + '|' + QByteArray::number(entry.sequence) + '|' +
                 entry.lastModified.toString(kTimeFormat).toLatin1() + '|' + entry.fingerprint +
                 '\n';
    }
    return bytes;
}

const ExportHistory::Entry* ExportHistory::Find(const QString& uid) const {
    const auto found = m_entries.constFind(uid);
    return found == m_entries.constEnd() ? nullptr : &found.value();
}

const ExportHistory::Entry& ExportHistory::Record(const QString& uid, const QByteArray& fingerprint,
                                                  const QDateTime& now) {
    m_recorded.insert(uid);
    auto found = m_entries.find(uid);
    if (found == m_entries.end())
        return m_entries.insert(uid, Entry{0, now, fingerprint}).value();
    Entry& entry = found.value();
    if (entry.fingerprint != fingerprint) {
        ++entry.sequence;
        entry.lastModified = now;
        entry.fingerprint = fingerprint;
    }
    return entry;
}

void ExportHistory::ForgetEndedBefore(const QDateTime& cutoff) {
    m_entries.removeIf([&](const auto& item) {
        return !m_recorded.contains(item.key()) && item.value().lastModified < cutoff;
    });
}

}  // namespace host::calendar
