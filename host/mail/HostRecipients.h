#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "addin/contracts/MailClient.h"

namespace host {

inline const QString kSmtpAddressType = QStringLiteral("SMTP");
inline const QString kExchangeAddressType = QStringLiteral("EX");

// An address entry: an Internet address ("SMTP") or a directory address
// ("EX", such as "/o=Example/ou=Exchange/cn=Recipients/cn=pat") that only the
// directory can turn into an Internet address.
class HostAddressEntry : public client::AddressEntry {
public:
    HostAddressEntry(QString type, QString address)
        : m_type(std::move(type)), m_address(std::move(address)) {}

    // An entry whose type follows the address's form: "EX" for an address
    // that begins with "/o=" (in any letter case), "SMTP" for any other.
    static std::shared_ptr<HostAddressEntry> ForAddress(const QString& address);

    QString Type() const override { return m_type; }
    QString Address() const override { return m_address; }

private:
    QString m_type;
    QString m_address;
};

class HostRecipient : public client::Recipient {
public:
    // entry may be empty: a recipient whose address was never resolved.
    HostRecipient(qint32 type, QString address, std::shared_ptr<HostAddressEntry> entry)
        : m_type(type), m_address(std::move(address)), m_entry(std::move(entry)) {}

    // olTo, olCC or olBCC.
    qint32 Type() const override { return m_type; }
    // The address as written: the Internet address, or the directory address
    // of an "EX" recipient.
    QString Address() const override { return m_address; }
    std::shared_ptr<client::AddressEntry> AddressEntry() override { return m_entry; }

private:
    qint32 m_type;
    QString m_address;
    std::shared_ptr<HostAddressEntry> m_entry;
};

// The recipients of one mail item, in the order they were added.
class HostRecipients : public client::Recipients {
public:
    qint32 Count() const override { return static_cast<qint32>(m_recipients.size()); }
    // Positions from 1; "Subscript out of range" outside 1 to Count.
    std::shared_ptr<client::Recipient> Item(qint32 index) override;
    // Adds a To recipient with an entry of the address's form (see
    // HostAddressEntry::ForAddress). An empty address fails with "Invalid
    // procedure call or argument": a recipient nobody can be sent to.
    std::shared_ptr<client::Recipient> Add(const QString& address) override;

    // Adds a recipient exactly as given (any type, any entry or none).
    std::shared_ptr<HostRecipient> AddRecipient(qint32 type, const QString& address,
                                                std::shared_ptr<HostAddressEntry> entry);
    // Adds a recipient of the given type with an entry of the address's form.
    std::shared_ptr<HostRecipient> AddRecipient(qint32 type, const QString& address);

    // Empties the list (a compose window's recipients, replaced as typed).
    void Clear() { m_recipients.clear(); }

    // A new list holding the same recipients (recipients are never changed
    // after they are made, so copies may share them).
    std::shared_ptr<HostRecipients> Clone() const;

private:
    std::vector<std::shared_ptr<HostRecipient>> m_recipients;
};

}  // namespace host
