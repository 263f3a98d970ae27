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

TEST(ManualTimersTest, SettingTheClockBackKeepsTheTimeEachTimerHadLeft) {
    ManualClock clock(At(12, 0));
    ManualTimers timers(clock);
    int fired = 0;
    timers.SetTimer(5 * 60000, [&] { ++fired; });
    timers.SetTo(At(9, 0));
    EXPECT_EQ(clock.Now(), At(9, 0));
    timers.SetTo(At(9, 4, 59));
    EXPECT_EQ(fired, 0);
    timers.SetTo(At(9, 5));
    EXPECT_EQ(fired, 1);
}

}  // namespace
