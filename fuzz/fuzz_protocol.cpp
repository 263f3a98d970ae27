// What Thunderbird's extension may send the host: any bytes as a message.
// The check against the protocol must give an answer for anything; a message
// it lets through must give a mail item whose every recipient and sender is
// one plain address (or none), and a folder id that names its folder again.

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdlib>

#include "fuzz/FuzzEnv.h"
#include "host/thunderbird/Protocol.h"
#include "host/thunderbird/TbAddresses.h"
#include "host/thunderbird/TbMailItem.h"

namespace {

bool PlainAddress(const QString& address) {
    return !address.contains(u'<') && !address.contains(u'>') && !address.contains(u',') &&
           address == address.trimmed();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::FuzzEnv::Get();
    using namespace host::thunderbird;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // The address lists themselves, whatever the message is.
    for (const QString& mailbox : SplitMailboxes(QString::fromUtf8(bytes)))
        if (mailbox.isEmpty() || mailbox != mailbox.trimmed())
            std::abort();
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    if (!document.isObject())
        return 0;
    const QJsonObject message = document.object();
    const Protocol& protocol = Protocol::Builtin();
    protocol.Check(Direction::ToExtension, message);
    if (!protocol.Check(Direction::ToHost, message).isEmpty())
        return 0;
    if (!message.value("message").isObject())
        return 0;
    auto item = TbMailItem::FromMessage({}, message.value("message").toObject());
    auto recipients = item->RecipientList();
    for (qint32 i = 1; i <= recipients->Count(); ++i)
        if (!PlainAddress(recipients->Item(i)->Address()))
            std::abort();
    if (item->Sender() && !PlainAddress(item->Sender()->Address()))
        std::abort();
    // The folder named by the item's parent is the one the message named.
    const QJsonObject folder = message.value("message").toObject().value("folder").toObject();
    const QString entryId = item->Parent()->EntryID();
    const QJsonObject named = TbFolder::JsonFor(entryId);
    if (folder.value("path").toString().startsWith(u'/') &&
        !folder.value("accountId").toString().contains(u'/') &&
        !folder.value("accountId").toString().isEmpty() &&
        named.value("path").toString() != folder.value("path").toString())
        std::abort();
    return 0;
}
