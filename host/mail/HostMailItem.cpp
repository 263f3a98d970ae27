#include "host/mail/HostMailItem.h"

#include <stdexcept>

#include "host/mail/HostFolder.h"
#include "host/mail/HostRecipients.h"
#include "host/mail/MailModel.h"
#include "platform/RuntimeError.h"

namespace host {

QString TypeNameOf(ItemKind kind) {
    switch (kind) {
        case ItemKind::Mail:
            return QStringLiteral("MailItem");
        case ItemKind::Appointment:
            return QStringLiteral("AppointmentItem");
        case ItemKind::Contact:
            return QStringLiteral("ContactItem");
        case ItemKind::Task:
            return QStringLiteral("TaskItem");
        case ItemKind::MeetingRequest:
            return QStringLiteral("MeetingItem");
        case ItemKind::Report:
            return QStringLiteral("ReportItem");
    }
    return QString();
}

HostMailItem::HostMailItem(std::weak_ptr<MailModel> model) : HostItemBase(std::move(model)) {}

std::shared_ptr<client::MAPIFolder> HostMailItem::Parent() {
    return Folder();
}

void HostMailItem::Display() {
    auto model = Model();
    if (!model)
        throw platform::RuntimeError::ObjectNotSet();
    model->OpenInspector(shared_from_this());
}

namespace {

// The addresses of one kind of recipient, as a header line lists them.
QString AddressesOfType(HostRecipients& recipients, qint32 type) {
    QStringList addresses;
    for (qint32 i = 1; i <= recipients.Count(); ++i) {
        auto recipient = recipients.Item(i);
        if (recipient->Type() == type)
            addresses << recipient->Address();
    }
    return addresses.join(QStringLiteral(", "));
}

}  // namespace

QString HostMailItem::ForwardedHeaderBlock() const {
    QString block = QStringLiteral("-------- Forwarded Message --------\n");
    const auto line = [&block](const char* name, const QString& value) {
        if (!value.isEmpty())
            block += QLatin1String(name) + QStringLiteral(": ") + value + u'\n';
    };
    line("Subject", m_subject);
    line("Date",
         m_sentOn.isValid() ? m_sentOn.toString(QStringLiteral("yyyy-MM-dd hh:mm")) : QString());
    line("From", m_sender ? m_sender->Address() : QString());
    // Blind copies stay blind.
    line("To", AddressesOfType(*m_recipients, client::olTo));
    line("Cc", AddressesOfType(*m_recipients, client::olCC));
    return block;
}

std::shared_ptr<client::MailItem> HostMailItem::Forward() {
    auto forward = std::make_shared<HostMailItem>(Model());
    forward->m_subject = QStringLiteral("FW: ") + m_subject;
    forward->m_content = Content();
    // The forwarded message goes under the header block of its own, with a
    // line above for the sender's words: without it the recipient sees what
    // looks like a copy of a message already had.
    forward->m_content.body = u'\n' + ForwardedHeaderBlock() + u'\n' + forward->m_content.body;
    return forward;
}

std::shared_ptr<HostMailItem> HostMailItem::Copy() const {
    auto copy = std::make_shared<HostMailItem>(Model());
    copy->m_subject = m_subject;
    copy->m_content = Content();
    copy->m_recipients = m_recipients->Clone();
    copy->m_sender = m_sender;
    copy->m_sentOn = m_sentOn;
    copy->m_messageId = m_messageId;
    return copy;
}

const HostMessageContent& HostMailItem::Content() const {
    if (m_loader) {
        // Taken out first: a loader that asks for the content again gets
        // what is there instead of recursing.
        ContentLoader loader = std::move(m_loader);
        m_loader = nullptr;
        m_content = loader();
    }
    return m_content;
}

void HostMailItem::setBody(const QString& body) {
    Content();
    m_content.body = body;
}

void HostMailItem::setHtmlBody(const QString& html) {
    Content();
    m_content.htmlBody = html;
}

void HostMailItem::AddAttachment(HostAttachment attachment) {
    Content();
    m_content.attachments.push_back(std::move(attachment));
}

void HostMailItem::setContentLoader(ContentLoader loader) {
    m_loader = std::move(loader);
}

QString HostMailItem::ReadingNotice() const {
    // A notice about the content is known only once the content was read.
    const QString content = m_loader ? QString() : m_content.notice;
    if (content.isEmpty())
        return m_readingNotice;
    return m_readingNotice.isEmpty() ? content : m_readingNotice + ' ' + content;
}

HostItem::HostItem(ItemKind kind, std::weak_ptr<MailModel> model)
    : HostItemBase(std::move(model)), m_kind(kind) {
    if (kind == ItemKind::Mail)
        throw std::invalid_argument("Mail items are HostMailItem objects");
}

std::shared_ptr<client::MAPIFolder> HostItem::Parent() {
    return Folder();
}

}  // namespace host
