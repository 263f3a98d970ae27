#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

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

// A file that came with a message (or a part shown inside its formatted
// text, such as a picture its HTML names by "cid:").
struct HostAttachment {
    // As the message names it; may hold anything, so never a path to write
    // to as it is.
    QString name;
    // "image/png"; "application/octet-stream" when the message says nothing.
    QString mimeType;
    // The Content-ID without angle brackets; empty when none.
    QString contentId;
    QByteArray data;
    // Shown inside the formatted text rather than offered as a file.
    bool inlinePart = false;
};

// What a message holds besides its header: read only when it is asked for,
// since a folder lists thousands of messages whose bodies nobody opens.
struct HostMessageContent {
    // The plain text; empty for a message that has only HTML.
    QString body;
    // The HTML text, when the message has one; shown formatted, never
    // trusted (see SafeTextBrowser).
    QString htmlBody;
    std::vector<HostAttachment> attachments;
    // What the reader should know about how the content was read (a file
    // that went missing); empty when nothing.
    QString notice;
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
    // A new unsaved message: "FW: " + subject, no recipients, the same HTML
    // text and attachments, and as its body an empty line, the forwarded
    // message's header block (ForwardedHeaderBlock), an empty line and the
    // forwarded body.
    std::shared_ptr<client::MailItem> Forward() override;
    // "-------- Forwarded Message --------" and a line each for the Subject,
    // Date ("2024-03-04 09:15"), From, To and Cc the message has (BCC
    // recipients are never named), each line ended by a line feed.
    QString ForwardedHeaderBlock() const;

    // Model side.
    std::shared_ptr<HostRecipients> RecipientList() const { return m_recipients; }
    // The content (body, HTML, attachments) of a message read from a file is
    // read when first asked for, through the loader its reader left; each of
    // these reads it then. Setting a part keeps the others.
    QString Body() const { return Content().body; }
    void setBody(const QString& body);
    QString HtmlBody() const { return Content().htmlBody; }
    void setHtmlBody(const QString& html);
    const std::vector<HostAttachment>& Attachments() const { return Content().attachments; }
    void AddAttachment(HostAttachment attachment);
    using ContentLoader = std::function<HostMessageContent()>;
    // The content becomes what loader gives when it is first asked for.
    void setContentLoader(ContentLoader loader);
    // True once the content is in memory (made here, or read).
    bool ContentLoaded() const { return !m_loader; }
    // What the reader should know about how the message was read (headers
    // that were shortened, a file that went missing); empty when nothing.
    QString ReadingNotice() const;
    void setReadingNotice(const QString& notice) { m_readingNotice = notice; }
    // The Message-ID without angle brackets; empty until the message is
    // sent, or for a file that had none.
    QString MessageId() const { return m_messageId; }
    void setMessageId(const QString& id) { m_messageId = id; }
    // The header a received message arrived with, as it stood in its file
    // (kept as bytes: most of it is ASCII); empty for a message made here.
    QString TransportMessageHeaders() const { return QString::fromUtf8(m_transportHeaders); }
    void setTransportMessageHeaders(const QByteArray& header) { m_transportHeaders = header; }
    // The sender's address entry; no object when unknown (a new message).
    std::shared_ptr<HostAddressEntry> Sender() const { return m_sender; }
    void setSender(std::shared_ptr<HostAddressEntry> sender) { m_sender = std::move(sender); }
    void setSentOn(const QDateTime& sentOn) { m_sentOn = sentOn; }

    // A new item with the same subject, content, recipients, sender, send
    // time and Message-ID, in no folder and without an entry id.
    std::shared_ptr<HostMailItem> Copy() const;

private:
    const HostMessageContent& Content() const;

    // Read on first use: mutable, as reading it changes nothing a caller sees.
    mutable HostMessageContent m_content;
    mutable ContentLoader m_loader;
    QString m_readingNotice;
    QString m_messageId;
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
