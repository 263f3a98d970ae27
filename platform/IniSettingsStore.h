#pragma once

#include <QString>

#include "platform/SettingsStore.h"

namespace platform {

// One INI file per application name, "<folder>/<application name>.ini". The
// file is read afresh on every GetSetting and rewritten through a temporary
// file and a rename on every SaveSetting. Values may hold any text: a
// backslash, a carriage return and a line feed are written as \\, \r and \n.
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
