#include "platform/Env.h"

#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "tests/support/FakeEnv.h"

namespace {

using platform::Env;
using platform::ScopedEnv;

TEST(EnvTest, ProductionIsCompleteAndUsedWhenNothingIsInstalled) {
    Env& production = Env::Production();
    EXPECT_EQ(&Env::Current(), &production);
    EXPECT_NE(production.clock, nullptr);
    EXPECT_NE(production.timers, nullptr);
    EXPECT_NE(production.settings, nullptr);
    EXPECT_NE(production.messageBoxes, nullptr);
    EXPECT_NE(production.colours, nullptr);
    EXPECT_NE(production.windows, nullptr);
    EXPECT_NE(production.objects, nullptr);
    EXPECT_NE(production.files, nullptr);
    ASSERT_NE(production.dates, nullptr);
    EXPECT_EQ(production.dates->locale(), platform::LocaleDates::UserLocale());
    EXPECT_EQ(&Env::Production(), &production);  // built once
}

TEST(EnvTest, ScopedEnvsNestAndRestore) {
    Env& production = Env::Production();
    {
        testing_support::TestEnv outer;
        EXPECT_EQ(&Env::Current(), &outer.env);
        outer.clock.Set("2024-03-07 10:00:30");
        EXPECT_EQ(platform::Now(), platform::MakeDateTime(QDate(2024, 3, 7), QTime(10, 0, 30)));
        {
            testing_support::TestEnv inner;
            EXPECT_EQ(&Env::Current(), &inner.env);
            EXPECT_EQ(&platform::Settings(), &inner.settings);
        }
        EXPECT_EQ(&Env::Current(), &outer.env);
        EXPECT_EQ(&platform::Files(), &outer.files);

        Env::Install(nullptr);
        EXPECT_EQ(&Env::Current(), &production);
        Env::Install(&outer.env);
    }
    EXPECT_EQ(&Env::Current(), &production);
}

TEST(ClockTest, WallClockValuesCarryNoZone) {
    const QDateTime value = platform::MakeDateTime(QDate(2024, 3, 10), QTime(2, 30));
    EXPECT_EQ(value.timeSpec(), Qt::UTC);
    EXPECT_EQ(value.date(), QDate(2024, 3, 10));
    EXPECT_EQ(value.time(), QTime(2, 30));

    // A local time keeps its fields; an instant elsewhere moves to local time.
    const QDateTime local(QDate(2024, 3, 7), QTime(8, 15, 1), Qt::LocalTime);
    EXPECT_EQ(platform::ToWallClock(local),
              platform::MakeDateTime(QDate(2024, 3, 7), QTime(8, 15, 1)));
    const QDateTime offset(QDate(2024, 3, 7), QTime(8, 0), Qt::OffsetFromUTC, 5 * 3600);
    const QDateTime expected = offset.toLocalTime();
    EXPECT_EQ(platform::ToWallClock(offset),
              platform::MakeDateTime(expected.date(), expected.time()));
    EXPECT_FALSE(platform::ToWallClock(QDateTime()).isValid());

    const QDateTime now = platform::SystemClock().Now();
    EXPECT_EQ(now.timeSpec(), Qt::UTC);
    EXPECT_EQ(now.time().msec(), 0);
    const QDateTime localNow = QDateTime::currentDateTime();
    const QDateTime asWall = platform::MakeDateTime(localNow.date(), localNow.time());
    EXPECT_LE(std::abs(now.secsTo(asWall)), 5);
}

TEST(EnvTest, TheSystemClockFollowsAChangeOfTimeZoneAtOnce) {
    const platform::SystemClock clock;
    testing_support::ScopedTimeZone zone("UTC0");
    const QDateTime utc = clock.Now();
    zone.Change("XXX-5");
    const QDateTime east = clock.Now();
    zone.Change("UTC0");
    const QDateTime again = clock.Now();
    // Within a second or two of each other, whatever the machine does.
    EXPECT_LE(std::abs(utc.secsTo(east) - 5 * 3600), 2) << east.toString().toStdString();
    EXPECT_LE(std::abs(utc.secsTo(again)), 2);
    EXPECT_EQ(clock.Now().time().msec(), 0);
}

}  // namespace
