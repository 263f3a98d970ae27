#pragma once

#include <QString>

#include "platform/SettingsStore.h"

namespace platform {

// One INI file per application name, "<folder>/<application name>.ini". The
// file is read afresh on every GetSetting and rewritten through a temporary
// file and a rename on every SaveSetting, keeping every other line; the file
// is readable and writable by its owner only. Values may hold any text: a
// backslash, a carriage return and a line feed are written as \\, \r and \n.
// Section and key names are taken without surrounding blanks. SaveSetting
// fails with "Invalid procedure call or argument" for names the file cannot
// hold faithfully (empty; a line break; a key with '=' or starting with '[';
// an application name that is not a plain file name), and refuses to replace
// an existing file it cannot read.
class IniSettingsStore : public SettingsStore {
public:
    // folder: where the files live; empty means the user's configuration
    // folder ($XDG_CONFIG_HOME, or ~/.config).
    explicit IniSettingsStore(QString folder = QString());

    QString GetSetting(const QString& appName, const QString& section, const QString& key,
                       const QString& defaultValue) override;
    void SaveSetting(const QString& appName, const QString& section, const QString& key,
                     const QString& value) override;

    QString FilePath(const QString& appName) const;

private:
    QString m_folder;
};

}  // namespace platform
