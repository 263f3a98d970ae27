#include "platform/WallClock.h"

#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "tests/support/FakeEnv.h"

namespace {

using platform::FirstInstantReading;
using platform::MakeDateTime;
using platform::WallClockAt;
using testing_support::ScopedTimeZone;

// Central Europe: 02:00 becomes 03:00 on 2024-03-31 (01:00 UTC), and 03:00
// becomes 02:00 again on 2024-10-27 (01:00 UTC).
constexpr const char* kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";

QDateTime Wall(int y, int mo, int d, int h, int mi, int s = 0, int ms = 0) {
    return MakeDateTime(QDate(y, mo, d), QTime(h, mi, s, ms));
}

qint64 Utc(int y, int mo, int d, int h, int mi, int s = 0, int ms = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC).toMSecsSinceEpoch();
}

TEST(WallClockTest, ReadsAndReachesTheLocalWallClockInTheZoneAsItIsNow) {
    ScopedTimeZone zone(kCentralEurope);
    EXPECT_EQ(WallClockAt(Utc(2024, 3, 7, 9, 0, 0, 250)), Wall(2024, 3, 7, 10, 0, 0, 250));
    EXPECT_EQ(WallClockAt(Utc(2024, 7, 1, 9, 0)), Wall(2024, 7, 1, 11, 0));
    EXPECT_EQ(FirstInstantReading(Wall(2024, 3, 7, 10, 0, 0, 250), Utc(2024, 3, 7, 8, 0)),
              Utc(2024, 3, 7, 9, 0, 0, 250));
    // Already read: at once.
    EXPECT_EQ(FirstInstantReading(Wall(2024, 3, 7, 10, 0), Utc(2024, 3, 7, 9, 30)),
              Utc(2024, 3, 7, 9, 30));

    zone.Change("EST5EDT,M3.2.0,M11.1.0");
    EXPECT_EQ(WallClockAt(Utc(2024, 3, 7, 9, 0)), Wall(2024, 3, 7, 4, 0));
    EXPECT_EQ(FirstInstantReading(Wall(2024, 3, 7, 10, 0), Utc(2024, 3, 7, 8, 0)),
              Utc(2024, 3, 7, 15, 0));
}

TEST(WallClockTest, ATimeTheClockSkipsIsReachedAtTheStep) {
    ScopedTimeZone zone(kCentralEurope);
    // Evening before the spring step: 09:00 is ten hours away, not eleven.
    EXPECT_EQ(FirstInstantReading(Wall(2024, 3, 31, 9, 0), Utc(2024, 3, 30, 21, 0)),
              Utc(2024, 3, 31, 7, 0));
    // 02:30 never shows on that night's clock: it is due when 02:00 turns 03:00.
    const qint64 step = FirstInstantReading(Wall(2024, 3, 31, 2, 30), Utc(2024, 3, 30, 23, 0));
    EXPECT_EQ(step, Utc(2024, 3, 31, 1, 0));
    EXPECT_EQ(WallClockAt(step), Wall(2024, 3, 31, 3, 0));
    EXPECT_EQ(WallClockAt(step - 1), Wall(2024, 3, 31, 1, 59, 59, 999));
}

TEST(WallClockTest, ATimeTheClockRepeatsIsReachedTheFirstTimeItComes) {
    ScopedTimeZone zone(kCentralEurope);
    const QDateTime twoThirty = Wall(2024, 10, 27, 2, 30);
    // From 01:00 summer time: the first 02:30, still summer time.
    EXPECT_EQ(FirstInstantReading(twoThirty, Utc(2024, 10, 26, 23, 0)), Utc(2024, 10, 27, 0, 30));
    // From 02:10 winter time, after the clock went back: the second one.
    EXPECT_EQ(FirstInstantReading(twoThirty, Utc(2024, 10, 27, 1, 10)), Utc(2024, 10, 27, 1, 30));
}

}  // namespace
