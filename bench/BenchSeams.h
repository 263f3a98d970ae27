#pragma once

// Seams that keep nothing, for the benchmarks and the fuzz targets: a trace
// log that discards its lines, settings that are always their defaults, and a
// clock that stands still.

#include <QDateTime>

#include "addin/contracts/HostEngine.h"
#include "platform/Env.h"

namespace bench {

class DiscardingTraceLog : public engine::ITraceLog {
public:
    void WriteLine(QString&, QString&, QString&, qint32&) override {}
};

class FixedClock : public platform::Clock {
public:
    explicit FixedClock(QDateTime now) : m_now(std::move(now)) {}
    QDateTime Now() const override { return m_now; }

private:
    QDateTime m_now;
};

class NoSettings : public platform::SettingsStore {
public:
    QString GetSetting(const QString&, const QString&, const QString&,
                       const QString& defaultValue) override {
        return defaultValue;
    }
    void SaveSetting(const QString&, const QString&, const QString&, const QString&) override {}
    QString Location(const QString& appName) const override { return appName; }
};

// Default settings, with automatic removal on.
class RemovalOn : public NoSettings {
public:
    QString GetSetting(const QString&, const QString&, const QString& key,
                       const QString& defaultValue) override {
        return key.compare(QLatin1String("Remove"), Qt::CaseInsensitive) == 0
                   ? QStringLiteral("True")
                   : defaultValue;
    }
};

}  // namespace bench
