#pragma once

#include <QHash>
#include <QString>

namespace host {

// The small address book behind directory ("EX") addresses: each such
// address stands for one Internet (SMTP) address. Directory addresses are
// compared without regard to letter case, as directories compare them.
class MailDirectory {
public:
    // Adds the entry, or replaces the Internet address of an existing one.
    void Add(const QString& exchangeAddress, const QString& smtpAddress);
    // The Internet address; an empty string for an address the directory
    // does not hold.
    QString Resolve(const QString& exchangeAddress) const;
    int Count() const { return static_cast<int>(m_entries.size()); }

private:
    QHash<QString, QString> m_entries;
};

}  // namespace host
