#include "host/mail/HostFolder.h"

#include "platform/RuntimeError.h"

namespace host {

HostFolder::HostFolder(QString entryId, QString storeId, QString name, qint32 defaultItemType,
                       std::weak_ptr<HostFolder> parentFolder)
    : m_entryId(std::move(entryId)),
      m_storeId(std::move(storeId)),
      m_name(std::move(name)),
      m_defaultItemType(defaultItemType),
      m_parentFolder(std::move(parentFolder)) {}

std::shared_ptr<client::Items> HostFolder::Items() {
    return std::make_shared<HostItemsView>(shared_from_this());
}

std::shared_ptr<HostFolder> HostFolder::Folder(const QString& name) const {
    for (const auto& folder : m_folders)
        if (folder->m_name == name)
            return folder;
    return nullptr;
}

qint32 HostItemsView::Count() const {
    return static_cast<qint32>(m_folder->Contents().size());
}

platform::ObjectRef HostItemsView::Item(qint32 index) {
    if (index < 1 || index > Count())
        throw platform::RuntimeError::SubscriptOutOfRange();
    return m_folder->Contents()[static_cast<size_t>(index - 1)];
}

}  // namespace host
