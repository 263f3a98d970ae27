#pragma once

#include <memory>
#include <vector>

#include "addin/contracts/MailClient.h"
#include "host/mail/HostFolder.h"

namespace host {

class MailModel;

// The items selected in an explorer, as they were when it was asked for.
class HostSelection : public client::Selection {
public:
    explicit HostSelection(std::vector<platform::ObjectRef> items) : m_items(std::move(items)) {}
    qint32 Count() const override { return static_cast<qint32>(m_items.size()); }
    // "Subscript out of range" outside 1 to Count.
    platform::ObjectRef Item(qint32 index) override;

private:
    std::vector<platform::ObjectRef> m_items;
};

// A main window showing one folder (or none) and a selection in it. Made by
// MailModel::OpenExplorer.
class HostExplorer : public client::Explorer, public std::enable_shared_from_this<HostExplorer> {
public:
    HostExplorer(std::weak_ptr<MailModel> model, std::shared_ptr<HostFolder> folder);

    std::shared_ptr<client::MAPIFolder> CurrentFolder() override { return m_folder; }
    // A snapshot: later changes of the selection do not show in it.
    std::shared_ptr<client::Selection> Selection() override;

    std::shared_ptr<HostFolder> Folder() const { return m_folder; }
    // Shows another folder (or none), clears the selection and raises the
    // model's folder-switch event, as a user switching folders does.
    void setCurrentFolder(std::shared_ptr<HostFolder> folder);
    void setSelection(std::vector<platform::ObjectRef> items) { m_selection = std::move(items); }
    const std::vector<platform::ObjectRef>& SelectedItems() const { return m_selection; }

private:
    std::weak_ptr<MailModel> m_model;
    std::shared_ptr<HostFolder> m_folder;
    std::vector<platform::ObjectRef> m_selection;
};

// A window showing one item. Made by MailModel::OpenInspector.
class HostInspector : public client::Inspector {
public:
    explicit HostInspector(platform::ObjectRef item) : m_item(std::move(item)) {}
    platform::ObjectRef CurrentItem() override { return m_item; }

private:
    platform::ObjectRef m_item;
};

}  // namespace host
