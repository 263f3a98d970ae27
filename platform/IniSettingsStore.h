#pragma once

#include <QString>

#include "platform/SettingsStore.h"

namespace platform {

class DataFiles;

// One INI file per application name, "<folder>/<application name>.ini". The
// file is read afresh on every GetSetting (a file that cannot be read gives
// the default) and replaced through the file layer (DataFiles) on every
// SaveSetting, keeping every other line; the file is readable and writable by
// its owner only. Before it writes, SaveSetting removes the temporary files
// an interrupted write left beside the file. Its failures name the file:
// "Could not read <path>: <reason>" when the existing file cannot be read
// (it is then left as it is), "Could not create <folder>: <reason>" when the
// folder cannot be made, and the file layer's own for the write. Values may hold any text: a
// backslash, a carriage return and a line feed are written as \\, \r and \n.
// Section and key names are taken without surrounding blanks. SaveSetting
// fails with "Invalid procedure call or argument" for names the file cannot
// hold faithfully (empty; a line break; a key with '=' or starting with '[';
// an application name that is not a plain file name), and refuses to replace
// an existing file it cannot read.
class IniSettingsStore : public SettingsStore {
public:
    // folder: where the files live; empty means the user's configuration
    // folder ($XDG_CONFIG_HOME, or ~/.config). files: the file layer (not
    // owned); nullptr means the real file system.
    explicit IniSettingsStore(QString folder = QString(), DataFiles* files = nullptr);

    QString GetSetting(const QString& appName, const QString& section, const QString& key,
                       const QString& defaultValue) override;
    void SaveSetting(const QString& appName, const QString& section, const QString& key,
                     const QString& value) override;

    // The file's path: "<folder>/<application name>.ini", one separator
    // between them however the folder was given.
    QString FilePath(const QString& appName) const;
    QString Location(const QString& appName) const override;

private:
    QString m_folder;
    DataFiles& m_files;
};

}  // namespace platform
