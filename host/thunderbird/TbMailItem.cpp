#include "host/thunderbird/TbMailItem.h"

#include <QJsonArray>

#include "host/mail/HostRecipients.h"
#include "host/thunderbird/ExtensionLink.h"
#include "host/thunderbird/TbAddresses.h"
#include "host/thunderbird/TbRequestError.h"

namespace host::thunderbird {

namespace {

// Each entry of a protocol address list may itself hold several mailboxes.
void AddRecipients(HostRecipients& recipients, qint32 type, const QJsonArray& list) {
    for (const QJsonValue& entry : list) {
        for (const QString& mailbox : SplitMailboxes(entry.toString())) {
            const QString address = AddressOf(mailbox);
            // A mailbox without an address (a group name) has no Internet
            // address to remind; the add-in says so when it meets one.
            recipients.AddRecipient(
                type, address,
                address.isEmpty() ? nullptr
                                  : std::make_shared<HostAddressEntry>(kSmtpAddressType, address));
        }
    }
}

// The forwarded header fields as a header block, one field a line, as the
// add-in reads a received message's header.
QByteArray HeaderText(const QJsonObject& headers) {
    QByteArray text;
    for (auto it = headers.begin(); it != headers.end(); ++it) {
        for (const QJsonValue& value : it.value().toArray()) {
            QString line = it.key() + QStringLiteral(": ") + value.toString();
            // A value never spans lines here: a line break in it would start
            // a field of its own.
            line.replace(u'\r', u' ');
            line.replace(u'\n', u' ');
            text += line.toUtf8() + "\r\n";
        }
    }
    return text;
}

}  // namespace

TbMailItem::TbMailItem(TbContext context) : HostMailItem({}), m_context(context) {}

std::shared_ptr<TbMailItem> TbMailItem::FromMessage(TbContext context, const QJsonObject& message) {
    auto item = std::make_shared<TbMailItem>(context);
    const QString messageId = message.value("messageId").toString();
    item->m_entryId = messageId;
    item->setMessageId(messageId);
    item->setSubject(message.value("subject").toString());
    const QString author = AddressOf(message.value("author").toString());
    if (!author.isEmpty())
        item->setSender(std::make_shared<HostAddressEntry>(kSmtpAddressType, author));
    HostRecipients& recipients = *item->RecipientList();
    AddRecipients(recipients, client::olTo, message.value("to").toArray());
    AddRecipients(recipients, client::olCC, message.value("cc").toArray());
    AddRecipients(recipients, client::olBCC, message.value("bcc").toArray());
    item->setSentOn(
        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(message.value("date").toDouble())));
    item->setTransportMessageHeaders(HeaderText(message.value("headers").toObject()));
    item->m_folderJson = message.value("folder").toObject();
    item->m_folder = TbFolder::FromJson(item->m_folderJson);
    return item;
}

std::shared_ptr<TbMailItem> TbMailItem::ForCompose(TbContext context, qint64 tabId) {
    auto item = std::make_shared<TbMailItem>(context);
    item->m_tabId = tabId;
    return item;
}

void TbMailItem::setComposeDetails(const QJsonObject& details) {
    setSubject(details.value("subject").toString());
    HostRecipients& recipients = *RecipientList();
    recipients.Clear();
    AddRecipients(recipients, client::olTo, details.value("to").toArray());
    AddRecipients(recipients, client::olCC, details.value("cc").toArray());
    AddRecipients(recipients, client::olBCC, details.value("bcc").toArray());
}

QJsonObject TbMailItem::Reference() const {
    QJsonObject reference;
    reference["messageId"] = MessageId();
    if (!m_folderJson.isEmpty())
        reference["folder"] = m_folderJson;
    return reference;
}

void TbMailItem::Display() {
    ExtensionLink& link = m_context.Link();
    if (m_tabId)
        return;  // already in its compose window
    if (!EntryID().isEmpty()) {
        QJsonObject request;
        request["message"] = Reference();
        const auto result =
            link.Call(QStringLiteral("openMessage"), request, m_context.replyTimeoutMs);
        if (!result.ok)
            throw RequestError(QStringLiteral("open the message \"%1\"").arg(Subject()), result);
        return;
    }
    QJsonObject request;
    if (m_forwardOf)
        request["original"] = *m_forwardOf;
    QJsonArray to;
    auto recipients = RecipientList();
    for (qint32 i = 1; i <= recipients->Count(); ++i) to.append(recipients->Item(i)->Address());
    request["to"] = to;
    request["subject"] = Subject();
    const auto result = link.Call(QStringLiteral("compose"), request, m_context.replyTimeoutMs);
    if (!result.ok)
        throw RequestError(QStringLiteral("open a message to write"), result);
}

std::shared_ptr<client::MailItem> TbMailItem::Forward() {
    auto forward = std::make_shared<TbMailItem>(m_context);
    forward->setSubject(QStringLiteral("FW: ") + Subject());
    forward->m_forwardOf = Reference();
    return forward;
}

}  // namespace host::thunderbird
