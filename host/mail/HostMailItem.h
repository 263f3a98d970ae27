#pragma once

#include <QDateTime>
#include <QString>
#include <memory>

#include "addin/contracts/MailClient.h"
#include "host/mail/HostRecipients.h"

namespace host {

class HostFolder;
class MailModel;

// The kinds of item the model holds. Each has its run-time type name; only
// mail items are client::MailItem.
enum class ItemKind { Mail, Appointment, Contact, Task, MeetingRequest, Report };

// "MailItem", "AppointmentItem", "ContactItem", "TaskItem", "MeetingItem",
// "ReportItem".
QString TypeNameOf(ItemKind kind);

// What the model keeps for every item, whatever its kind: its entry id (given
// when the item is first filed in a folder and kept for the item's life), its
// subject and the folder holding it. The model files and removes items; the
// rest of the program reads them.
class HostItemBase {
public:
    virtual ~HostItemBase() = default;

    virtual ItemKind Kind() const = 0;
    // The folder holding the item; no object for an item never filed or
    // taken out of its folder.
    std::shared_ptr<HostFolder> Folder() const { return m_folder.lock(); }
    std::shared_ptr<MailModel> Model() const { return m_model.lock(); }

protected:
    explicit HostItemBase(std::weak_ptr<MailModel> model) : m_model(std::move(model)) {}

    QString m_entryId;
    QString m_subject;

private:
    friend class MailModel;
    std::weak_ptr<HostFolder> m_folder;
    std::weak_ptr<MailModel> m_model;
};

// A mail message. Its default member is its subject (from client::MailItem).
class HostMailItem : public client::MailItem,
                     public HostItemBase,
                     public std::enable_shared_from_this<HostMailItem> {
public:
    explicit HostMailItem(std::weak_ptr<MailModel> model);

    ItemKind Kind() const override { return ItemKind::Mail; }

    // Empty until the item is first filed in a folder.
    QString EntryID() const override { return m_entryId; }
    QString Subject() const override { return m_subject; }
    std::shared_ptr<client::MAPIFolder> Parent() override;

    void setSubject(const QString& subject) override { m_subject = subject; }
    std::shared_ptr<client::Recipients> Recipients() override { return m_recipients; }
    // Invalid (null) until the message is sent or delivered.
    QDateTime SentOn() const override { return m_sentOn; }
    // Opens an inspector on the item (MailModel::OpenInspector). Fails with
    // "Object variable or With block variable not set" once the model is gone.
    void Display() override;
    // A new unsaved message: "FW: " + subject, the same body, no recipients.
    std::shared_ptr<client::MailItem> Forward() override;

    // Model side.
    std::shared_ptr<HostRecipients> RecipientList() const { return m_recipients; }
    QString Body() const { return m_body; }
    void setBody(const QString& body) { m_body = body; }
    // What the reader should know about how the message was read (headers
    // that were shortened, say); empty when nothing.
    QString ReadingNotice() const { return m_readingNotice; }
    void setReadingNotice(const QString& notice) { m_readingNotice = notice; }
    // The header a received message arrived with, as it stood in its file
    // (kept as bytes: most of it is ASCII); empty for a message made here.
    QString TransportMessageHeaders() const { return QString::fromUtf8(m_transportHeaders); }
    void setTransportMessageHeaders(const QByteArray& header) { m_transportHeaders = header; }
    // The sender's address entry; no object when unknown (a new message).
    std::shared_ptr<HostAddressEntry> Sender() const { return m_sender; }
    void setSender(std::shared_ptr<HostAddressEntry> sender) { m_sender = std::move(sender); }
    void setSentOn(const QDateTime& sentOn) { m_sentOn = sentOn; }

    // A new item with the same subject, body, recipients, sender and send
    // time, in no folder and without an entry id.
    std::shared_ptr<HostMailItem> Copy() const;

private:
    QString m_body;
    QString m_readingNotice;
    QByteArray m_transportHeaders;
    std::shared_ptr<HostRecipients> m_recipients = std::make_shared<HostRecipients>();
    std::shared_ptr<HostAddressEntry> m_sender;
    QDateTime m_sentOn;
};

// An item of any other kind: appointment, contact, task, meeting request,
// report. It has no default member.
class HostItem : public client::ItemObject, public HostItemBase {
public:
    // kind must not be ItemKind::Mail (mail items are HostMailItem).
    HostItem(ItemKind kind, std::weak_ptr<MailModel> model);

    QString TypeName() const override { return TypeNameOf(m_kind); }
    ItemKind Kind() const override { return m_kind; }

    QString EntryID() const override { return m_entryId; }
    QString Subject() const override { return m_subject; }
    std::shared_ptr<client::MAPIFolder> Parent() override;
    void setSubject(const QString& subject) { m_subject = subject; }

private:
    ItemKind m_kind;
};

}  // namespace host
