#include "host/mail/MailModel.h"

#include <QRegularExpression>
#include <QUuid>
#include <algorithm>
#include <stdexcept>

#include "platform/Env.h"

namespace host {

using platform::RuntimeError;

namespace {

// The mail client's own failure codes (reports show only the descriptions).
constexpr int kNotFoundNumber = static_cast<int>(0x8004010Fu);
constexpr int kFailedNumber = static_cast<int>(0x80004005u);

template <class T>
void Erase(std::vector<std::shared_ptr<T>>& list, const std::shared_ptr<T>& value) {
    list.erase(std::remove(list.begin(), list.end(), value), list.end());
}

}  // namespace

std::shared_ptr<MailModel> MailModel::CreateEmpty(FolderIdMaker folderIds) {
    auto model = std::shared_ptr<MailModel>(new MailModel());
    model->m_folderIds = std::move(folderIds);
    return model;
}

std::shared_ptr<MailModel> MailModel::Create(FolderIdMaker folderIds) {
    auto model = CreateEmpty(std::move(folderIds));
    auto root = model->AddStore(kRootFolderName);
    struct Layout {
        const char* name;
        qint32 folderType;
        qint32 itemType;
    };
    const Layout layout[] = {
        {"Deleted Items", client::olFolderDeletedItems, client::olMailItem},
        {"Inbox", client::olFolderInbox, client::olMailItem},
        {"Outbox", client::olFolderOutbox, client::olMailItem},
        {"Sent Items", client::olFolderSentMail, client::olMailItem},
        {"Drafts", kFolderDrafts, client::olMailItem},
        {"Calendar", client::olFolderCalendar, client::olAppointmentItem},
        {"Contacts", client::olFolderContacts, client::olContactItem},
    };
    for (const auto& folder : layout)
        model->SetDefaultFolder(
            folder.folderType,
            model->AddFolder(root, QString::fromUtf8(folder.name), folder.itemType));
    return model;
}

RuntimeError MailModel::NotFoundError() {
    return RuntimeError(kNotFoundNumber,
                        QStringLiteral("The operation failed.  An object could not be found."));
}

std::shared_ptr<HostApplication> MailModel::Application() {
    auto application = m_application.lock();
    if (!application) {
        application = std::make_shared<HostApplication>(shared_from_this());
        m_application = application;
    }
    return application;
}

// Ids look like the mail client's: long upper-case hexadecimal text. They
// are random, so an id kept from an earlier run never names a different
// message of this one.
QString MailModel::NewId() {
    return QStringLiteral("00000000") + QUuid::createUuid().toString(QUuid::Id128).toUpper() +
           QUuid::createUuid().toString(QUuid::Id128).left(8).toUpper();
}

QString MailModel::MadeId(const QString& key) const {
    if (m_folderIds) {
        const QString id = m_folderIds(key);
        if (!id.isEmpty() && !FindFolder(id) && !StoreRootFor(id))
            return id;
    }
    return NewId();
}

QString MailModel::KeyOf(const std::shared_ptr<HostFolder>& folder) {
    const auto parent = folder->ParentFolder();
    return parent ? KeyOf(parent) + '/' + folder->Name() : folder->Name();
}

void MailModel::TakeFolderId(const QString& entryId, const std::shared_ptr<HostFolder>& folder) {
    m_folders.insert(entryId, folder);
}

std::shared_ptr<HostFolder> MailModel::AddStore(const QString& rootName, const QString& storeId) {
    const QString id = storeId.isEmpty() ? MadeId("store/" + rootName) : storeId;
    if (StoreRootFor(id))
        throw std::invalid_argument("A store with that id exists already");
    auto root = std::make_shared<HostFolder>(MadeId(rootName), id, rootName, client::olMailItem,
                                             std::weak_ptr<HostFolder>());
    m_stores.push_back(root);
    TakeFolderId(root->EntryID(), root);
    return root;
}

std::shared_ptr<HostFolder> MailModel::AddFolder(const std::shared_ptr<HostFolder>& parent,
                                                 const QString& name, qint32 defaultItemType,
                                                 const QString& entryId) {
    if (!OwnFolder(parent))
        throw std::invalid_argument("The parent folder is not of this model");
    const QString id = entryId.isEmpty() ? MadeId(KeyOf(parent) + '/' + name) : entryId;
    if (FindFolder(id) || StoreRootFor(id))
        throw std::invalid_argument("A folder with that entry id exists already");
    auto folder =
        std::make_shared<HostFolder>(id, parent->StoreID(), name, defaultItemType, parent);
    parent->m_folders.push_back(folder);
    TakeFolderId(id, folder);
    return folder;
}

void MailModel::SetDefaultFolder(qint32 folderType, std::shared_ptr<HostFolder> folder) {
    if (!OwnFolder(folder))
        throw std::invalid_argument("The folder is not of this model");
    m_defaultFolders.insert(folderType, std::move(folder));
}

std::shared_ptr<HostFolder> MailModel::DefaultFolder(qint32 folderType) const {
    return m_defaultFolders.value(folderType);
}

std::shared_ptr<HostFolder> MailModel::FindFolder(const QString& entryId) const {
    return m_folders.value(entryId).lock();
}

bool MailModel::OwnFolder(const std::shared_ptr<HostFolder>& folder) const {
    return folder && FindFolder(folder->EntryID()) == folder;
}

std::shared_ptr<HostFolder> MailModel::StoreRootFor(const QString& storeId) const {
    for (const auto& root : m_stores)
        if (root->StoreID() == storeId)
            return root;
    return nullptr;
}

std::shared_ptr<HostMailItem> MailModel::NewMailItem() {
    return std::make_shared<HostMailItem>(weak_from_this());
}

std::shared_ptr<HostItem> MailModel::NewItem(ItemKind kind) {
    return std::make_shared<HostItem>(kind, weak_from_this());
}

platform::ObjectRef MailModel::CreateItem(qint32 itemType) {
    switch (itemType) {
        case client::olMailItem:
            return NewMailItem();
        case client::olAppointmentItem:
            return NewItem(ItemKind::Appointment);
        case client::olContactItem:
            return NewItem(ItemKind::Contact);
        case client::olTaskItem:
            return NewItem(ItemKind::Task);
        default:
            throw RuntimeError::InvalidProcedureCall();
    }
}

HostItemBase& MailModel::OwnItem(const std::shared_ptr<client::ItemObject>& item) const {
    auto* state = dynamic_cast<HostItemBase*>(item.get());
    if (!state || state->Model().get() != this)
        throw std::invalid_argument("The item is not an item of this model");
    return *state;
}

void MailModel::File(const std::shared_ptr<HostFolder>& folder,
                     const std::shared_ptr<client::ItemObject>& item, const QString& entryId) {
    HostItemBase& state = OwnItem(item);
    if (!OwnFolder(folder))
        throw std::invalid_argument("The folder is not of this model");
    if (state.Folder())
        throw std::invalid_argument("The item is in a folder already");
    QString id = state.m_entryId;
    if (id.isEmpty())
        id = entryId.isEmpty() ? NewId() : entryId;
    if (auto holder = m_filedItems.value(id).lock(); holder && holder != item)
        throw std::invalid_argument("Another item has that entry id");
    state.m_entryId = id;
    state.m_folder = folder;
    folder->m_items.push_back(item);
    m_filedItems.insert(id, item);
    if (onFiled)
        onFiled(folder, item);
}

void MailModel::Deliver(const std::shared_ptr<HostFolder>& folder,
                        const std::shared_ptr<client::ItemObject>& item, const QString& entryId) {
    // The send time is set first, so that a mailbox on disk stores it; an
    // item that cannot be filed (it is in a folder already) is left alone.
    if (auto* mail = dynamic_cast<HostMailItem*>(item.get());
        mail && !mail->SentOn().isValid() && !mail->Folder())
        mail->setSentOn(platform::Now());
    File(folder, item, entryId);
    RaiseItemAdded(folder, item);
}

bool MailModel::Remove(const std::shared_ptr<client::ItemObject>& item) {
    HostItemBase& state = OwnItem(item);
    auto folder = state.Folder();
    if (!folder)
        return false;
    Erase(folder->m_items, item);
    state.m_folder.reset();
    m_filedItems.remove(state.m_entryId);
    if (onRemoved)
        onRemoved(folder, item);
    return true;
}

void MailModel::Save(const std::shared_ptr<client::ItemObject>& item) {
    HostItemBase& state = OwnItem(item);
    if (auto folder = state.Folder()) {
        if (onSaved)
            onSaved(folder, item);
        return;
    }
    auto drafts = DefaultFolder(kFolderDrafts);
    if (!drafts)
        throw NotFoundError();
    File(drafts, item);
    RaiseItemAdded(drafts, item);
}

bool MailModel::IsBeingDelivered(const std::shared_ptr<HostMailItem>& item) const {
    for (const auto& delivering : m_delivering)
        if (delivering.lock() == item)
            return true;
    return false;
}

// Message-IDs name the sender's domain, as mail programs write them, so that
// replies can be threaded to the message.
QString MailModel::NewMessageId(const std::shared_ptr<HostMailItem>& item) const {
    const QString address = item->Sender() ? item->Sender()->Address() : m_userAddress;
    static const QRegularExpression plainDomain(QStringLiteral("^[A-Za-z0-9.-]+$"));
    QString domain = address.section('@', -1).trimmed();
    if (!address.contains('@') || !plainDomain.match(domain).hasMatch())
        domain = QStringLiteral("chasewell.localhost");
    return QUuid::createUuid().toString(QUuid::Id128) + '@' + domain;
}

std::shared_ptr<HostMailItem> MailModel::Send(const std::shared_ptr<HostMailItem>& item) {
    if (!item)
        throw RuntimeError::ObjectNotSet();
    OwnItem(item);
    if (item->SentOn().isValid())
        throw RuntimeError(kFailedNumber, QStringLiteral("The message has already been sent."));
    if (IsBeingDelivered(item))
        throw RuntimeError(kFailedNumber, QStringLiteral("The message is being sent already."));
    if (item->RecipientList()->Count() == 0)
        throw RuntimeError(kFailedNumber,
                           QStringLiteral("The message cannot be sent: it has no recipients."));
    auto sentItems = DefaultFolder(client::olFolderSentMail);
    auto outbox = DefaultFolder(client::olFolderOutbox);
    if (!sentItems || (m_transport && !outbox))
        throw NotFoundError();

    const bool cancel = onItemSend ? onItemSend(item) : false;
    if (cancel)
        return nullptr;

    if (!item->Sender())
        item->setSender(HostAddressEntry::ForAddress(m_userAddress));
    // A message sent again keeps its Message-ID, so that a recipient who
    // got it from an attempt that only seemed to fail sees the same message.
    if (item->MessageId().isEmpty())
        item->setMessageId(NewMessageId(item));
    auto copy = item->Copy();
    copy->setSentOn(platform::Now());
    if (!m_transport) {
        FileSentCopy(item, copy);
        return copy;
    }

    // The Outbox holds the message until it is delivered: a failure leaves
    // it there, unsent, for the user to send again, and a restart finds it.
    if (item->Folder() != outbox) {
        Remove(item);
        File(outbox, item);
        RaiseItemAdded(outbox, item);
    }
    m_delivering.push_back(item);
    std::weak_ptr<MailModel> self = weak_from_this();
    auto transport = m_transport;
    transport->Deliver(copy, [self, item, copy](const QString& failure) {
        if (auto model = self.lock())
            model->DeliveryDone(item, copy, failure);
    });
    return copy;
}

void MailModel::FileSentCopy(const std::shared_ptr<HostMailItem>& item,
                             const std::shared_ptr<HostMailItem>& copy) {
    item->setSentOn(copy->SentOn());
    Remove(item);
    File(DefaultFolder(client::olFolderSentMail), copy);
    RaiseItemAdded(DefaultFolder(client::olFolderSentMail), copy);
}

void MailModel::DeliveryDone(const std::shared_ptr<HostMailItem>& item,
                             const std::shared_ptr<HostMailItem>& copy, const QString& failure) {
    std::erase_if(m_delivering, [&](const std::weak_ptr<HostMailItem>& delivering) {
        auto held = delivering.lock();
        return !held || held == item;
    });
    if (!failure.isEmpty()) {
        if (onDeliveryFailed)
            onDeliveryFailed(item, failure);
        return;
    }
    // Sent Items may have gone meanwhile only in a model being taken apart.
    if (!DefaultFolder(client::olFolderSentMail))
        return;
    FileSentCopy(item, copy);
    if (onDelivered)
        onDelivered(copy);
}

platform::ObjectRef MailModel::FindItem(const QString& entryId, const QString& storeId) const {
    std::shared_ptr<HostFolder> store;
    if (storeId.isEmpty()) {
        if (!m_stores.empty())
            store = m_stores.front();
    } else if (!(store = StoreRootFor(storeId))) {
        if (auto folder = FindFolder(storeId))
            store = StoreRootFor(folder->StoreID());
    }
    if (!store || entryId.isEmpty())
        throw NotFoundError();
    auto item = m_filedItems.value(entryId).lock();
    if (!item)
        throw NotFoundError();
    auto folder = dynamic_cast<HostItemBase&>(*item).Folder();
    if (!folder || folder->StoreID() != store->StoreID())
        throw NotFoundError();
    return item;
}

void MailModel::RaiseItemAdded(const std::shared_ptr<HostFolder>& folder,
                               const std::shared_ptr<client::ItemObject>& item) {
    if (onItemAdded)
        onItemAdded(folder, item);
}

std::shared_ptr<HostExplorer> MailModel::OpenExplorer(std::shared_ptr<HostFolder> folder) {
    auto explorer = std::make_shared<HostExplorer>(weak_from_this(), std::move(folder));
    m_explorers.push_back(explorer);
    if (onExplorerOpen)
        onExplorerOpen(explorer);
    return explorer;
}

void MailModel::ActivateExplorer(const std::shared_ptr<HostExplorer>& explorer) {
    Erase(m_explorers, explorer);
    m_explorers.push_back(explorer);
    if (onExplorerActivate)
        onExplorerActivate(explorer);
}

void MailModel::CloseExplorer(const std::shared_ptr<HostExplorer>& explorer) {
    Erase(m_explorers, explorer);
    if (onExplorerClose)
        onExplorerClose(explorer);
}

std::shared_ptr<HostExplorer> MailModel::ActiveExplorer() const {
    return m_explorers.empty() ? nullptr : m_explorers.back();
}

std::shared_ptr<HostInspector> MailModel::OpenInspector(platform::ObjectRef item) {
    auto inspector = std::make_shared<HostInspector>(std::move(item));
    m_inspectors.push_back(inspector);
    if (onInspectorOpen)
        onInspectorOpen(inspector);
    return inspector;
}

void MailModel::CloseInspector(const std::shared_ptr<HostInspector>& inspector) {
    Erase(m_inspectors, inspector);
    if (onInspectorClose)
        onInspectorClose(inspector);
}

void MailModel::RaiseFolderSwitch(const std::shared_ptr<HostExplorer>& explorer) {
    if (onFolderSwitch)
        onFolderSwitch(explorer);
}

}  // namespace host
