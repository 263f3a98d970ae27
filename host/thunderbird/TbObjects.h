#pragma once

// The mail client's object model over Thunderbird, as the add-in calls it:
// the application, the "MAPI" namespace, folders, the explorer (the main
// window), inspectors (compose windows) and selections. What they hold comes
// from what the extension sent; what they must ask Thunderbird (a message
// looked up by its entry id) goes through the extension as a request.
//
// Ids, chosen so that a reminder made today still finds its message next
// month (Thunderbird's own numeric message ids change between runs):
//  - a message's entry id is its Message-ID (without angle brackets);
//  - a folder's entry id is its account id followed by its path
//    ("account1/Sent"), its store id the account id;
//  - the default Inbox and Sent Items stand for those of every account
//    ("thunderbird:Inbox", "thunderbird:Sent Items", store "thunderbird"):
//    the add-in watches one Inbox and one Sent Items, and a reply or a sent
//    copy in any account is one for it. A message itself always names its
//    own folder as its parent.

#include <QJsonObject>
#include <QString>
#include <map>
#include <memory>
#include <vector>

#include "addin/contracts/MailClient.h"

namespace host::thunderbird {

class ExtensionLink;
class TbMailItem;

// What the objects need to ask Thunderbird.
struct TbContext {
    ExtensionLink* link = nullptr;
    qint64 replyTimeoutMs = 10000;

    // The link; "Object variable or With block variable not set" without one.
    ExtensionLink& Link() const;
};

inline const QString kThunderbirdStore = QStringLiteral("thunderbird");
inline const QString kAllInboxesId = QStringLiteral("thunderbird:Inbox");
inline const QString kAllSentItemsId = QStringLiteral("thunderbird:Sent Items");

// A folder's messages. Only their number is known here (Thunderbird counts
// them); a message of a folder is reached through the namespace.
class TbItems : public client::Items {
public:
    explicit TbItems(qint32 count) : m_count(count) {}
    qint32 Count() const override { return m_count; }
    // "Subscript out of range": the messages stay in Thunderbird.
    platform::ObjectRef Item(qint32 index) override;

private:
    qint32 m_count;
};

class TbFolder : public client::MAPIFolder {
public:
    TbFolder(QString entryId, QString storeId, QString name, qint32 count = 0)
        : m_entryId(std::move(entryId)),
          m_storeId(std::move(storeId)),
          m_name(std::move(name)),
          m_count(count) {}
    // A folder as the protocol gives it ({accountId, path, name, type,
    // totalMessages}).
    static std::shared_ptr<TbFolder> FromJson(const QJsonObject& folder);
    // The folder named by an entry id ("account1/Sent") as a protocol
    // folder; an empty object for an id that names no folder of an account.
    static QJsonObject JsonFor(const QString& entryId);

    QString EntryID() const override { return m_entryId; }
    QString StoreID() const override { return m_storeId; }
    QString Name() const override { return m_name; }
    std::shared_ptr<client::Items> Items() override { return std::make_shared<TbItems>(m_count); }
    qint32 DefaultItemType() const override { return client::olMailItem; }

private:
    QString m_entryId;
    QString m_storeId;
    QString m_name;
    qint32 m_count;
};

class TbSelection : public client::Selection {
public:
    explicit TbSelection(std::vector<platform::ObjectRef> items) : m_items(std::move(items)) {}
    qint32 Count() const override { return static_cast<qint32>(m_items.size()); }
    // Positions from 1; "Subscript out of range" outside 1 to Count.
    platform::ObjectRef Item(qint32 index) override;

private:
    std::vector<platform::ObjectRef> m_items;
};

// The main window: the folder it shows and the messages selected in it, as
// the extension last said.
class TbExplorer : public client::Explorer {
public:
    std::shared_ptr<client::MAPIFolder> CurrentFolder() override { return m_folder; }
    std::shared_ptr<client::Selection> Selection() override;
    void setCurrentFolder(std::shared_ptr<TbFolder> folder) { m_folder = std::move(folder); }
    void setSelection(std::vector<platform::ObjectRef> items) { m_selection = std::move(items); }

private:
    std::shared_ptr<TbFolder> m_folder;
    std::vector<platform::ObjectRef> m_selection;
};

// A compose window, showing the message being written.
class TbInspector : public client::Inspector {
public:
    explicit TbInspector(std::shared_ptr<TbMailItem> item);
    platform::ObjectRef CurrentItem() override;
    const std::shared_ptr<TbMailItem>& Message() const { return m_item; }

private:
    std::shared_ptr<TbMailItem> m_item;
};

class TbNameSpace : public client::NameSpace {
public:
    explicit TbNameSpace(TbContext context);
    // The Inbox and Sent Items of every account (see above); another folder
    // type fails with "The operation failed.  An object could not be found."
    std::shared_ptr<client::MAPIFolder> GetDefaultFolder(qint32 folderType) override;
    // Asks Thunderbird for the message with that Message-ID, in the folder
    // the store id names when it names one (a hint: a message that moved is
    // found where it is now). A message Thunderbird no longer has fails
    // with "The operation failed.  An object could not be found.", as the
    // mail client fails; no answer in time fails with the words of why.
    platform::ObjectRef GetItemFromID(const QString& entryId, const QString& storeId) override;

    const std::shared_ptr<TbFolder>& AllInboxes() const { return m_inbox; }
    const std::shared_ptr<TbFolder>& AllSentItems() const { return m_sent; }

private:
    TbContext m_context;
    std::shared_ptr<TbFolder> m_inbox;
    std::shared_ptr<TbFolder> m_sent;
};

class TbApplication : public client::Application {
public:
    explicit TbApplication(TbContext context);
    // "MAPI" in any letter case; another fails with "Invalid procedure call
    // or argument".
    std::shared_ptr<client::NameSpace> GetNamespace(const QString& type) override;
    // The main window; no object before the extension connected.
    std::shared_ptr<client::Explorer> ActiveExplorer() override { return m_explorer; }
    // A new message (olMailItem); other kinds fail with "Invalid procedure
    // call or argument": Thunderbird's calendar is not reached from here.
    platform::ObjectRef CreateItem(qint32 itemType) override;

    const std::shared_ptr<TbNameSpace>& Namespace() const { return m_namespace; }
    void setExplorer(std::shared_ptr<TbExplorer> explorer) { m_explorer = std::move(explorer); }
    const std::shared_ptr<TbExplorer>& Explorer() const { return m_explorer; }

private:
    TbContext m_context;
    std::shared_ptr<TbNameSpace> m_namespace;
    std::shared_ptr<TbExplorer> m_explorer;
};

}  // namespace host::thunderbird
