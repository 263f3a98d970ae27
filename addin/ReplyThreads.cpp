#include "addin/ReplyThreads.h"

#include <QSet>
#include <exception>

#include "addin/MessageHeaders.h"
#include "addin/contracts/MailHelper.h"
#include "platform/Env.h"
#include "store/CReminderItem.h"

namespace {

void AddIdsOf(const QString& value, QStringList& ids, QSet<QString>& seen) {
    const auto add = [&](const QString& id) {
        if (!id.isEmpty() && !seen.contains(id)) {
            seen.insert(id);
            ids << id;
        }
    };
    if (!value.contains(u'<')) {
        for (const QString& word : value.split(u' ', Qt::SkipEmptyParts))
            if (word.contains(u'@'))
                add(word);
        return;
    }
    for (qsizetype open = value.indexOf(u'<'); open >= 0; open = value.indexOf(u'<', open + 1)) {
        const qsizetype close = value.indexOf(u'>', open + 1);
        if (close < 0)
            break;
        // Folding may have put a blank inside a long id.
        QString id = value.mid(open + 1, close - open - 1);
        id.remove(u' ');
        add(id);
        open = close;
    }
}

}  // namespace

QStringList ThreadMessageIds(const QString& headers) {
    QStringList ids;
    QSet<QString> seen;
    for (const auto& [name, value] : HeaderFields(headers))
        if (IsField(name, "In-Reply-To") || IsField(name, "References"))
            AddIdsOf(value, ids, seen);
    return ids;
}

QString SentMessageId(client::NameSpace& ns, const CReminderItem& reminder) {
    const QString entryId = reminder.EntryId();
    if (entryId.isEmpty())
        return QString();
    const auto lookUp = [&](const QString& store) -> platform::ObjectRef {
        try {
            return ns.GetItemFromID(entryId, store);
        } catch (const std::exception&) {
            return nullptr;  // not there: deleted, or filed in another store
        }
    };
    // The default store first; a message filed elsewhere needs its store.
    platform::ObjectRef sent = lookUp(QString());
    if (!sent && !reminder.StoreId().isEmpty())
        sent = lookUp(reminder.StoreId());
    if (!sent)
        return QString();
    auto safeItem = platform::Objects().CreateObjectAs<mailhelper::SafeMailItem>(
        mailhelper::kSafeMailItemProgId);
    safeItem->setItem(sent);
    return safeItem->InternetMessageId();
}
