#include "host/mail/HostApplication.h"

#include "host/mail/MailModel.h"
#include "platform/RuntimeError.h"

namespace host {

std::shared_ptr<client::MAPIFolder> HostNameSpace::GetDefaultFolder(qint32 folderType) {
    auto folder = m_model->DefaultFolder(folderType);
    if (!folder)
        throw MailModel::NotFoundError();
    return folder;
}

platform::ObjectRef HostNameSpace::GetItemFromID(const QString& entryId, const QString& storeId) {
    return m_model->FindItem(entryId, storeId);
}

std::shared_ptr<client::NameSpace> HostApplication::GetNamespace(const QString& type) {
    if (type.compare(QLatin1String("MAPI"), Qt::CaseInsensitive) != 0)
        throw platform::RuntimeError::InvalidProcedureCall();
    if (!m_namespace)
        m_namespace = std::make_shared<HostNameSpace>(m_model);
    return m_namespace;
}

std::shared_ptr<client::Explorer> HostApplication::ActiveExplorer() {
    return m_model->ActiveExplorer();
}

platform::ObjectRef HostApplication::CreateItem(qint32 itemType) {
    return m_model->CreateItem(itemType);
}

}  // namespace host
