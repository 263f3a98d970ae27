#pragma once

// The mail helper library: reads mail items without the mail client's
// security prompts. Objects are created by ProgID.

#include <QDateTime>
#include <QString>
#include <memory>

#include "addin/contracts/MailClient.h"
#include "platform/ComObject.h"

namespace mailhelper {

inline const QString kSafeMailItemProgId = QStringLiteral("QxOutlook.QxSafeMailItem");
inline const QString kMAPIUtilsProgId = QStringLiteral("QxOutlook.QxMAPIUtils");

class AddressEntry : public platform::ComObject {
public:
    QString TypeName() const override { return "AddressEntry"; }
    // The text "EX" marks an Exchange address.
    virtual QString Type() const = 0;
    virtual QString Address() const = 0;
};

class SafeRecipient : public platform::ComObject {
public:
    QString TypeName() const override { return "SafeRecipient"; }
    // 1 = To, 2 = CC, 3 = BCC.
    virtual qint32 Type() const = 0;
    virtual QString Address() const = 0;
    // No object when the recipient has no address entry.
    virtual std::shared_ptr<mailhelper::AddressEntry> AddressEntry() = 0;
};

class SafeRecipients : public platform::ComObject {
public:
    QString TypeName() const override { return "SafeRecipients"; }
    virtual qint32 Count() const = 0;
    // Positions from 1, in the item's order; fails outside 1 to Count.
    virtual std::shared_ptr<SafeRecipient> Item(qint32 index) = 0;
    virtual std::shared_ptr<SafeRecipient> Add(const QString& address) = 0;
};

// "QxOutlook.QxSafeMailItem": a new one per message handled.
class SafeMailItem : public platform::ComObject {
public:
    QString TypeName() const override { return "QxSafeMailItem"; }

    // Wraps a mail item; every later member acts on it.
    virtual void setItem(const platform::ObjectRef& item) = 0;
    virtual QString Subject() const = 0;
    virtual void setSubject(const QString& subject) = 0;
    virtual std::shared_ptr<SafeRecipients> Recipients() = 0;
    virtual QString EntryId() const = 0;
    // The folder holding the item; no object when it has none.
    virtual std::shared_ptr<client::MAPIFolder> Parent() = 0;
    virtual QDateTime SentOn() const = 0;
    virtual void Save() = 0;
    virtual void Display() = 0;
    // The sender of a received message; no object when unknown.
    virtual std::shared_ptr<mailhelper::AddressEntry> Sender() = 0;
    // The Internet header of a received message as it arrived (the
    // transport message headers), as text; empty for a message made here.
    virtual QString TransportMessageHeaders() const = 0;
    // The message's Message-ID without angle brackets; empty when it has
    // none. A reply names it in its In-Reply-To and References fields.
    virtual QString InternetMessageId() const = 0;
};

// "QxOutlook.QxMAPIUtils".
class MAPIUtils : public platform::ComObject {
public:
    QString TypeName() const override { return "QxMAPIUtils"; }
    virtual QString GetSenderSMTPAddress(SafeMailItem& item) = 0;
    virtual QString GetSMTPAddress(mailhelper::AddressEntry& entry) = 0;
    virtual void Cleanup() = 0;
};

}  // namespace mailhelper
