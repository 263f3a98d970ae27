#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "addin/contracts/HostEngine.h"
#include "addin/contracts/MailClient.h"

namespace host {

// The status the engine gives for a module call that failed (threw): the
// mail client's general failure code.
inline constexpr qint32 kFailedCallStatus = static_cast<qint32>(0x80004005u);

enum class CommandKind { ExplorerButton, InspectorButton, InspectorMenuItem };

// The command-bar control made for a command. Enabled starts true.
class HostCommandButton : public client::CommandBarButton {
public:
    bool Enabled() const override { return m_enabled; }
    // Records the state; calls onEnabledChanged when it changed.
    void setEnabled(bool enabled) override;

    // Where the program follows the state (its toolbar action).
    std::function<void(bool)> onEnabledChanged;

private:
    bool m_enabled = true;
};

// One command a module added, with everything it passed.
struct CommandRecord {
    CommandKind kind = CommandKind::ExplorerButton;
    // The module that added it (clicks go back to it).
    engine::IModuleAPI* module = nullptr;
    // The explorer or inspector it was added to.
    platform::ObjectRef window;
    qint32 id = 0;
    qint32 faceId = 0;
    QString longText;
    QString shortText;
    // Menu items only.
    QString menuCaption;
    // Buttons only.
    bool flag = false;
    QString registryName;
    // Menu items only.
    QString extra;
    std::shared_ptr<HostCommandButton> button;
    // Its window was closed: it can no longer be clicked or found.
    bool closed = false;
};

struct SubscriptionRecord {
    engine::IModuleAPI* module = nullptr;
    qint32 selector = 0;
    QString folderEntryId;
    QString folderStoreId;
    bool operator==(const SubscriptionRecord&) const = default;
};

// A module call that threw: the engine keeps running and the caller gets
// kFailedCallStatus.
struct FailedCall {
    engine::IModuleAPI* module = nullptr;
    QString member;  // "HxExplorerOpen", ...
    QString description;
};

// The engine: hands the mail client's application object to its modules,
// records the commands and subscriptions they make, and forwards the mail
// client's events to them. The Driving members are what the mail client
// calls; each calls the started modules in the order they were started.
//
// Events reach a module once, however often it subscribed (every explorer
// repeats the subscriptions). Module calls that throw are recorded
// (FailedCalls) and never reach the caller. A module is called after its
// HxShutdown only by a further Shutdown.
class HxEngine : public engine::IEngine, public std::enable_shared_from_this<HxEngine> {
public:
    // Must be owned by a shared_ptr (StartModule hands the engine out).
    explicit HxEngine(std::shared_ptr<client::Application> application);

    // ---- engine::IEngine, for the modules. Adding a command to no window
    // records nothing and returns kFailedCallStatus; otherwise 0.
    std::shared_ptr<client::Application> OutlookApplication() override { return m_application; }
    qint32 AddInspectorButton(engine::IModuleAPI& module, qint32 id, qint32 faceId,
                              const QString& longText, bool flag,
                              const std::shared_ptr<client::Inspector>& inspector,
                              const QString& registryName, const QString& shortText) override;
    qint32 AddInspectorMenuItem(engine::IModuleAPI& module, qint32 id, qint32 faceId,
                                const QString& longText, const QString& menuCaption,
                                const std::shared_ptr<client::Inspector>& inspector,
                                const QString& registryName, const QString& shortText,
                                const QString& extra) override;
    qint32 AddExplorerButton(engine::IModuleAPI& module, qint32 id, qint32 faceId,
                             const QString& longText, bool flag,
                             const std::shared_ptr<client::Explorer>& explorer,
                             const QString& registryName, const QString& shortText) override;
    // The control with that long text on the active explorer (the one opened
    // or activated last and still open), the last one made on it when it has
    // several; else the last one made with that long text on any open
    // window; else no object.
    std::shared_ptr<client::CommandBarButton> FindButton(const QString& longText) override;
    qint32 SubscribeItemEvents(engine::IModuleAPI& module, qint32 eventSelector,
                               const QString& folderEntryId, const QString& folderStoreId) override;

    // ---- Driving.
    // Adds the module and calls its HxStartup with this engine; returns the
    // status.
    qint32 StartModule(std::shared_ptr<engine::IModuleAPI> module);
    // HxExplorerOpen; the explorer becomes the active one.
    void OpenExplorer(const std::shared_ptr<client::Explorer>& explorer);
    // HxExplorerActivate; the explorer becomes the active one.
    void ActivateExplorer(const std::shared_ptr<client::Explorer>& explorer);
    // HxExplorerClose; the explorer's commands are closed.
    void CloseExplorer(const std::shared_ptr<client::Explorer>& explorer);
    void OpenInspector(const std::shared_ptr<client::Inspector>& inspector);
    // HxInspectorClose; the inspector's commands are closed.
    void CloseInspector(const std::shared_ptr<client::Inspector>& inspector);
    // A click on the button with that id on that window: HxButtonAction to
    // the module that added it; its status. No value when the window has no
    // such button, or it is disabled or closed (nothing is called).
    std::optional<qint32> ClickButton(const platform::ObjectRef& window, qint32 id);
    // The same for a menu item (HxMenuAction).
    std::optional<qint32> ClickMenuItem(const platform::ObjectRef& window, qint32 id);
    // An item was added to the folder with these ids: selector 1 to each
    // module subscribed to exactly that folder (both ids equal), with the ids.
    void ItemAdded(const QString& folderEntryId, const QString& folderStoreId,
                   const platform::ObjectRef& item);
    // A message is being sent: selector 4 to each module subscribed to it
    // (whatever ids it gave), all sharing one Cancel (starting false).
    // Returns Cancel.
    bool ItemSend(const platform::ObjectRef& item);
    // An explorer's current folder changed: selector 5, Item = the explorer.
    void FolderSwitched(const std::shared_ptr<client::Explorer>& explorer);
    // HxShutdown to every module; the first status that is not 0, else 0.
    // The modules stay (a second Shutdown calls them again) but get no
    // further events or clicks.
    qint32 Shutdown();

    // ---- Records.
    const std::vector<CommandRecord>& Commands() const { return m_commands; }
    // The commands added to that window, in order.
    std::vector<CommandRecord> CommandsOn(const platform::ObjectRef& window) const;
    const std::vector<SubscriptionRecord>& Subscriptions() const { return m_subscriptions; }
    const std::vector<std::shared_ptr<engine::IModuleAPI>>& Modules() const { return m_modules; }
    const std::vector<FailedCall>& FailedCalls() const { return m_failedCalls; }
    // The explorer opened or activated last and still open; no object when none.
    std::shared_ptr<client::Explorer> ActiveExplorer() const;

    // Called after each command is recorded (the program draws it).
    std::function<void(const CommandRecord&)> onCommandAdded;
    // Called after each failed module call is recorded (the program shows it).
    std::function<void(const FailedCall&)> onFailedCall;

private:
    qint32 Record(CommandRecord record);
    // Runs a call on a module; a throw becomes a FailedCall and kFailedCallStatus.
    template <class Call>
    qint32 CallModule(engine::IModuleAPI& module, const char* member, Call&& call);
    // The running modules (started, not shut down), as a snapshot: modules
    // may subscribe or add commands while they are being called.
    std::vector<std::shared_ptr<engine::IModuleAPI>> RunningModules() const;
    // The module's first subscription the event matches; none: not subscribed.
    const SubscriptionRecord* FindSubscription(engine::IModuleAPI* module, qint32 selector,
                                               const QString& entryId,
                                               const QString& storeId) const;
    void DispatchItemEvent(qint32 selector, const platform::ObjectRef& item, bool& cancel,
                           const QString& entryId, const QString& storeId);
    std::optional<qint32> Click(const platform::ObjectRef& window, qint32 id, bool menu);
    void CloseWindow(const platform::ObjectRef& window);

    std::shared_ptr<client::Application> m_application;
    std::vector<std::shared_ptr<engine::IModuleAPI>> m_modules;
    std::vector<engine::IModuleAPI*> m_stopped;
    std::vector<CommandRecord> m_commands;
    std::vector<SubscriptionRecord> m_subscriptions;
    std::vector<FailedCall> m_failedCalls;
    std::vector<std::shared_ptr<client::Explorer>> m_explorers;  // last = active
};

}  // namespace host
