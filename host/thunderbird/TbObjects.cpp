#include "host/thunderbird/TbObjects.h"

#include "host/mail/MailModel.h"
#include "host/thunderbird/ExtensionLink.h"
#include "host/thunderbird/TbMailItem.h"
#include "host/thunderbird/TbRequestError.h"
#include "platform/RuntimeError.h"

namespace host::thunderbird {

using platform::RuntimeError;

ExtensionLink& TbContext::Link() const {
    if (!link)
        throw RuntimeError::ObjectNotSet();
    return *link;
}

platform::ObjectRef TbItems::Item(qint32) {
    throw RuntimeError::SubscriptOutOfRange();
}

std::shared_ptr<TbFolder> TbFolder::FromJson(const QJsonObject& folder) {
    const QString account = folder.value("accountId").toString();
    return std::make_shared<TbFolder>(account + folder.value("path").toString(), account,
                                      folder.value("name").toString(),
                                      folder.value("totalMessages").toInt());
}

QJsonObject TbFolder::JsonFor(const QString& entryId) {
    // Account ids hold no "/", and a folder's path begins with one.
    const qsizetype slash = entryId.indexOf(u'/');
    if (slash <= 0)
        return {};
    const QString path = entryId.mid(slash);
    QJsonObject folder;
    folder["accountId"] = entryId.left(slash);
    folder["path"] = path;
    folder["name"] = path.section(u'/', -1);
    return folder;
}

platform::ObjectRef TbSelection::Item(qint32 index) {
    if (index < 1 || index > Count())
        throw RuntimeError::SubscriptOutOfRange();
    return m_items[static_cast<size_t>(index - 1)];
}

std::shared_ptr<client::Selection> TbExplorer::Selection() {
    return std::make_shared<TbSelection>(m_selection);
}

TbInspector::TbInspector(std::shared_ptr<TbMailItem> item) : m_item(std::move(item)) {}

platform::ObjectRef TbInspector::CurrentItem() {
    return m_item;
}

TbNameSpace::TbNameSpace(TbContext context)
    : m_context(context),
      m_inbox(
          std::make_shared<TbFolder>(kAllInboxesId, kThunderbirdStore, QStringLiteral("Inbox"))),
      m_sent(std::make_shared<TbFolder>(kAllSentItemsId, kThunderbirdStore,
                                        QStringLiteral("Sent Items"))) {}

std::shared_ptr<client::MAPIFolder> TbNameSpace::GetDefaultFolder(qint32 folderType) {
    if (folderType == client::olFolderInbox)
        return m_inbox;
    if (folderType == client::olFolderSentMail)
        return m_sent;
    throw MailModel::NotFoundError();
}

platform::ObjectRef TbNameSpace::GetItemFromID(const QString& entryId, const QString& storeId) {
    if (entryId.isEmpty())
        throw MailModel::NotFoundError();
    QJsonObject reference;
    reference["messageId"] = entryId;
    if (const QJsonObject folder = TbFolder::JsonFor(storeId); !folder.isEmpty())
        reference["folder"] = folder;
    QJsonObject request;
    request["message"] = reference;
    const ExtensionLink::Result result =
        m_context.Link().Call(QStringLiteral("findMessage"), request, m_context.replyTimeoutMs);
    if (!result.ok)
        throw RequestError(QStringLiteral("look up the message %1").arg(entryId), result);
    if (!result.reply.value("found").toBool())
        throw MailModel::NotFoundError();
    return TbMailItem::FromMessage(m_context, result.reply.value("message").toObject());
}

TbApplication::TbApplication(TbContext context)
    : m_context(context), m_namespace(std::make_shared<TbNameSpace>(context)) {}

std::shared_ptr<client::NameSpace> TbApplication::GetNamespace(const QString& type) {
    if (type.compare(QLatin1String("MAPI"), Qt::CaseInsensitive) != 0)
        throw RuntimeError::InvalidProcedureCall();
    return m_namespace;
}

platform::ObjectRef TbApplication::CreateItem(qint32 itemType) {
    if (itemType != client::olMailItem)
        throw RuntimeError::InvalidProcedureCall();
    return std::make_shared<TbMailItem>(m_context);
}

}  // namespace host::thunderbird
