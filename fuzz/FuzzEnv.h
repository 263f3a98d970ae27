#pragma once

// What every fuzz target runs on: a fixed clock, United States English
// dates, a data folder of its own, and an engine global object and trace log
// that discard what they are given (a report or trace kept per input would
// grow without bound over a long run).

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <memory>

#include "addin/contracts/HostEngine.h"
#include "bench/BenchSeams.h"
#include "platform/Env.h"

namespace fuzzing {

class DiscardingGlobal : public engine::IEngineGlobal {
public:
    explicit DiscardingGlobal(QString folder) : m_folder(std::move(folder)) {}
    void ReportError(const QString&, qint32, const QString&) override {}
    QString DataFolder(qint32) override { return m_folder; }
    QString GetString(const engine::StringTable& table, const QString& key) override {
        return table.texts.value(key);
    }
    void LoadStringTable(engine::StringTable&, const QString&) override {}
    QString SettingsApplicationName() override { return QStringLiteral("ChasewellFuzz"); }

private:
    QString m_folder;
};

// Made once per process, on first use.
struct FuzzEnv {
    static FuzzEnv& Get() {
        static FuzzEnv* env = new FuzzEnv;
        return *env;
    }

    QString DataFile() const { return QDir(folder.path()).filePath("ChasewellData.txt"); }

    bench::FixedClock clock{platform::MakeDateTime(QDate(2024, 1, 31), QTime(9, 15, 20))};
    bench::NoSettings settings;
    platform::LocaleDates dates{QLocale(QLocale::English, QLocale::UnitedStates)};
    platform::ObjectRegistry objects;
    platform::LocalDataFiles files;
    platform::Env env;
    // In memory where the machine has it: every input is saved and synced.
    QTemporaryDir folder{QDir("/dev/shm").exists()
                             ? QStringLiteral("/dev/shm/chasewell-fuzz-XXXXXX")
                             : QDir::tempPath() + "/chasewell-fuzz-XXXXXX"};
    std::shared_ptr<DiscardingGlobal> global;

private:
    FuzzEnv() {
        static int argc = 1;
        static char name[] = "fuzz";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
        env.clock = &clock;
        env.settings = &settings;
        env.dates = &dates;
        env.objects = &objects;
        env.files = &files;
        platform::Env::Install(&env);
        global = std::make_shared<DiscardingGlobal>(folder.path() + '/');
        objects.Register(engine::kGlobalProgId, [this] { return global; });
        objects.Register(engine::kTraceLogProgId,
                         [] { return std::make_shared<bench::DiscardingTraceLog>(); });
    }
};

// The input as text, the way each reader meets it.
inline QString Utf8(const uint8_t* data, size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

}  // namespace fuzzing
