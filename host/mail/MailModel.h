#pragma once

#include <QHash>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "addin/contracts/MailClient.h"
#include "host/mail/HostApplication.h"
#include "host/mail/HostFolder.h"
#include "host/mail/HostMailItem.h"
#include "host/mail/HostRecipients.h"
#include "host/mail/HostWindows.h"
#include "host/mail/MailDirectory.h"
#include "host/mail/MailTransport.h"
#include "platform/RuntimeError.h"

namespace host {

// Folder type of the drafts folder, where a new message goes when it is saved.
inline constexpr qint32 kFolderDrafts = 16;
// Name of the root folder of the default store.
inline const QString kRootFolderName = QStringLiteral("Personal Folders");
// The address the model's own messages are sent from, unless changed.
inline const QString kDefaultUserAddress = QStringLiteral("user@example.com");

// The mail client's data and windows, in memory: stores of folders holding
// items, the directory behind "EX" addresses, the open explorers and
// inspectors. Everything a user or the mail client does goes through here,
// and the events the engine forwards to its modules leave through the hooks
// below, so the model knows nothing of the engine.
//
// Entry ids are given when an item is first filed in a folder and stay with
// the item for its life, also when it is removed and filed elsewhere; no two
// filed items share one. The first store added is the default store.
class MailModel : public std::enable_shared_from_this<MailModel> {
public:
    // A model with one store laid out as a new mailbox: the root folder
    // "Personal Folders" (mail) holding "Deleted Items", "Inbox", "Outbox",
    // "Sent Items", "Drafts" (mail, all empty), "Calendar" (appointments) and
    // "Contacts" (contacts), each the default folder of its type.
    //
    // folderIds, when given, makes the ids of stores and folders given none,
    // from a key naming them: "store/<root name>" for a store's StoreID,
    // "<root name>" for its root folder, "<parent key>/<name>" for a folder
    // ("Personal Folders/Inbox"). A mailbox kept on disk passes one so that
    // ids kept from an earlier run (a reminder's StoreId) still name the same
    // folders. A made id already in use is replaced by a random one. Without
    // it, ids are random.
    using FolderIdMaker = std::function<QString(const QString& key)>;
    static std::shared_ptr<MailModel> Create(FolderIdMaker folderIds = nullptr);
    // A model without any store.
    static std::shared_ptr<MailModel> CreateEmpty(FolderIdMaker folderIds = nullptr);

    // The error of a look-up that finds nothing:
    // "The operation failed.  An object could not be found."
    static platform::RuntimeError NotFoundError();

    // The application object over this model (the same one while it is held).
    std::shared_ptr<HostApplication> Application();

    // ---- Stores and folders. Ids not given are made up; a given id already
    // in use fails with std::invalid_argument.
    // A new store; returns its root folder (a mail folder).
    std::shared_ptr<HostFolder> AddStore(const QString& rootName,
                                         const QString& storeId = QString());
    std::shared_ptr<HostFolder> AddFolder(const std::shared_ptr<HostFolder>& parent,
                                          const QString& name,
                                          qint32 defaultItemType = client::olMailItem,
                                          const QString& entryId = QString());
    // Makes folder the default folder of that type (olFolderInbox, ...).
    void SetDefaultFolder(qint32 folderType, std::shared_ptr<HostFolder> folder);
    // No object when the model has no default folder of that type.
    std::shared_ptr<HostFolder> DefaultFolder(qint32 folderType) const;
    const std::vector<std::shared_ptr<HostFolder>>& StoreRoots() const { return m_stores; }
    // The folder of any store with that entry id; no object when none.
    std::shared_ptr<HostFolder> FindFolder(const QString& entryId) const;

    // ---- Items.
    // New items belong to no folder and have no entry id yet.
    std::shared_ptr<HostMailItem> NewMailItem();
    // kind must not be ItemKind::Mail.
    std::shared_ptr<HostItem> NewItem(ItemKind kind);
    // olMailItem, olAppointmentItem, olContactItem or olTaskItem; another
    // type fails with "Invalid procedure call or argument".
    platform::ObjectRef CreateItem(qint32 itemType);

    // Files an item of this model in a folder of this model without raising
    // any event. The item keeps the entry id it had; one that never had one
    // gets entryId, or a new one when that is empty. Fails with
    // std::invalid_argument for an item already in a folder, an item or
    // folder of another model, or an entry id another filed item has.
    void File(const std::shared_ptr<HostFolder>& folder,
              const std::shared_ptr<client::ItemObject>& item, const QString& entryId = QString());
    // An item arrives in a folder: File (with entryId, as there), then the
    // item-added event. A mail item that has no send time gets the current
    // time.
    void Deliver(const std::shared_ptr<HostFolder>& folder,
                 const std::shared_ptr<client::ItemObject>& item,
                 const QString& entryId = QString());
    // Takes an item out of its folder; false when it was in none.
    bool Remove(const std::shared_ptr<client::ItemObject>& item);
    // Saves an item: one in no folder is filed in the default drafts folder
    // (with the item-added event); one already in a folder stays where it is
    // and its stored form follows its changes (onSaved).
    void Save(const std::shared_ptr<client::ItemObject>& item);
    // Sends a message, in this order:
    //   1. the send event (onItemSend); when it answers Cancel, nothing more
    //      happens and the result is no object;
    //   2. the message's sender becomes the user's address when it has none,
    //      and its Message-ID a new one when it has none (a message sent
    //      again keeps it); a copy is made, stamped with platform::Now() as
    //      its send time;
    //   3. without a transport: the message is marked sent with that time,
    //      leaves its folder (a saved draft leaves Drafts), and the copy,
    //      with its own new entry id, is filed in the default Sent Items,
    //      followed by the item-added event for Sent Items;
    //      with a transport: the message moves to the default Outbox (with
    //      the item-added event there) and the copy is handed to the
    //      transport. Delivered, the message leaves the Outbox, is marked
    //      sent, and the copy is filed in Sent Items as above, then
    //      onDelivered. Not delivered, the message stays in the Outbox,
    //      unsent, so that it can be sent again, and onDeliveryFailed says
    //      why; Sent Items is not touched.
    // Returns the copy (with a transport, not filed until it is delivered).
    // A message already sent, being delivered, or without recipients, or a
    // model without Sent Items (or, with a transport, without an Outbox),
    // fails before the send event.
    std::shared_ptr<HostMailItem> Send(const std::shared_ptr<HostMailItem>& item);
    // Where sent messages go; none (the default) files them at once.
    void setTransport(std::shared_ptr<MailTransport> transport) {
        m_transport = std::move(transport);
    }
    const std::shared_ptr<MailTransport>& Transport() const { return m_transport; }
    // True while the message is handed to the transport and not back yet.
    bool IsBeingDelivered(const std::shared_ptr<HostMailItem>& item) const;
    // The filed item with that entry id. An empty storeId looks in the
    // default store; otherwise storeId names the store to look in, either by
    // its StoreID or by the EntryID of one of its folders (callers that kept
    // a message's folder pass that). Nothing found fails with NotFoundError().
    platform::ObjectRef FindItem(const QString& entryId, const QString& storeId = QString()) const;

    // ---- Addresses.
    MailDirectory& Directory() { return m_directory; }
    const MailDirectory& Directory() const { return m_directory; }
    QString UserAddress() const { return m_userAddress; }
    void setUserAddress(const QString& address) { m_userAddress = address; }

    // ---- Windows. Each raises its hook after the change.
    std::shared_ptr<HostExplorer> OpenExplorer(std::shared_ptr<HostFolder> folder);
    void ActivateExplorer(const std::shared_ptr<HostExplorer>& explorer);
    void CloseExplorer(const std::shared_ptr<HostExplorer>& explorer);
    // The explorer opened or activated last and still open; no object when
    // none is.
    std::shared_ptr<HostExplorer> ActiveExplorer() const;
    const std::vector<std::shared_ptr<HostExplorer>>& Explorers() const { return m_explorers; }
    std::shared_ptr<HostInspector> OpenInspector(platform::ObjectRef item);
    void CloseInspector(const std::shared_ptr<HostInspector>& inspector);
    // Open inspectors, in the order they were opened.
    const std::vector<std::shared_ptr<HostInspector>>& Inspectors() const { return m_inspectors; }
    // Called by an explorer whose current folder changed.
    void RaiseFolderSwitch(const std::shared_ptr<HostExplorer>& explorer);

    // ---- Hooks: where the events leave the model (an engine connects them).
    std::function<void(const std::shared_ptr<HostExplorer>&)> onExplorerOpen;
    std::function<void(const std::shared_ptr<HostExplorer>&)> onExplorerActivate;
    std::function<void(const std::shared_ptr<HostExplorer>&)> onExplorerClose;
    std::function<void(const std::shared_ptr<HostExplorer>&)> onFolderSwitch;
    std::function<void(const std::shared_ptr<HostInspector>&)> onInspectorOpen;
    std::function<void(const std::shared_ptr<HostInspector>&)> onInspectorClose;
    std::function<void(const std::shared_ptr<HostFolder>&, const platform::ObjectRef&)> onItemAdded;
    // Answers Cancel: true stops the send.
    std::function<bool(const std::shared_ptr<HostMailItem>&)> onItemSend;
    // After a transport delivered a message: the copy filed in Sent Items.
    std::function<void(const std::shared_ptr<HostMailItem>&)> onDelivered;
    // After a transport failed: the message (left in the Outbox) and why.
    std::function<void(const std::shared_ptr<HostMailItem>&, const QString&)> onDeliveryFailed;

    // ---- Storage hooks: where a mailbox on disk follows the model. Called
    // after every File (before any item-added event, so the item is stored
    // by the time a module sees it) and after every Remove that took an item
    // out of a folder, with the folder it was in.
    std::function<void(const std::shared_ptr<HostFolder>&,
                       const std::shared_ptr<client::ItemObject>&)>
        onFiled;
    std::function<void(const std::shared_ptr<HostFolder>&,
                       const std::shared_ptr<client::ItemObject>&)>
        onRemoved;
    // After Save of an item that stays in its folder (a draft saved again).
    std::function<void(const std::shared_ptr<HostFolder>&,
                       const std::shared_ptr<client::ItemObject>&)>
        onSaved;

private:
    MailModel() = default;

    static QString NewId();
    // The made id for key when there is a maker and the id is free; else a
    // random one.
    QString MadeId(const QString& key) const;
    static QString KeyOf(const std::shared_ptr<HostFolder>& folder);
    void TakeFolderId(const QString& entryId, const std::shared_ptr<HostFolder>& folder);
    HostItemBase& OwnItem(const std::shared_ptr<client::ItemObject>& item) const;
    bool OwnFolder(const std::shared_ptr<HostFolder>& folder) const;
    std::shared_ptr<HostFolder> StoreRootFor(const QString& storeId) const;
    void RaiseItemAdded(const std::shared_ptr<HostFolder>& folder,
                        const std::shared_ptr<client::ItemObject>& item);
    // The last step of a send: the message leaves its folder, marked sent,
    // and the copy is filed in Sent Items.
    void FileSentCopy(const std::shared_ptr<HostMailItem>& item,
                      const std::shared_ptr<HostMailItem>& copy);
    void DeliveryDone(const std::shared_ptr<HostMailItem>& item,
                      const std::shared_ptr<HostMailItem>& copy, const QString& failure);
    QString NewMessageId(const std::shared_ptr<HostMailItem>& item) const;

    std::vector<std::shared_ptr<HostFolder>> m_stores;
    QHash<QString, std::weak_ptr<HostFolder>> m_folders;             // by entry id
    QHash<QString, std::weak_ptr<client::ItemObject>> m_filedItems;  // by entry id
    QHash<qint32, std::shared_ptr<HostFolder>> m_defaultFolders;
    MailDirectory m_directory;
    QString m_userAddress = kDefaultUserAddress;
    std::vector<std::shared_ptr<HostExplorer>> m_explorers;  // last = active
    std::vector<std::shared_ptr<HostInspector>> m_inspectors;
    std::weak_ptr<HostApplication> m_application;
    FolderIdMaker m_folderIds;
    std::shared_ptr<MailTransport> m_transport;
    std::vector<std::weak_ptr<HostMailItem>> m_delivering;
};

}  // namespace host
