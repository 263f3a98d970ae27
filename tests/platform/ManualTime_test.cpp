#include <gtest/gtest.h>

#include "platform/ManualTime.h"

namespace {

using platform::ManualClock;
using platform::ManualTimers;

QDateTime At(int hour, int minute, int second = 0) {
    return platform::MakeDateTime(QDate(2024, 3, 4), QTime(hour, minute, second));
}

TEST(ManualTimersTest, TimersFireInOrderAtTheirOwnTimesAndRepeatUntilKilled) {
    ManualClock clock(At(9, 0));
    ManualTimers timers(clock);
    std::vector<QString> fired;
    const quint32 minute = timers.SetTimer(
        60000, [&] { fired.push_back("minute at " + clock.Now().toString("hh:mm:ss")); });
    quint32 once = 0;
    once = timers.SetTimer(90000, [&] {
        fired.push_back("once at " + clock.Now().toString("hh:mm:ss"));
        timers.KillTimer(once);
    });
    timers.AdvanceTo(At(9, 3));
    EXPECT_EQ(fired, (std::vector<QString>{"minute at 09:01:00", "once at 09:01:30",
                                           "minute at 09:02:00", "minute at 09:03:00"}));
    EXPECT_EQ(clock.Now(), At(9, 3));
    EXPECT_TRUE(timers.KillTimer(minute));
    EXPECT_FALSE(timers.KillTimer(minute));
    EXPECT_EQ(timers.ArmedCount(), 0);
}

TEST(ManualTimersTest, DeadlinesStayOnTheWallClockWhenTheClockIsSetBack) {
    ManualClock clock(At(12, 0));
    ManualTimers timers(clock);
    int fired = 0;
    timers.SetTimer(5 * 60000, [&] { ++fired; });  // due 12:05
    timers.SetTo(At(9, 0));
    EXPECT_EQ(clock.Now(), At(9, 0));
    EXPECT_EQ(timers.ArmedTimers().at(0).due, At(12, 5));
    timers.AdvanceTo(At(12, 4, 59));
    EXPECT_EQ(fired, 0);
    timers.AdvanceTo(At(12, 5));
    EXPECT_EQ(fired, 1);
}

// A jump (the clock set forward, a night of sleep) fires each passed timer
// once, at the new time; awake, every deadline on the way fires.
TEST(ManualTimersTest, AJumpFiresEachPassedTimerOnceAndRepeatsFromItsDeadlines) {
    ManualClock clock(At(9, 0));
    ManualTimers timers(clock);
    std::vector<QString> fired;
    quint32 later = 0;
    timers.SetTimer(60000,
                    [&] { fired.push_back("minute at " + clock.Now().toString("hh:mm:ss")); });
    timers.SetTimer(30000, [&] {
        fired.push_back("half at " + clock.Now().toString("hh:mm:ss"));
        timers.KillTimer(later);  // passed too, but gone before its turn
    });
    later = timers.SetTimer(90000, [&] { fired.push_back("later"); });
    timers.SetTimer(3 * 3600000, [&] { fired.push_back("noon"); });

    timers.Suspend(10 * 60000 + 15000);
    EXPECT_EQ(fired, (std::vector<QString>{"half at 09:10:15", "minute at 09:10:15"}));
    EXPECT_EQ(clock.Now(), At(9, 10, 15));
    const auto armed = timers.ArmedTimers();
    ASSERT_EQ(armed.size(), 3u);
    EXPECT_EQ(armed[0].due, At(9, 11));
    EXPECT_EQ(armed[1].due, At(9, 10, 30));
    EXPECT_EQ(armed[2].due, At(12, 0));

    fired.clear();
    timers.Advance(60000);
    EXPECT_EQ(fired,
              (std::vector<QString>{"half at 09:10:30", "minute at 09:11:00", "half at 09:11:00"}));

    // The clock set forward past noon: the same, once each.
    fired.clear();
    timers.SetTo(At(12, 30));
    EXPECT_EQ(fired, (std::vector<QString>{"half at 12:30:00", "minute at 12:30:00", "noon"}));
    timers.SuspendUntil(At(12, 30));  // no time at all: nothing
    EXPECT_EQ(fired.size(), 3u);
}

}  // namespace
