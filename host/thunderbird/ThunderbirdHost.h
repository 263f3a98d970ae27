#pragma once

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "host/engine/EngineLog.h"
#include "host/engine/HxEngine.h"
#include "host/engine/HxGlobal.h"
#include "host/thunderbird/ExtensionLink.h"
#include "host/thunderbird/TbObjects.h"
#include "host/thunderbird/TbWindowEffects.h"
#include "platform/Env.h"

namespace host {
class DataFolderLock;
class SettingsDialog;
}  // namespace host

namespace host::thunderbird {

// Where the host finds its data and the add-in.
struct HostPaths {
    // The data folder (reminders, log), ending in a separator: the
    // program's own, so that both meet on the same reminders.
    QString dataFolder;
    QString modulePath;
    QString pageLibrary;
};

// The engine for the add-in hosted in Thunderbird: it turns what the
// extension says into the engine's events and the add-in's commands, answers
// the add-in's calls into the mail client's object model from what the
// extension sent or by asking it, and shows the add-in's windows.
//
// The add-in starts when the extension says hello (the connection stands for
// Thunderbird's main window, the explorer the add-in opens on); the reply
// says whether it did, and why not (the versions differ, the add-in could
// not be loaded). Events before that are ignored. When Thunderbird closes the
// connection, onFinished is called; the caller leaves its event loop and
// calls Stop, which handles what Thunderbird said last, shuts the add-in down
// (it saves its reminders) and closes every window.
//
// For as long as it lives the host installs its window effects in the
// platform (see TbWindowEffects), over the ones in force when it was made.
class ThunderbirdHost {
public:
    ThunderbirdHost(ExtensionLink& link, const Protocol& protocol, HostPaths paths);
    ~ThunderbirdHost();
    ThunderbirdHost(const ThunderbirdHost&) = delete;
    ThunderbirdHost& operator=(const ThunderbirdHost&) = delete;

    std::function<void()> onFinished;
    void Stop();

    bool Started() const { return m_engine != nullptr; }
    EngineLog& Log() { return m_log; }
    const std::shared_ptr<HxEngine>& Engine() const { return m_engine; }
    const std::shared_ptr<TbApplication>& Application() const { return m_application; }
    // The inspector of compose window tabId; no object when none is open.
    std::shared_ptr<TbInspector> Inspector(qint64 tabId) const;
    // The settings dialog while it is open.
    SettingsDialog* Settings() const;

private:
    void Hello(const QJsonObject& message, const ExtensionLink::Request& request);
    void FolderSwitch(const QJsonObject& message);
    void Command(const QJsonObject& message);
    void ComposeOpen(const QJsonObject& message);
    void ComposeClose(const QJsonObject& message);
    void ItemSend(const QJsonObject& message, const ExtensionLink::Request& request);
    void SentCopy(const QJsonObject& message);
    void NewMail(const QJsonObject& message);

    // Starts the add-in; false with why (and the problem's kind) when it
    // could not.
    bool StartAddin(const QJsonObject& hello, QString& problem, QString& why);
    // The send shortcut in the compose window whose command is being run.
    bool SendShortcut();
    void ShowSettings();
    // The inspector of tabId, opened (with its commands) when the extension
    // has not said so yet.
    std::shared_ptr<TbInspector> InspectorFor(qint64 tabId);
    // A line of the host's own in the log (and on standard error, which
    // Thunderbird shows in its error console).
    void Trace(const QString& line);
    // Tells the user in Thunderbird.
    void Notice(const QString& text);
    // An error report of the add-in, told in Thunderbird with those that
    // come with it.
    void ReportInThunderbird(const ErrorReportRecord& report);
    // An event that needs the add-in while it is not running.
    bool Running(const QString& kind);

    ExtensionLink& m_link;
    const Protocol& m_protocol;
    HostPaths m_paths;
    TbContext m_context;
    EngineLog m_log;
    TbWindowEffects m_windows;
    platform::Env m_env;
    platform::ScopedEnv m_envScope;
    // The user's date forms, and those of the data file when they differ.
    platform::LocaleDates* m_userDates;
    std::optional<platform::LocaleDates> m_fileDates;
    std::unique_ptr<DataFolderLock> m_lock;
    std::shared_ptr<HxGlobal> m_global;
    std::shared_ptr<TbApplication> m_application;
    std::shared_ptr<HxEngine> m_engine;
    std::map<qint64, std::shared_ptr<TbInspector>> m_inspectors;
    QPointer<SettingsDialog> m_settings;
    // The compose window a send-with-reminder command is running for, and
    // the one being sent while the host waits for its send to start.
    std::optional<qint64> m_sendTarget;
    std::optional<qint64> m_sending;
    bool m_sendStarted = false;
    bool m_stopped = false;
    // Error reports gathered for one notice, and calls queued to run after
    // the event loop's current work (dropped with the host).
    int m_reportsToTell = 0;
    QString m_firstReport;
    QObject m_queue;
};

}  // namespace host::thunderbird
