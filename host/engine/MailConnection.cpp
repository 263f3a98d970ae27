#include "host/engine/MailConnection.h"

namespace host {

void ConnectEngine(MailModel& model, const std::shared_ptr<HxEngine>& engine) {
    std::weak_ptr<HxEngine> weak = engine;
    model.onExplorerOpen = [weak](const std::shared_ptr<HostExplorer>& explorer) {
        if (auto e = weak.lock())
            e->OpenExplorer(explorer);
    };
    model.onExplorerActivate = [weak](const std::shared_ptr<HostExplorer>& explorer) {
        if (auto e = weak.lock())
            e->ActivateExplorer(explorer);
    };
    model.onExplorerClose = [weak](const std::shared_ptr<HostExplorer>& explorer) {
        if (auto e = weak.lock())
            e->CloseExplorer(explorer);
    };
    model.onFolderSwitch = [weak](const std::shared_ptr<HostExplorer>& explorer) {
        if (auto e = weak.lock())
            e->FolderSwitched(explorer);
    };
    model.onInspectorOpen = [weak](const std::shared_ptr<HostInspector>& inspector) {
        if (auto e = weak.lock())
            e->OpenInspector(inspector);
    };
    model.onInspectorClose = [weak](const std::shared_ptr<HostInspector>& inspector) {
        if (auto e = weak.lock())
            e->CloseInspector(inspector);
    };
    model.onItemAdded = [weak](const std::shared_ptr<HostFolder>& folder,
                               const platform::ObjectRef& item) {
        if (auto e = weak.lock())
            e->ItemAdded(folder->EntryID(), folder->StoreID(), item);
    };
    model.onItemSend = [weak](const std::shared_ptr<HostMailItem>& item) {
        auto e = weak.lock();
        return e ? e->ItemSend(item) : false;
    };
}

void DisconnectEngine(MailModel& model) {
    model.onExplorerOpen = nullptr;
    model.onExplorerActivate = nullptr;
    model.onExplorerClose = nullptr;
    model.onFolderSwitch = nullptr;
    model.onInspectorOpen = nullptr;
    model.onInspectorClose = nullptr;
    model.onItemAdded = nullptr;
    model.onItemSend = nullptr;
}

}  // namespace host
