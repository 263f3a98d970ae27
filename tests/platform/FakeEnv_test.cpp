// The fakes every later test stands on behave like the real seams.
#include "tests/support/FakeEnv.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using platform::MakeDateTime;
using testing_support::FakeClock;
using testing_support::FakeTimers;

QDateTime At(int h, int m, int s, int ms = 0) {
    return MakeDateTime(QDate(2024, 3, 7), QTime(h, m, s, ms));
}

struct Firing {
    char name;
    QDateTime at;
    bool operator==(const Firing&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Firing& firing) {
    return out << firing.name << "@" << firing.at.toString("HH:mm:ss.zzz").toStdString();
}

TEST(FakeTimersTest, RepeatingTimersFireInDueOrderAsTheClockAdvances) {
    FakeClock clock;
    clock.Set("2024-03-07 10:00:00");
    FakeTimers timers(clock);
    std::vector<Firing> fired;
    timers.SetTimer(100, [&] { fired.push_back({'A', clock.Now()}); });
    timers.SetTimer(250, [&] { fired.push_back({'B', clock.Now()}); });
    timers.Advance(600);
    const std::vector<Firing> expected = {
        {'A', At(10, 0, 0, 100)}, {'A', At(10, 0, 0, 200)}, {'B', At(10, 0, 0, 250)},
        {'A', At(10, 0, 0, 300)}, {'A', At(10, 0, 0, 400)}, {'A', At(10, 0, 0, 500)},
        {'B', At(10, 0, 0, 500)}, {'A', At(10, 0, 0, 600)},
    };
    EXPECT_EQ(fired, expected);
    EXPECT_EQ(clock.Now(), At(10, 0, 0, 600));

    // Short delays become 10 ms; a negative one is the longest.
    FakeTimers other(clock);
    other.SetTimer(0, [] {});
    other.SetTimer(-5, [] {});
    const auto armed = other.ArmedTimers();
    ASSERT_EQ(armed.size(), 2u);
    EXPECT_EQ(armed[0].delayMs, 10);
    EXPECT_EQ(armed[1].delayMs, 0x7FFFFFFF);
}

TEST(FakeTimersTest, CallbacksMayKillTimersIncludingTheirOwn) {
    FakeClock clock;
    FakeTimers timers(clock);
    int selfKilling = 0;
    int victim = 0;
    quint32 self = 0;
    quint32 other = 0;
    self = timers.SetTimer(100, [&] {
        ++selfKilling;
        EXPECT_TRUE(timers.KillTimer(self));
        EXPECT_TRUE(timers.KillTimer(other));  // due at the same moment
    });
    other = timers.SetTimer(100, [&] { ++victim; });
    timers.Advance(1000);
    EXPECT_EQ(selfKilling, 1);
    EXPECT_EQ(victim, 0);
    EXPECT_TRUE(timers.ArmedTimers().empty());
    EXPECT_FALSE(timers.FireNext());

    // A timer set from a callback fires when its own time comes.
    int late = 0;
    timers.SetTimer(50, [&] { timers.SetTimer(30, [&] { ++late; }); });
    timers.Advance(85);
    EXPECT_EQ(late, 1);
}

TEST(FakeTimersTest, RefusalsAndFiringByHand) {
    FakeClock clock;
    clock.Set("2024-03-07T10:00:00");
    FakeTimers timers(clock);
    timers.RefuseNext(1400);
    int fired = 0;
    EXPECT_EQ(timers.SetTimer(100, [&] { ++fired; }), 0u);
    EXPECT_EQ(timers.LastError(), 1400u);
    EXPECT_TRUE(timers.ArmedTimers().empty());
    const quint32 id = timers.SetTimer(100, [&] { ++fired; });
    EXPECT_NE(id, 0u);
    EXPECT_EQ(timers.SetCount(), 2);

    EXPECT_TRUE(timers.FireNext());
    EXPECT_EQ(clock.Now(), At(10, 0, 0, 100));
    // Set past the due time: the timer fires late, once, and the clock never
    // runs backwards.
    clock.Set("2024-03-07 10:05:00");
    EXPECT_TRUE(timers.FireNext());
    EXPECT_EQ(clock.Now(), At(10, 5, 0));
    EXPECT_EQ(timers.ArmedTimers().at(0).due, At(10, 5, 0, 100));
    EXPECT_EQ(fired, 2);

    EXPECT_THROW(clock.Set("7 March"), std::invalid_argument);
    EXPECT_EQ(clock.Now(), At(10, 5, 0));
}

}  // namespace
