#pragma once

// A module for driving the engine in tests: it records every call it gets,
// and does what a test asks of it when explorers and inspectors open.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "addin/contracts/HostEngine.h"

namespace testing_support {

class RecordingModule : public engine::IModuleAPI {
public:
    struct ItemEvent {
        qint32 selector;
        platform::ObjectRef item;
        bool cancelSeen;
        QString folderEntryId;
        QString folderStoreId;
    };

    // One line per call: the member's name, and for clicks and item events
    // the id or selector ("HxButtonAction 4", "HxItemEvent 1").
    QStringList calls;
    std::vector<ItemEvent> itemEvents;
    // The engine it was started by. Held weakly: the engine holds its
    // modules, and a test that never shuts it down must not leak both.
    struct EngineRef {
        std::weak_ptr<engine::IEngine> held;
        engine::IEngine* get() const { return held.lock().get(); }
        engine::IEngine* operator->() const { return get(); }
        void reset() { held.reset(); }
        EngineRef& operator=(const std::shared_ptr<engine::IEngine>& e) {
            held = e;
            return *this;
        }
    } engine;

    // What the module does when a window opens.
    std::function<void(RecordingModule&, const std::shared_ptr<client::Explorer>&)> onExplorerOpen;
    std::function<void(RecordingModule&, const std::shared_ptr<client::Inspector>&)>
        onInspectorOpen;
    // Runs during each item event, before Cancel is answered.
    std::function<void(RecordingModule&, const ItemEvent&)> onItemEvent;
    // Set Cancel to this on a send event (when set).
    std::optional<bool> answerCancel;
    // Throw this description from clicks and item events (when set).
    std::optional<QString> failWith;

    QString RegistryName() override { return "Recording"; }
    QString FriendlyName() override { return "Recording"; }
    QString Key() override { return QString(); }
    qint32 HxStartup(const std::shared_ptr<engine::IEngine>& e) override {
        calls << "HxStartup";
        engine = e;
        return 0;
    }
    qint32 HxShutdown() override {
        calls << "HxShutdown";
        engine.reset();
        return 0;
    }
    QString HxSendMessage(QString&) override { return "noerror"; }
    qint32 HxExplorerOpen(std::shared_ptr<client::Explorer> explorer) override {
        calls << "HxExplorerOpen";
        if (onExplorerOpen)
            onExplorerOpen(*this, explorer);
        return 0;
    }
    qint32 HxExplorerClose(std::shared_ptr<client::Explorer>) override {
        calls << "HxExplorerClose";
        return 0;
    }
    qint32 HxExplorerActivate(std::shared_ptr<client::Explorer>) override {
        calls << "HxExplorerActivate";
        return 0;
    }
    qint32 HxExplorerDeactivate(std::shared_ptr<client::Explorer>) override {
        calls << "HxExplorerDeactivate";
        return 0;
    }
    qint32 HxInspectorOpen(std::shared_ptr<client::Inspector> inspector) override {
        calls << "HxInspectorOpen";
        if (onInspectorOpen)
            onInspectorOpen(*this, inspector);
        return 0;
    }
    qint32 HxInspectorClose(std::shared_ptr<client::Inspector>) override {
        calls << "HxInspectorClose";
        return 0;
    }
    qint32 HxInspectorActivate(std::shared_ptr<client::Inspector>) override {
        calls << "HxInspectorActivate";
        return 0;
    }
    qint32 HxInspectorDeactivate(std::shared_ptr<client::Inspector>) override {
        calls << "HxInspectorDeactivate";
        return 0;
    }
    qint32 HxButtonAction(qint32& buttonId, bool&) override {
        calls << QString("HxButtonAction %1").arg(buttonId);
        Fail();
        return 0;
    }
    qint32 HxMenuAction(qint32& menuId, bool&) override {
        calls << QString("HxMenuAction %1").arg(menuId);
        Fail();
        return 0;
    }
    qint32 HxHotkeyAction(qint32&) override { return 0; }
    qint32 HxItemEvent(qint32& eventSelector, platform::ObjectRef& Item, bool& Cancel,
                       QString& folderEntryId, QString& folderStoreId) override {
        calls << QString("HxItemEvent %1").arg(eventSelector);
        itemEvents.push_back(ItemEvent{eventSelector, Item, Cancel, folderEntryId, folderStoreId});
        if (onItemEvent)
            onItemEvent(*this, itemEvents.back());
        if (eventSelector == engine::kItemSend && answerCancel)
            Cancel = *answerCancel;
        Fail();
        return 0;
    }
    QString User() override { return QString(); }
    QString Version() override { return "1.0.0"; }

    // Subscribes as a module watching two folders does on every explorer:
    // folder switches, item-added of each folder, sends.
    static std::function<void(RecordingModule&, const std::shared_ptr<client::Explorer>&)>
    Subscribing(std::shared_ptr<client::MAPIFolder> first,
                std::shared_ptr<client::MAPIFolder> second) {
        return [first, second](RecordingModule& self, const std::shared_ptr<client::Explorer>&) {
            self.engine->SubscribeItemEvents(self, engine::kFolderSwitch, "", "");
            self.engine->SubscribeItemEvents(self, engine::kItemAdded, first->EntryID(),
                                             first->StoreID());
            self.engine->SubscribeItemEvents(self, engine::kItemAdded, second->EntryID(),
                                             second->StoreID());
            self.engine->SubscribeItemEvents(self, engine::kItemSend, "", "");
        };
    }

private:
    void Fail() {
        if (failWith)
            throw platform::RuntimeError(13, *failWith);
    }
};

}  // namespace testing_support
