#pragma once

#include <QString>

namespace platform {

// The per-user settings store: text values addressed by application name,
// section and key. Section and key are compared without regard to letter
// case. Every read goes to the store afresh, so a value written by another
// component (the options page) is seen at the next read; every write is
// atomic.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The stored text, or defaultValue when the key is missing.
    virtual QString GetSetting(const QString& appName, const QString& section, const QString& key,
                               const QString& defaultValue) = 0;
    // Creates or replaces the value. Throws RuntimeError when the store cannot
    // be written.
    virtual void SaveSetting(const QString& appName, const QString& section, const QString& key,
                             const QString& value) = 0;
    // Where the settings of appName are kept, in words a user can follow to
    // them (a file's path), for messages about a value stored there.
    virtual QString Location(const QString& appName) const = 0;
};

}  // namespace platform
