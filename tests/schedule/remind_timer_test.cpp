#include <gtest/gtest.h>

#include "schedule/RemindTimer.h"
#include "store/CReminderItem.h"
#include "store/CReminderItems.h"
#include "tests/support/EngineFixture.h"

namespace {

using host::ErrorReportRecord;
using testing_support::EngineFixture;

class RemindTimerTest : public EngineFixture {
protected:
    RemindTimerTest() {
        env.clock.Set("2024-03-07T10:00:30");
        Globals::m_ReminderItems = std::make_shared<CReminderItems>();
        Globals::m_ReminderItems->Initialize();
        log.Clear();
    }

    std::shared_ptr<CReminderItem> Add(const QString& address, const QString& reminderDate) {
        auto item = std::make_shared<CReminderItem>();
        item->setEmailAddress(address);
        item->setReminderDate(reminderDate);
        Globals::m_ReminderItems->Add(item);
        return item;
    }

    std::vector<qint64> ArmedDelays() const {
        std::vector<qint64> delays;
        for (const auto& timer : env.timers.ArmedTimers()) delays.push_back(timer.delayMs);
        return delays;
    }
};

TEST_F(RemindTimerTest, EmptyCollectionArmsNothing) {
    RemindTimer::NextReminderTime = "left over";
    RemindTimer::SetNextTimer();
    EXPECT_TRUE(env.timers.ArmedTimers().empty());
    EXPECT_EQ(RemindTimer::AlarmTimerId, 0u);
    EXPECT_EQ(RemindTimer::NextReminderTime, "");
    EXPECT_EQ(log.TraceMessages(), std::vector<QString>{"Timer stopped"});
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(RemindTimerTest, DelayCountsMinuteBoundariesAndFiresAsFarIntoTheDueMinute) {
    Add("pat@example.com", "3/7/2024 10:05:00 AM");
    RemindTimer::SetNextTimer();

    EXPECT_EQ(ArmedDelays(), std::vector<qint64>{300000});
    EXPECT_EQ(RemindTimer::NextReminderTime, "3/7/2024 10:05 AM");
    EXPECT_EQ(log.TraceMessages(), (std::vector<QString>{
                                       "Timer stopped",
                                       "Setting next alarm for '3/7/2024 10:05 AM'",
                                       "Timer starting...delaying 300000 milliseconds",
                                       "Timer restarted...alarm goes off at 3/7/2024 10:05:30 AM",
                                   }));
    EXPECT_EQ(log.Traces()[1].procedure, "RemindTimer.SetNextTimer");
    EXPECT_EQ(log.Traces()[2].procedure, "RemindTimer.StartTimer");
    EXPECT_EQ(log.Traces()[2].module, "Chasewell");

    log.Clear();
    env.timers.Advance(299999);
    EXPECT_TRUE(windows.events.isEmpty());
    env.timers.Advance(1);
    EXPECT_EQ(env.clock.Now(), platform::MakeDateTime(QDate(2024, 3, 7), QTime(10, 5, 30)));
    EXPECT_EQ(windows.events, QStringList{"ShowShared pat@example.com"});
    // The reminder is overdue now, so nothing is left to arm.
    EXPECT_TRUE(env.timers.ArmedTimers().empty());
    EXPECT_EQ(RemindTimer::NextReminderTime, "");
    EXPECT_EQ(log.TraceMessages().front(), "Timer alarm went off");
    EXPECT_EQ(log.Traces().front().procedure, "RemindTimer.TimerOccurred");
}

TEST_F(RemindTimerTest, LongDelaysAreCappedAndTheTimerReArmsForTheRest) {
    const QDateTime due =
        platform::MakeDateTime(QDate(2024, 3, 7), QTime(10, 0)).addSecs(40000 * 60);
    Add("pat@example.com", env.dates.GeneralForm(due));
    RemindTimer::SetNextTimer();
    EXPECT_EQ(ArmedDelays(), std::vector<qint64>{2100000000});

    env.timers.Advance(2100000000);
    EXPECT_TRUE(windows.events.isEmpty()) << "nothing is overdue after the capped wait";
    EXPECT_EQ(ArmedDelays(), std::vector<qint64>{5000LL * 60 * 1000});
    env.timers.Advance(5000LL * 60 * 1000);
    EXPECT_EQ(windows.events, QStringList{"ShowShared pat@example.com"});
}

TEST_F(RemindTimerTest, AReminderWhoseMinuteBegunIsOverdueButNeverNext) {
    env.clock.Set("2024-03-07T10:05:20");
    Add("pat@example.com", "3/7/2024 10:05:00 AM");
    EXPECT_EQ(RemindTimer::GetNextReminder(), nullptr);
    RemindTimer::DisplayOverdueReminders();
    EXPECT_EQ(windows.events, QStringList{"ShowShared pat@example.com"});
}

TEST_F(RemindTimerTest, AReminderDueInTheComingMinuteIsBothOverdueAndNext) {
    env.clock.Set("2024-03-07T10:05:20");
    auto item = Add("pat@example.com", "3/7/2024 10:06:00 AM");
    EXPECT_EQ(RemindTimer::GetNextReminder(), item);
    RemindTimer::DisplayOverdueReminders();
    RemindTimer::SetNextTimer();
    EXPECT_EQ(windows.events, QStringList{"ShowShared pat@example.com"});
    EXPECT_EQ(ArmedDelays(), std::vector<qint64>{60000});

    // At 10:06:20 it is shown again, in individual mode as a second window.
    SetSetting("DisplayIndividualReminders", "1");
    env.timers.Advance(60000);
    EXPECT_EQ(windows.events,
              (QStringList{"ShowShared pat@example.com", "ShowNew pat@example.com"}));
}

TEST_F(RemindTimerTest, TiesGoToTheLowerPositionAndAreOverdueTogether) {
    auto first = Add("first@example.com", "3/7/2024 10:05:00 AM");
    Add("second@example.com", "3/7/2024 10:05:40 AM");
    Add("later@example.com", "3/8/2024 9:00:00 AM");
    EXPECT_EQ(RemindTimer::GetNextReminder(), first);

    env.clock.Set("2024-03-07T10:05:10");
    RemindTimer::DisplayOverdueReminders();
    EXPECT_EQ(windows.events, QStringList{"ShowMultiple"});

    windows.events.clear();
    SetSetting("DisplayIndividualReminders", "1");
    RemindTimer::DisplayOverdueReminders();
    // Individual windows open from the last reminder to the first.
    EXPECT_EQ(windows.events,
              (QStringList{"ShowNew second@example.com", "ShowNew first@example.com"}));
}

TEST_F(RemindTimerTest, EmptyDatesAreSkippedAndOnlyFutureRemindersAreCandidates) {
    Add("nodate@example.com", "");
    Add("past@example.com", "3/6/2024 9:00:00 AM");
    auto later = Add("later@example.com", "3/9/2024 9:00:00 AM");
    auto sooner = Add("sooner@example.com", "3/8/2024 9:00:00 AM");
    EXPECT_EQ(RemindTimer::GetNextReminder(), sooner);
    RemindTimer::DisplayOverdueReminders();
    EXPECT_EQ(windows.events, QStringList{"ShowShared past@example.com"});
    (void)later;
}

TEST_F(RemindTimerTest, AReminderDateThatIsNotADateIsReportedOnceAndStopsNoOtherAlarm) {
    Add("early@example.com", "3/6/2024 9:00:00 AM");
    auto broken = Add("broken@example.com", "next Tuesday");
    broken->setSubject("Budget");
    Add("later@example.com", "3/7/2024 11:00:00 AM");
    RemindTimer::SetNextTimer();
    EXPECT_EQ(RemindTimer::NextReminderTime, "3/7/2024 11:00 AM") << "the others still arm";
    EXPECT_EQ(ArmedDelays().size(), 1u);

    RemindTimer::DisplayOverdueReminders();
    EXPECT_EQ(windows.events, QStringList{"ShowShared early@example.com"})
        << "and still show when due";
    // Named once, however many passes meet it; kept in the collection.
    RemindTimer::SetNextTimer();
    EXPECT_EQ(log.Errors(),
              (std::vector<ErrorReportRecord>{
                  {"The reminder for broken@example.com about \"Budget\" cannot fall due: its "
                   "reminder date \"next Tuesday\" is not a date.  Give it a new date in the "
                   "list of pending reminders.",
                   1, "Chasewell.RemindTimer.GetNextReminder"},
              }));
    EXPECT_EQ(Globals::m_ReminderItems->Count(), 3);

    // Given a date, it arms like any other; a new bad text is named again.
    broken->setReminderDate("3/7/2024 10:30:00 AM");
    RemindTimer::SetNextTimer();
    EXPECT_EQ(RemindTimer::NextReminderTime, "3/7/2024 10:30 AM");
    broken->setReminderDate("later");
    log.Clear();
    RemindTimer::DisplayOverdueReminders();
    ASSERT_EQ(log.Errors().size(), 1u);
    EXPECT_EQ(log.Errors()[0].source, "Chasewell.DisplayOverdueReminders");
}

TEST_F(RemindTimerTest, ARefusedTimerIsReportedWithTheLastError) {
    Add("pat@example.com", "3/7/2024 11:00:00 AM");
    env.timers.RefuseNext(1405);
    RemindTimer::SetNextTimer();
    EXPECT_EQ(RemindTimer::AlarmTimerId, 0u);
    EXPECT_EQ(log.Errors(),
              (std::vector<ErrorReportRecord>{{"Error occurred.  Timer not created: 1405", 0,
                                               "Chasewell.SetApplicationTimer"}}));
    // The next reminder's time is kept whether or not a timer was made.
    EXPECT_EQ(RemindTimer::NextReminderTime, "3/7/2024 11:00 AM");
}

TEST_F(RemindTimerTest, SettingTheTimerAgainReplacesTheArmedOne) {
    Add("pat@example.com", "3/7/2024 11:00:00 AM");
    RemindTimer::SetNextTimer();
    const quint32 first = RemindTimer::AlarmTimerId;
    RemindTimer::SetNextTimer();
    EXPECT_NE(RemindTimer::AlarmTimerId, first);
    EXPECT_EQ(env.timers.ArmedTimers().size(), 1u);
    RemindTimer::KillTimer();
    EXPECT_TRUE(env.timers.ArmedTimers().empty());
    EXPECT_EQ(RemindTimer::AlarmTimerId, 0u);
    EXPECT_EQ(RemindTimer::NextReminderTime, "");
}

TEST_F(RemindTimerTest, ASettingThatIsNotANumberStopsTheOverdueCheckAtItsStep) {
    Add("pat@example.com", "3/6/2024 9:00:00 AM");
    SetSetting("DisplayIndividualReminders", "often");
    RemindTimer::DisplayOverdueReminders();
    EXPECT_TRUE(windows.events.isEmpty());
    EXPECT_EQ(log.Errors(),
              (std::vector<ErrorReportRecord>{{"Error occurred at 4.  Reason: Type mismatch", 1,
                                               "Chasewell.DisplayOverdueReminders"}}));
}

}  // namespace
