#pragma once

// What the benchmarks run on: a whole platform over a temporary data folder.

#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <memory>

#include "addin/contracts/HostEngine.h"
#include "bench/BenchSeams.h"
#include "host/engine/EngineLog.h"
#include "host/engine/HxGlobal.h"
#include "platform/Env.h"

namespace bench {

// Real files, United States dates, default settings, and the engine's global
// object over a temporary data folder, with trace lines discarded (so the
// figures are the code's own, not those of the engine's log). The clock is
// the system's unless `now` is given. Seams a benchmark does not name (the
// window timers, message boxes and the like) are left out.
struct BenchEnv {
    explicit BenchEnv(const QDateTime& now = {}) : fixedClock(now) {
        env.clock = now.isValid() ? static_cast<platform::Clock*>(&fixedClock) : &systemClock;
        env.dates = &dates;
        env.objects = &objects;
        env.files = &files;
        env.settings = &settings;
        platform::Env::Install(&env);
        global = std::make_shared<host::HxGlobal>(log, folder.path());
        objects.Register(engine::kGlobalProgId, [this] { return global; });
        objects.Register(engine::kTraceLogProgId,
                         [] { return std::make_shared<DiscardingTraceLog>(); });
    }
    ~BenchEnv() { platform::Env::Install(nullptr); }
    BenchEnv(const BenchEnv&) = delete;
    BenchEnv& operator=(const BenchEnv&) = delete;

    QString DataFile() const { return QDir(folder.path()).filePath("ChasewellData.txt"); }

    platform::SystemClock systemClock;
    FixedClock fixedClock;
    platform::LocaleDates dates{QLocale(QLocale::English, QLocale::UnitedStates)};
    platform::ObjectRegistry objects;
    platform::LocalDataFiles files;
    NoSettings settings;
    platform::Env env;
    QTemporaryDir folder;
    host::EngineLog log;
    std::shared_ptr<host::HxGlobal> global;
};

}  // namespace bench
