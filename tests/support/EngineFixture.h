#pragma once

// A test fixture with the fake platform, the substitute engine's global
// object and trace log registered, a data folder of its own, and recording
// windows. Tests of the add-in's modules derive from it.

#include <gtest/gtest.h>

#include <memory>

#include "host/engine/EngineLog.h"
#include "host/engine/HxGlobal.h"
#include "host/engine/Registration.h"
#include "schedule/Globals.h"
#include "schedule/RemindTimer.h"
#include "tests/support/FakeEnv.h"
#include "tests/support/RecordingWindows.h"

namespace testing_support {

class EngineFixture : public ::testing::Test {
protected:
    EngineFixture() {
        host::RegisterEngineClasses(env.objects, global, log);
        RemindTimer::AlarmTimerId = 0;
        RemindTimer::NextReminderTime.clear();
    }
    ~EngineFixture() override {
        // Module-wide values must not leak into the next test.
        Globals::m_ReminderItems.reset();
        Globals::m_Engine.reset();
        RemindTimer::AlarmTimerId = 0;
        RemindTimer::NextReminderTime.clear();
    }

    QString Setting(const QString& section, const QString& key) const {
        return env.settings.Value(host::kSettingsApplicationName, section, key)
            .value_or("<missing>");
    }
    void SetSetting(const QString& key, const QString& value) {
        env.settings.SaveSetting(host::kSettingsApplicationName, Globals::kSection, key, value);
    }
    QString DataFile() const { return folder.File("ChasewellData.txt"); }

    TestEnv env;
    TempFolder folder;
    host::EngineLog log;
    std::shared_ptr<host::HxGlobal> global = std::make_shared<host::HxGlobal>(log, folder.Path());
    RecordingWindows windows;
};

}  // namespace testing_support
