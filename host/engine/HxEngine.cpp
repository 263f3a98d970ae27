#include "host/engine/HxEngine.h"

#include <algorithm>

#include "platform/RuntimeError.h"

namespace host {

namespace {

bool SameObject(const platform::ObjectRef& a, const platform::ObjectRef& b) {
    return a.get() == b.get();
}

}  // namespace

void HostCommandButton::setEnabled(bool enabled) {
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (onEnabledChanged)
        onEnabledChanged(enabled);
}

HxEngine::HxEngine(std::shared_ptr<client::Application> application)
    : m_application(std::move(application)) {}

template <class Call>
qint32 HxEngine::CallModule(engine::IModuleAPI& module, const char* member, Call&& call) {
    try {
        return call();
    } catch (...) {
        m_failedCalls.push_back(
            FailedCall{&module, QString::fromLatin1(member), platform::CurrentErrorDescription()});
        if (onFailedCall)
            onFailedCall(m_failedCalls.back());
        return kFailedCallStatus;
    }
}

qint32 HxEngine::Record(CommandRecord record) {
    if (!record.window)
        return kFailedCallStatus;
    record.button = std::make_shared<HostCommandButton>();
    m_commands.push_back(std::move(record));
    if (onCommandAdded)
        onCommandAdded(m_commands.back());
    return 0;
}

namespace {

// What every kind of command records.
CommandRecord NewCommand(CommandKind kind, engine::IModuleAPI& module, platform::ObjectRef window,
                         qint32 id, qint32 faceId, const QString& longText,
                         const QString& shortText, const QString& registryName) {
    CommandRecord record;
    record.kind = kind;
    record.module = &module;
    record.window = std::move(window);
    record.id = id;
    record.faceId = faceId;
    record.longText = longText;
    record.shortText = shortText;
    record.registryName = registryName;
    return record;
}

}  // namespace

qint32 HxEngine::AddInspectorButton(engine::IModuleAPI& module, qint32 id, qint32 faceId,
                                    const QString& longText, bool flag,
                                    const std::shared_ptr<client::Inspector>& inspector,
                                    const QString& registryName, const QString& shortText) {
    CommandRecord record = NewCommand(CommandKind::InspectorButton, module, inspector, id, faceId,
                                      longText, shortText, registryName);
    record.flag = flag;
    return Record(std::move(record));
}

qint32 HxEngine::AddInspectorMenuItem(engine::IModuleAPI& module, qint32 id, qint32 faceId,
                                      const QString& longText, const QString& menuCaption,
                                      const std::shared_ptr<client::Inspector>& inspector,
                                      const QString& registryName, const QString& shortText,
                                      const QString& extra) {
    CommandRecord record = NewCommand(CommandKind::InspectorMenuItem, module, inspector, id, faceId,
                                      longText, shortText, registryName);
    record.menuCaption = menuCaption;
    record.extra = extra;
    return Record(std::move(record));
}

qint32 HxEngine::AddExplorerButton(engine::IModuleAPI& module, qint32 id, qint32 faceId,
                                   const QString& longText, bool flag,
                                   const std::shared_ptr<client::Explorer>& explorer,
                                   const QString& registryName, const QString& shortText) {
    CommandRecord record = NewCommand(CommandKind::ExplorerButton, module, explorer, id, faceId,
                                      longText, shortText, registryName);
    record.flag = flag;
    return Record(std::move(record));
}

std::shared_ptr<client::CommandBarButton> HxEngine::FindButton(const QString& longText) {
    const platform::ObjectRef active = ActiveExplorer();
    const CommandRecord* anyWindow = nullptr;
    for (auto it = m_commands.rbegin(); it != m_commands.rend(); ++it) {
        if (it->closed || it->longText != longText)
            continue;
        if (active && SameObject(it->window, active))
            return it->button;
        if (!anyWindow)
            anyWindow = &*it;
    }
    return anyWindow ? anyWindow->button : nullptr;
}

qint32 HxEngine::SubscribeItemEvents(engine::IModuleAPI& module, qint32 eventSelector,
                                     const QString& folderEntryId, const QString& folderStoreId) {
    m_subscriptions.push_back(
        SubscriptionRecord{&module, eventSelector, folderEntryId, folderStoreId});
    return 0;
}

qint32 HxEngine::StartModule(std::shared_ptr<engine::IModuleAPI> module) {
    if (std::find(m_modules.begin(), m_modules.end(), module) == m_modules.end())
        m_modules.push_back(module);
    std::erase(m_stopped, module.get());
    std::shared_ptr<engine::IEngine> self = shared_from_this();
    return CallModule(*module, "HxStartup", [&] { return module->HxStartup(self); });
}

std::vector<std::shared_ptr<engine::IModuleAPI>> HxEngine::RunningModules() const {
    std::vector<std::shared_ptr<engine::IModuleAPI>> running;
    for (const auto& module : m_modules)
        if (std::find(m_stopped.begin(), m_stopped.end(), module.get()) == m_stopped.end())
            running.push_back(module);
    return running;
}

void HxEngine::OpenExplorer(const std::shared_ptr<client::Explorer>& explorer) {
    std::erase(m_explorers, explorer);
    m_explorers.push_back(explorer);
    for (const auto& module : RunningModules())
        CallModule(*module, "HxExplorerOpen", [&] { return module->HxExplorerOpen(explorer); });
}

void HxEngine::ActivateExplorer(const std::shared_ptr<client::Explorer>& explorer) {
    std::erase(m_explorers, explorer);
    m_explorers.push_back(explorer);
    for (const auto& module : RunningModules())
        CallModule(*module, "HxExplorerActivate",
                   [&] { return module->HxExplorerActivate(explorer); });
}

void HxEngine::CloseExplorer(const std::shared_ptr<client::Explorer>& explorer) {
    std::erase(m_explorers, explorer);
    CloseWindow(explorer);
    for (const auto& module : RunningModules())
        CallModule(*module, "HxExplorerClose", [&] { return module->HxExplorerClose(explorer); });
}

void HxEngine::OpenInspector(const std::shared_ptr<client::Inspector>& inspector) {
    for (const auto& module : RunningModules())
        CallModule(*module, "HxInspectorOpen", [&] { return module->HxInspectorOpen(inspector); });
}

void HxEngine::CloseInspector(const std::shared_ptr<client::Inspector>& inspector) {
    CloseWindow(inspector);
    for (const auto& module : RunningModules())
        CallModule(*module, "HxInspectorClose",
                   [&] { return module->HxInspectorClose(inspector); });
}

void HxEngine::CloseWindow(const platform::ObjectRef& window) {
    for (auto& command : m_commands)
        if (SameObject(command.window, window))
            command.closed = true;
}

std::shared_ptr<client::Explorer> HxEngine::ActiveExplorer() const {
    return m_explorers.empty() ? nullptr : m_explorers.back();
}

std::optional<qint32> HxEngine::Click(const platform::ObjectRef& window, qint32 id, bool menu) {
    // The last command made with that id on that window answers the click.
    auto command = std::find_if(m_commands.rbegin(), m_commands.rend(), [&](const auto& c) {
        return (c.kind == CommandKind::InspectorMenuItem) == menu && c.id == id && !c.closed &&
               SameObject(c.window, window);
    });
    if (command == m_commands.rend() || !command->button->Enabled())
        return std::nullopt;
    std::shared_ptr<engine::IModuleAPI> target;
    for (const auto& module : RunningModules())
        if (module.get() == command->module)
            target = module;
    if (!target)
        return std::nullopt;
    qint32 commandId = id;
    bool cancelDefault = false;
    if (menu)
        return CallModule(*target, "HxMenuAction",
                          [&] { return target->HxMenuAction(commandId, cancelDefault); });
    return CallModule(*target, "HxButtonAction",
                      [&] { return target->HxButtonAction(commandId, cancelDefault); });
}

std::optional<qint32> HxEngine::ClickButton(const platform::ObjectRef& window, qint32 id) {
    return Click(window, id, false);
}

std::optional<qint32> HxEngine::ClickMenuItem(const platform::ObjectRef& window, qint32 id) {
    return Click(window, id, true);
}

const SubscriptionRecord* HxEngine::FindSubscription(engine::IModuleAPI* module, qint32 selector,
                                                     const QString& entryId,
                                                     const QString& storeId) const {
    // Only item-added events name a folder; the others match on the selector.
    const bool namesFolder = selector == engine::kItemAdded;
    for (const auto& s : m_subscriptions)
        if (s.module == module && s.selector == selector &&
            (!namesFolder || (s.folderEntryId == entryId && s.folderStoreId == storeId)))
            return &s;
    return nullptr;
}

// Once per module, whatever the number of matching subscriptions, with the ids
// as the module subscribed them. Each module gets its own copies of the
// arguments, except Cancel, which the modules share as they would share the
// mail client's.
void HxEngine::DispatchItemEvent(qint32 selector, const platform::ObjectRef& item, bool& cancel,
                                 const QString& entryId, const QString& storeId) {
    for (const auto& module : RunningModules()) {
        const SubscriptionRecord* subscription =
            FindSubscription(module.get(), selector, entryId, storeId);
        if (!subscription)
            continue;
        qint32 eventSelector = selector;
        platform::ObjectRef eventItem = item;
        QString folderEntryId = subscription->folderEntryId;
        QString folderStoreId = subscription->folderStoreId;
        CallModule(*module, "HxItemEvent", [&] {
            return module->HxItemEvent(eventSelector, eventItem, cancel, folderEntryId,
                                       folderStoreId);
        });
    }
}

void HxEngine::ItemAdded(const QString& folderEntryId, const QString& folderStoreId,
                         const platform::ObjectRef& item) {
    bool cancel = false;
    DispatchItemEvent(engine::kItemAdded, item, cancel, folderEntryId, folderStoreId);
}

bool HxEngine::ItemSend(const platform::ObjectRef& item) {
    bool cancel = false;
    DispatchItemEvent(engine::kItemSend, item, cancel, QString(), QString());
    return cancel;
}

void HxEngine::FolderSwitched(const std::shared_ptr<client::Explorer>& explorer) {
    bool cancel = false;
    DispatchItemEvent(engine::kFolderSwitch, explorer, cancel, QString(), QString());
}

qint32 HxEngine::Shutdown() {
    qint32 result = 0;
    for (const auto& module : std::vector(m_modules)) {
        const qint32 status =
            CallModule(*module, "HxShutdown", [&] { return module->HxShutdown(); });
        if (result == 0)
            result = status;
        if (std::find(m_stopped.begin(), m_stopped.end(), module.get()) == m_stopped.end())
            m_stopped.push_back(module.get());
    }
    return result;
}

std::vector<CommandRecord> HxEngine::CommandsOn(const platform::ObjectRef& window) const {
    std::vector<CommandRecord> on;
    for (const auto& command : m_commands)
        if (SameObject(command.window, window))
            on.push_back(command);
    return on;
}

}  // namespace host
