#pragma once

#include <QString>

#include "platform/IniSettingsStore.h"

namespace host::app {

// The name of the program's own settings file ("ChasewellMail.ini"), apart
// from the add-in's: what the mail client remembers belongs to the program,
// not to the add-in, whose settings the options page owns.
inline const QString kProgramSettingsName = QStringLiteral("ChasewellMail");

// The program's own settings, read afresh on every access and written
// through a temporary file (platform::IniSettingsStore).
class ProgramSettings {
public:
    // folder: where the file lives; empty means the user's configuration
    // folder ($XDG_CONFIG_HOME, or ~/.config).
    explicit ProgramSettings(QString folder = QString()) : m_store(std::move(folder)) {}

    // The sendmail command messages are delivered through (see
    // SendmailTransport); empty when none was given.
    QString SendmailCommand();
    // Remembers it (empty forgets it). Throws platform::RuntimeError when
    // the file cannot be written.
    void setSendmailCommand(const QString& command);

    QString FilePath() const { return m_store.FilePath(kProgramSettingsName); }

private:
    platform::IniSettingsStore m_store;
};

}  // namespace host::app
