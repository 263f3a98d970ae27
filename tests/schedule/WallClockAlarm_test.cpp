// The alarm comes at the wall-clock minute it is due, whatever the machine
// and its clock did meanwhile: a night of sleep, a clock set by hand, the
// spring daylight-saving step, a reminder weeks away.

#include <gtest/gtest.h>

#include "schedule/RemindTimer.h"
#include "schedule/WindowSeams.h"
#include "store/CReminderItem.h"
#include "store/CReminderItems.h"
#include "tests/support/EngineFixture.h"

namespace {

using platform::MakeDateTime;
using testing_support::EngineFixture;

QDateTime At(int month, int day, int hour, int minute, int second = 0) {
    return MakeDateTime(QDate(2024, month, day), QTime(hour, minute, second));
}

// Alarm windows that note the moment each came up ("ShowNew" or
// "ShowShared" at the clock's time).
struct TimedRemind : RemindWindows {
    void ShowNew(const std::shared_ptr<engine::IEngine>&,
                 const std::shared_ptr<CReminderItem>&) override {
        shown.push_back(platform::Now());
        kinds << "ShowNew";
    }
    void ShowShared(const std::shared_ptr<engine::IEngine>&,
                    const std::shared_ptr<CReminderItem>&) override {
        shown.push_back(platform::Now());
        kinds << "ShowShared";
    }
    void UnloadAll() override {}
    std::vector<QDateTime> shown;
    QStringList kinds;
};

class WallClockAlarmTest : public EngineFixture {
protected:
    WallClockAlarmTest() {
        WindowSeams::Install(&remind);
        Globals::m_ReminderItems = std::make_shared<CReminderItems>();
        Globals::m_ReminderItems->Initialize();
    }
    // A reminder due then, and the alarm armed for it at the clock's time.
    void ArmFor(const QDateTime& due) {
        auto item = std::make_shared<CReminderItem>();
        item->setEmailAddress("pat@example.com");
        item->setReminderDate(env.dates.GeneralForm(due));
        Globals::m_ReminderItems->Add(item);
        RemindTimer::SetNextTimer();
        ASSERT_EQ(env.timers.ArmedCount(), 1);
    }
    TimedRemind remind;
    std::vector<QDateTime>& shown = remind.shown;
};

TEST_F(WallClockAlarmTest, AnAlarmArmedInTheEveningComesAtNineAfterANightOfSleep) {
    env.clock.Set(At(3, 7, 21, 0, 30));
    ArmFor(At(3, 8, 9, 0));
    // Asleep from 21:05 until the user opens the lid at 07:40.
    env.timers.Advance(5 * 60000);
    env.timers.SuspendUntil(At(3, 8, 7, 40));
    EXPECT_TRUE(shown.empty());
    env.timers.AdvanceTo(At(3, 8, 9, 0, 29));
    EXPECT_TRUE(shown.empty());
    env.timers.Advance(1000);
    EXPECT_EQ(shown, std::vector<QDateTime>{At(3, 8, 9, 0, 30)});
}

TEST_F(WallClockAlarmTest, AnAlarmDueDuringSleepComesOnceOnResume) {
    SetSetting("DisplayIndividualReminders", "1");
    env.clock.Set(At(3, 7, 21, 0, 30));
    ArmFor(At(3, 8, 9, 0));
    env.timers.SuspendUntil(At(3, 8, 9, 20));
    EXPECT_EQ(shown, std::vector<QDateTime>{At(3, 8, 9, 20)});
    EXPECT_EQ(remind.kinds, QStringList{"ShowNew"});
}

TEST_F(WallClockAlarmTest, AReminderWeeksAwayComesOnTimeThroughTheLongestDelay) {
    env.clock.Set(At(3, 7, 10, 0, 30));
    // Forty days: more than the 35,000 minutes one timer may wait.
    ArmFor(At(4, 16, 10, 0));
    EXPECT_EQ(env.timers.ArmedTimers().at(0).due, At(3, 7, 10, 0, 30).addSecs(35000 * 60));
    // The machine sleeps over the end of the longest delay: the timer fires
    // on resume, finds nothing due and waits for the rest on the wall clock.
    env.timers.SuspendUntil(At(4, 2, 0, 0));
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(env.timers.ArmedTimers().at(0).due, At(4, 16, 10, 0));
    env.timers.SuspendUntil(At(4, 16, 9, 59, 59));
    env.timers.Advance(1000);
    EXPECT_EQ(shown, std::vector<QDateTime>{At(4, 16, 10, 0)});
}

TEST_F(WallClockAlarmTest, AClockSetByHandMakesTheAlarmNeitherEarlyNorLate) {
    env.clock.Set(At(3, 7, 21, 0, 30));
    ArmFor(At(3, 8, 9, 0));
    // Set back an hour: the alarm still waits for 09:00 on the clock.
    env.timers.SetTo(At(3, 7, 20, 0, 30));
    env.timers.AdvanceTo(At(3, 8, 8, 0, 30));
    EXPECT_TRUE(shown.empty());
    // Set forward two hours: not pushed two hours later either.
    env.timers.SetTo(At(3, 8, 2, 0));
    EXPECT_TRUE(shown.empty());
    env.timers.AdvanceTo(At(3, 8, 9, 0, 30));
    EXPECT_EQ(shown, std::vector<QDateTime>{At(3, 8, 9, 0, 30)});
}

TEST_F(WallClockAlarmTest, TheSpringDaylightSavingStepDoesNotMakeItLate) {
    env.clock.Set(At(3, 30, 22, 0, 30));
    ArmFor(At(3, 31, 9, 0));
    env.timers.AdvanceTo(At(3, 31, 2, 0));
    // 02:00 becomes 03:00.
    env.timers.SetTo(At(3, 31, 3, 0));
    env.timers.AdvanceTo(At(3, 31, 9, 0, 29));
    EXPECT_TRUE(shown.empty());
    env.timers.Advance(1000);
    EXPECT_EQ(shown, std::vector<QDateTime>{At(3, 31, 9, 0, 30)});
}

}  // namespace
