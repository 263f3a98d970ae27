#pragma once

// The host engine: the interface a module implements (IModuleAPI), the
// engine object handed to HxStartup, the engine's process-wide global object
// and its trace log. The global object and the trace log are created by
// ProgID, like the engine's other creatable classes.

#include <QHash>
#include <QString>
#include <memory>

#include "addin/contracts/MailClient.h"
#include "platform/ComObject.h"

namespace engine {

inline const QString kGlobalProgId = QStringLiteral("TandrelInterfaceEngine.HxGlobal");
inline const QString kTraceLogProgId = QStringLiteral("TandrelInterfaceEngine.HxTraceLog");

// Event selectors of HxItemEvent and SubscribeItemEvents.
enum ItemEventSelector { kItemAdded = 1, kItemSend = 4, kFolderSwitch = 5 };

class IEngine;

// What a module implements; members in the interface's slot order. Methods
// return a Long status (0 from this add-in in every case).
class IModuleAPI {
public:
    virtual ~IModuleAPI() = default;

    virtual QString RegistryName() = 0;
    virtual QString FriendlyName() = 0;
    virtual QString Key() = 0;
    virtual qint32 HxStartup(const std::shared_ptr<IEngine>& engine) = 0;
    virtual qint32 HxShutdown() = 0;
    virtual QString HxSendMessage(QString& theMessage) = 0;
    virtual qint32 HxExplorerOpen(std::shared_ptr<client::Explorer> explorer) = 0;
    virtual qint32 HxExplorerClose(std::shared_ptr<client::Explorer> explorer) = 0;
    virtual qint32 HxExplorerActivate(std::shared_ptr<client::Explorer> explorer) = 0;
    virtual qint32 HxExplorerDeactivate(std::shared_ptr<client::Explorer> explorer) = 0;
    virtual qint32 HxInspectorOpen(std::shared_ptr<client::Inspector> inspector) = 0;
    virtual qint32 HxInspectorClose(std::shared_ptr<client::Inspector> inspector) = 0;
    virtual qint32 HxInspectorActivate(std::shared_ptr<client::Inspector> inspector) = 0;
    virtual qint32 HxInspectorDeactivate(std::shared_ptr<client::Inspector> inspector) = 0;
    virtual qint32 HxButtonAction(qint32& buttonId, bool& CancelDefault) = 0;
    virtual qint32 HxMenuAction(qint32& menuId, bool& CancelDefault) = 0;
    virtual qint32 HxHotkeyAction(qint32& lp) = 0;
    virtual qint32 HxItemEvent(qint32& eventSelector, platform::ObjectRef& Item, bool& Cancel,
                               QString& folderEntryId, QString& folderStoreId) = 0;
    virtual QString User() = 0;
    virtual QString Version() = 0;
};

// The engine object, operations in their interface order. Results other than
// the named ones are status values the module ignores.
class IEngine : public platform::ComObject {
public:
    QString TypeName() const override { return "HxEngine"; }

    virtual std::shared_ptr<client::Application> OutlookApplication() = 0;
    virtual qint32 AddInspectorButton(IModuleAPI& module, qint32 id, qint32 faceId,
                                      const QString& longText, bool flag,
                                      const std::shared_ptr<client::Inspector>& inspector,
                                      const QString& registryName, const QString& shortText) = 0;
    virtual qint32 AddInspectorMenuItem(IModuleAPI& module, qint32 id, qint32 faceId,
                                        const QString& longText, const QString& menuCaption,
                                        const std::shared_ptr<client::Inspector>& inspector,
                                        const QString& registryName, const QString& shortText,
                                        const QString& extra) = 0;
    virtual qint32 AddExplorerButton(IModuleAPI& module, qint32 id, qint32 faceId,
                                     const QString& longText, bool flag,
                                     const std::shared_ptr<client::Explorer>& explorer,
                                     const QString& registryName, const QString& shortText) = 0;
    // The button made with that long text, or no object.
    virtual std::shared_ptr<client::CommandBarButton> FindButton(const QString& longText) = 0;
    virtual qint32 SubscribeItemEvents(IModuleAPI& module, qint32 eventSelector,
                                       const QString& folderEntryId,
                                       const QString& folderStoreId) = 0;
};

// A string table of the engine: texts by key.
struct StringTable {
    QHash<QString, QString> texts;
};

// The engine's global object, one per process, shared by both deliverables.
class IEngineGlobal : public platform::ComObject {
public:
    QString TypeName() const override { return "HxGlobal"; }

    // Records or shows an error report; never fails back.
    virtual void ReportError(const QString& message, qint32 flag, const QString& source) = 0;
    // The data file's folder, ending in a path separator; the argument is 0.
    virtual QString DataFolder(qint32 which) = 0;
    virtual QString GetString(const StringTable& table, const QString& key) = 0;
    virtual void LoadStringTable(StringTable& table, const QString& moduleName) = 0;
    virtual QString SettingsApplicationName() = 0;
};

// The trace log; one is created per trace line.
class ITraceLog : public platform::ComObject {
public:
    QString TypeName() const override { return "HxTraceLog"; }
    virtual void WriteLine(QString& moduleName, QString& procedureName, QString& message,
                           qint32& level) = 0;
};

// The global object, created by ProgID on first use (the registered factory
// hands out the one instance). Throws like any creation by ProgID.
std::shared_ptr<IEngineGlobal> Global();

}  // namespace engine
