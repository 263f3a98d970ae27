#include "host/mail/HostWindows.h"

#include "host/mail/MailModel.h"
#include "platform/RuntimeError.h"

namespace host {

platform::ObjectRef HostSelection::Item(qint32 index) {
    if (index < 1 || index > Count())
        throw platform::RuntimeError::SubscriptOutOfRange();
    return m_items[static_cast<size_t>(index - 1)];
}

HostExplorer::HostExplorer(std::weak_ptr<MailModel> model, std::shared_ptr<HostFolder> folder)
    : m_model(std::move(model)), m_folder(std::move(folder)) {}

std::shared_ptr<client::Selection> HostExplorer::Selection() {
    return std::make_shared<HostSelection>(m_selection);
}

void HostExplorer::setCurrentFolder(std::shared_ptr<HostFolder> folder) {
    m_folder = std::move(folder);
    // A selection belongs to the folder it was made in.
    m_selection.clear();
    if (auto model = m_model.lock())
        model->RaiseFolderSwitch(shared_from_this());
}

}  // namespace host
