#pragma once

#include <memory>

#include "addin/contracts/MailClient.h"
#include "addin/contracts/MailHelper.h"

namespace host {

// An address entry of the helper library over one of the mail client's.
class QxAddressEntry : public mailhelper::AddressEntry {
public:
    explicit QxAddressEntry(std::shared_ptr<client::AddressEntry> entry)
        : m_entry(std::move(entry)) {}
    QString Type() const override { return m_entry->Type(); }
    QString Address() const override { return m_entry->Address(); }

private:
    std::shared_ptr<client::AddressEntry> m_entry;
};

class QxSafeRecipient : public mailhelper::SafeRecipient {
public:
    explicit QxSafeRecipient(std::shared_ptr<client::Recipient> recipient)
        : m_recipient(std::move(recipient)) {}
    qint32 Type() const override { return m_recipient->Type(); }
    QString Address() const override { return m_recipient->Address(); }
    std::shared_ptr<mailhelper::AddressEntry> AddressEntry() override;

private:
    std::shared_ptr<client::Recipient> m_recipient;
};

// The recipients of the wrapped item. An item that is not a mail message
// has none, and adding to them fails with "Object doesn't support this
// property or method".
class QxSafeRecipients : public mailhelper::SafeRecipients {
public:
    // recipients may be empty (an item without recipients).
    explicit QxSafeRecipients(std::shared_ptr<client::Recipients> recipients)
        : m_recipients(std::move(recipients)) {}
    qint32 Count() const override;
    std::shared_ptr<mailhelper::SafeRecipient> Item(qint32 index) override;
    std::shared_ptr<mailhelper::SafeRecipient> Add(const QString& address) override;

private:
    std::shared_ptr<client::Recipients> m_recipients;
};

// "QxOutlook.QxSafeMailItem" over the model's items. It reads any item of
// the mail client through its object model; saving and the sender need the
// model's own items (host::HostMailItem and the other host items).
//
// Every member but setItem fails with "Object variable or With block
// variable not set" while no item is set.
class QxSafeMailItem : public mailhelper::SafeMailItem {
public:
    // Any item of the mail client (mail message, appointment, ...); another
    // object fails with "Type mismatch", no object with "Object variable or
    // With block variable not set".
    void setItem(const platform::ObjectRef& item) override;
    QString Subject() const override;
    // Fails with "Object doesn't support this property or method" for an
    // item that is not a mail message.
    void setSubject(const QString& subject) override;
    std::shared_ptr<mailhelper::SafeRecipients> Recipients() override;
    QString EntryId() const override;
    std::shared_ptr<client::MAPIFolder> Parent() override;
    // Invalid (null) for an item that was never sent or is not a message.
    QDateTime SentOn() const override;
    // See host::MailModel::Save: a new item goes into Drafts and so gets its
    // entry id.
    void Save() override;
    // Opens the message in an inspector; fails for items other than messages.
    void Display() override;
    // No object for an item without a known sender.
    std::shared_ptr<mailhelper::AddressEntry> Sender() override;
    // The header the message was read with; empty for others.
    QString TransportMessageHeaders() const override;
    // The model's Message-ID of a mail message (given when it is sent, or
    // read from its file); empty for other items.
    QString InternetMessageId() const override;

    const std::shared_ptr<client::ItemObject>& WrappedItem() const { return m_item; }

private:
    client::ItemObject& Item() const;
    client::MailItem& Mail() const;
    std::shared_ptr<client::ItemObject> m_item;
};

}  // namespace host
