#pragma once

#include <memory>

#include "addin/contracts/MailClient.h"

namespace host {

class MailModel;

// The "MAPI" namespace over the model.
class HostNameSpace : public client::NameSpace {
public:
    explicit HostNameSpace(std::shared_ptr<MailModel> model) : m_model(std::move(model)) {}

    // "The operation failed.  An object could not be found." for a folder
    // type the model has no default folder of.
    std::shared_ptr<client::MAPIFolder> GetDefaultFolder(qint32 folderType) override;
    // See MailModel::FindItem.
    platform::ObjectRef GetItemFromID(const QString& entryId, const QString& storeId) override;

private:
    std::shared_ptr<MailModel> m_model;
};

// The mail client's application object: what the engine hands out as
// OutlookApplication. It keeps the model alive.
class HostApplication : public client::Application {
public:
    explicit HostApplication(std::shared_ptr<MailModel> model) : m_model(std::move(model)) {}

    // "MAPI" in any letter case; any other type fails with "Invalid procedure
    // call or argument".
    std::shared_ptr<client::NameSpace> GetNamespace(const QString& type) override;
    // The explorer opened or activated last; no object when none is open.
    std::shared_ptr<client::Explorer> ActiveExplorer() override;
    // A new unsaved item of that kind (see MailModel::CreateItem).
    platform::ObjectRef CreateItem(qint32 itemType) override;

    const std::shared_ptr<MailModel>& Model() const { return m_model; }

private:
    std::shared_ptr<MailModel> m_model;
    std::shared_ptr<HostNameSpace> m_namespace;
};

}  // namespace host
