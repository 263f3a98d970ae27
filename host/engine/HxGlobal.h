#pragma once

#include <QString>

#include "addin/contracts/HostEngine.h"
#include "host/engine/EngineLog.h"

namespace host {

// The settings application name both deliverables store their settings
// under.
inline const QString kSettingsApplicationName = QStringLiteral("TandrelSoftware");

// The engine's log file, in the data folder.
inline const QString kLogFileName = QStringLiteral("Chasewell.log");

// The engine's global object: error reports into the log, the data folder,
// the settings application name and the English string tables.
class HxGlobal : public engine::IEngineGlobal {
public:
    HxGlobal(EngineLog& log, QString dataFolder);

    void ReportError(const QString& message, qint32 flag, const QString& source) override;
    QString DataFolder(qint32 which) override;
    QString GetString(const engine::StringTable& table, const QString& key) override;
    void LoadStringTable(engine::StringTable& table, const QString& moduleName) override;
    QString SettingsApplicationName() override { return kSettingsApplicationName; }

    // The log file in this data folder; the program hands it to the log
    // (EngineLog::SetFile).
    QString LogFilePath() const { return m_dataFolder + kLogFileName; }

    // The default data folder: $XDG_DATA_HOME/Chasewell/ (normally
    // ~/.local/share/Chasewell/), ending in a separator.
    static QString DefaultDataFolder();

    // The data folder of the add-in for a mailbox: the data folder itself
    // for the program's own mailbox (maildir empty), so the reminders made
    // there stay where they always were; for an existing Maildir tree a
    // folder of its own, "Mailboxes/<name>-<hash>/" under the data folder.
    // The name is the tree's folder name reduced to letters, digits, '.', '_'
    // and '-'; the hash (16 hex digits of SHA-256) is of the tree's path with
    // links resolved, so every spelling of one tree gives one folder and two
    // trees of the same name get two. Ends in a separator.
    static QString MailboxDataFolder(const QString& dataFolder, const QString& maildir);

private:
    EngineLog& m_log;
    QString m_dataFolder;
};

// The trace log: each WriteLine becomes one trace line of the log.
class HxTraceLog : public engine::ITraceLog {
public:
    explicit HxTraceLog(EngineLog& log) : m_log(log) {}
    void WriteLine(QString& moduleName, QString& procedureName, QString& message,
                   qint32& level) override;

private:
    EngineLog& m_log;
};

}  // namespace host
