#pragma once

#include <QJsonObject>
#include <optional>

#include "host/mail/HostMailItem.h"
#include "host/thunderbird/TbObjects.h"

namespace host::thunderbird {

// A message of Thunderbird: one filed in a folder (a received message, a
// sent copy, a message looked up by its id), the message of a compose window,
// or a new message the add-in makes (a follow-up). It holds what the mail
// helper library reads (subject, recipients, sender, send time, header,
// Message-ID) as the program's own messages do; what it does goes to
// Thunderbird: Display opens a filed message in a message window and a new
// one in a compose window, Forward makes a new message that forwards it.
class TbMailItem : public host::HostMailItem {
public:
    explicit TbMailItem(TbContext context);

    // A filed message as the protocol gives it (Message): entry id and
    // Message-ID from its messageId, the raw subject, the author as sender,
    // To, CC and BCC recipients, the send time, the forwarded header fields
    // as its header text, its folder as parent.
    static std::shared_ptr<TbMailItem> FromMessage(TbContext context, const QJsonObject& message);
    // The message of compose window tabId (not filed: no entry id, no parent).
    static std::shared_ptr<TbMailItem> ForCompose(TbContext context, qint64 tabId);

    // Takes what a compose window holds (ComposeDetails): subject and
    // recipients, replacing the ones it had.
    void setComposeDetails(const QJsonObject& details);

    std::shared_ptr<client::MAPIFolder> Parent() override { return m_folder; }
    // A filed message: openMessage; a new one: a compose window with its
    // recipients and subject (forwarding the original it was made from).
    // Fails, in words, when Thunderbird says it could not or did not answer.
    void Display() override;
    // A new message, "FW: " + subject, forwarding this one when shown.
    std::shared_ptr<client::MailItem> Forward() override;

    // The compose window the message is in; none for other messages.
    std::optional<qint64> ComposeTab() const { return m_tabId; }
    // The message as a protocol MessageRef (Message-ID and folder).
    QJsonObject Reference() const;

private:
    TbContext m_context;
    std::shared_ptr<TbFolder> m_folder;
    std::optional<qint64> m_tabId;
    // A follow-up made by Forward: the message it forwards.
    std::optional<QJsonObject> m_forwardOf;
    // Kept as Thunderbird gave it, to be named again in a reference.
    QJsonObject m_folderJson;
};

}  // namespace host::thunderbird
