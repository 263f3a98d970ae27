#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "addin/contracts/MailClient.h"

namespace host {

class MailModel;

// A folder of a store. Its contents and sub-folders change only through the
// model (MailModel::AddFolder, File, Deliver, Remove, ...), which keeps entry
// ids unique and raises the item-added event.
class HostFolder : public client::MAPIFolder, public std::enable_shared_from_this<HostFolder> {
public:
    HostFolder(QString entryId, QString storeId, QString name, qint32 defaultItemType,
               std::weak_ptr<HostFolder> parentFolder);

    QString EntryID() const override { return m_entryId; }
    QString StoreID() const override { return m_storeId; }
    QString Name() const override { return m_name; }
    // A live view: it follows items filed and removed after it was taken.
    std::shared_ptr<client::Items> Items() override;
    qint32 DefaultItemType() const override { return m_defaultItemType; }

    // The folder holding this one; no object for a store's root folder.
    std::shared_ptr<HostFolder> ParentFolder() const { return m_parentFolder.lock(); }
    const std::vector<std::shared_ptr<HostFolder>>& Folders() const { return m_folders; }
    // The sub-folder with exactly that name; no object when there is none.
    std::shared_ptr<HostFolder> Folder(const QString& name) const;
    // The items, in the order they were filed.
    const std::vector<std::shared_ptr<client::ItemObject>>& Contents() const { return m_items; }

private:
    friend class MailModel;
    QString m_entryId;
    QString m_storeId;
    QString m_name;
    qint32 m_defaultItemType;
    std::weak_ptr<HostFolder> m_parentFolder;
    std::vector<std::shared_ptr<HostFolder>> m_folders;
    std::vector<std::shared_ptr<client::ItemObject>> m_items;
};

// The items of one folder, positions from 1.
class HostItemsView : public client::Items {
public:
    explicit HostItemsView(std::shared_ptr<HostFolder> folder) : m_folder(std::move(folder)) {}
    qint32 Count() const override;
    // "Subscript out of range" outside 1 to Count.
    platform::ObjectRef Item(qint32 index) override;

private:
    std::shared_ptr<HostFolder> m_folder;
};

}  // namespace host
