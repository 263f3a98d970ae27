#include "platform/QtWindowTimers.h"

#include <gtest/gtest.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QSet>
#include <QTest>
#include <QThread>
#include <cerrno>
#include <map>

#include "platform/Clock.h"
#include "platform/WallClock.h"
#include "tests/support/FakeEnv.h"

namespace {

using platform::MakeDateTime;
using platform::QtWindowTimers;
using platform::WallClockTimer;
using testing_support::ScopedTimeZone;
using testing_support::TempFolder;

constexpr const char* kNoZoneFile = "/nonexistent-zone-folder/localtime";

qint64 Utc(int y, int mo, int d, int h, int mi, int s = 0, int ms = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC).toMSecsSinceEpoch();
}

QDateTime Wall(int y, int mo, int d, int h, int mi, int s = 0, int ms = 0) {
    return MakeDateTime(QDate(y, mo, d), QTime(h, mi, s, ms));
}

// Delivers the timer's timeout as if it fell due, without waiting.
void Fire(WallClockTimer* timer) {
    ASSERT_NE(timer, nullptr);
    ASSERT_TRUE(QMetaObject::invokeMethod(timer, "timeout"));
}

void DeleteLaterNow() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The kernel played by the test: the real-time clock is a number the test
// sets, each timer's descriptor an eventfd the test makes readable with the
// answer it chooses (expired, or "the clock was set"), and every arming is
// recorded. Events then arrive through the event loop as the kernel's would.
class PlayedTimers : public QtWindowTimers {
public:
    explicit PlayedTimers(QString zoneFile = kNoZoneFile) : QtWindowTimers(std::move(zoneFile)) {}

    qint64 now = Utc(2024, 3, 7, 21, 0);
    int createError = 0;
    int armError = 0;

    // The instants the timer was armed for, in order.
    const std::vector<qint64>& Arms(quint32 id) { return m_arms[TimerObject(id)->Descriptor()]; }
    void Expire(quint32 id) { Answer(id, 0); }
    void ClockSet(quint32 id) { Answer(id, ECANCELED); }

protected:
    qint64 RealTimeMs() const override { return now; }
    int CreateTimerFd() override {
        return createError ? -createError : ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    }
    int ArmTimerFd(int fd, qint64 epochMs) override {
        m_arms[fd].push_back(epochMs);
        return armError;
    }
    int ReadTimerFd(int fd) override {
        eventfd_t value = 0;
        if (::eventfd_read(fd, &value) != 0)
            return EAGAIN;
        return m_answers[fd];
    }

private:
    void Answer(quint32 id, int answer) {
        const int fd = TimerObject(id)->Descriptor();
        m_answers[fd] = answer;
        ::eventfd_write(fd, 1);
        QCoreApplication::processEvents();
    }
    std::map<int, std::vector<qint64>> m_arms;
    std::map<int, int> m_answers;
};

TEST(QtWindowTimersTest, RepeatingTimersWithTheOriginalsDelayRules) {
    ScopedTimeZone zone("UTC0");
    PlayedTimers timers;
    int fired = 0;
    const quint32 id = timers.SetTimer(1000, [&] { ++fired; });
    ASSERT_NE(id, 0u);
    WallClockTimer* timer = timers.TimerObject(id);
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->Deadline(), Wall(2024, 3, 7, 21, 0, 1));
    EXPECT_EQ(timer->IntervalMs(), 1000);
    EXPECT_EQ(timers.Arms(id), std::vector<qint64>{Utc(2024, 3, 7, 21, 0, 1)});
    EXPECT_EQ(fired, 0);  // never inside SetTimer
    Fire(timer);
    Fire(timer);
    EXPECT_EQ(fired, 2);

    const quint32 zero = timers.SetTimer(0, [] {});
    const quint32 tooShort = timers.SetTimer(9, [] {});
    const quint32 negative = timers.SetTimer(-1, [] {});
    EXPECT_EQ(timers.TimerObject(zero)->IntervalMs(), 10);
    EXPECT_EQ(timers.TimerObject(tooShort)->IntervalMs(), 10);
    EXPECT_EQ(timers.TimerObject(negative)->IntervalMs(), 0x7FFFFFFF);
    EXPECT_EQ((QSet<quint32>{id, zero, tooShort, negative}).size(), 4);

    EXPECT_TRUE(timers.KillTimer(id));
    EXPECT_FALSE(timers.KillTimer(id));
    EXPECT_FALSE(timers.KillTimer(0));
    EXPECT_FALSE(timers.KillTimer(9999));
    EXPECT_EQ(timers.TimerObject(id), nullptr);

    // A timer with no callback fires harmlessly.
    Fire(timers.TimerObject(timers.SetTimer(50, nullptr)));
}

TEST(QtWindowTimersTest, ACallbackMayKillItsOwnTimer) {
    PlayedTimers timers;
    int fired = 0;
    quint32 id = 0;
    bool killed = false;
    id = timers.SetTimer(100, [&] {
        ++fired;
        killed = timers.KillTimer(id);
        // The callback's own state is still usable after the kill.
        ++fired;
    });
    QPointer<WallClockTimer> timer = timers.TimerObject(id);
    timers.now += 100;
    timers.Expire(id);
    EXPECT_EQ(fired, 2);
    EXPECT_TRUE(killed);
    EXPECT_EQ(timers.TimerObject(id), nullptr);
    // A late delivery of the dead timer's timeout runs nothing.
    if (timer)
        Fire(timer);
    EXPECT_EQ(fired, 2);
    DeleteLaterNow();
    EXPECT_TRUE(timer.isNull());
}

TEST(QtWindowTimersTest, TimersEndWithTheirOwnerAndAreRefusedWhenNoneCanBeHad) {
    QPointer<WallClockTimer> timer;
    {
        PlayedTimers timers;
        timer = timers.TimerObject(timers.SetTimer(100, [] {}));
        ASSERT_FALSE(timer.isNull());
    }
    EXPECT_TRUE(timer.isNull());

    // Off the UI thread no event loop would deliver it: refused, error 1400.
    PlayedTimers timers;
    quint32 id = 123;
    QThread* worker = QThread::create([&] { id = timers.SetTimer(100, [] {}); });
    worker->start();
    worker->wait();
    delete worker;
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(timers.LastError(), 1400u);

    // The system has no timer to give, or will not arm one: error 1450.
    timers.createError = EMFILE;
    EXPECT_EQ(timers.SetTimer(100, [] {}), 0u);
    EXPECT_EQ(timers.LastError(), 1450u);
    timers.createError = 0;
    timers.armError = EINVAL;
    EXPECT_EQ(timers.SetTimer(100, [] {}), 0u);
    EXPECT_EQ(timers.LastError(), 1450u);
}

TEST(QtWindowTimersTest, FiresWhenTheWallClockReachesTheDeadlineHoweverLongTheSleep) {
    ScopedTimeZone zone("UTC0");
    PlayedTimers timers;
    std::vector<QDateTime> fired;
    // Armed at 21:00 for 09:00 the next morning.
    const quint32 id = timers.SetTimer(12 * 3600 * 1000,
                                       [&] { fired.push_back(platform::WallClockAt(timers.now)); });
    EXPECT_EQ(timers.Arms(id).back(), Utc(2024, 3, 8, 9, 0));

    // Woken early (a zone change not yet seen): armed again, nothing fired.
    timers.now = Utc(2024, 3, 8, 8, 59, 59);
    timers.Expire(id);
    EXPECT_TRUE(fired.empty());
    EXPECT_EQ(timers.Arms(id).back(), Utc(2024, 3, 8, 9, 0));

    // The machine slept through the night and resumes a little after 09:00:
    // one alarm, and the next repetition counts from 09:00.
    timers.now = Utc(2024, 3, 8, 9, 0, 0, 400);
    timers.Expire(id);
    EXPECT_EQ(fired, std::vector<QDateTime>{Wall(2024, 3, 8, 9, 0, 0, 400)});
    EXPECT_EQ(timers.TimerObject(id)->Deadline(), Wall(2024, 3, 8, 21, 0));
    EXPECT_EQ(timers.Arms(id).back(), Utc(2024, 3, 8, 21, 0));

    // A minute timer after a long sleep: fired once, not once per minute
    // missed, and due next at its first deadline still to come.
    fired.clear();
    timers.now = Utc(2024, 3, 8, 10, 0);
    const quint32 minute =
        timers.SetTimer(60000, [&] { fired.push_back(platform::WallClockAt(timers.now)); });
    timers.now += 10 * 60000 + 30000;
    timers.Expire(minute);
    EXPECT_EQ(fired, std::vector<QDateTime>{Wall(2024, 3, 8, 10, 10, 30)});
    EXPECT_EQ(timers.TimerObject(minute)->Deadline(), Wall(2024, 3, 8, 10, 11));
}

TEST(QtWindowTimersTest, AClockSetByHandLeavesTheDeadlineOnTheWallClock) {
    ScopedTimeZone zone("UTC0");
    PlayedTimers timers;
    int fired = 0;
    const quint32 id = timers.SetTimer(60 * 60000, [&] { ++fired; });  // 22:00
    // The user sets the clock back two hours: the kernel says so, and the
    // timer is armed again for 22:00 on the clock as it now reads.
    timers.now -= 2 * 3600 * 1000;
    timers.ClockSet(id);
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(timers.Arms(id),
              (std::vector<qint64>{Utc(2024, 3, 7, 22, 0), Utc(2024, 3, 7, 22, 0)}));
    EXPECT_EQ(timers.TimerObject(id)->Deadline(), Wall(2024, 3, 7, 22, 0));

    // Set forward past 22:00 instead: the kernel's notice makes it due at once.
    timers.now = Utc(2024, 3, 7, 23, 0);
    timers.ClockSet(id);
    EXPECT_EQ(timers.Arms(id).back(), Utc(2024, 3, 7, 23, 0));
    timers.Expire(id);
    EXPECT_EQ(fired, 1);
}

TEST(QtWindowTimersTest, DaylightSavingStepsAndZoneChangesKeepTheWallClockTime) {
    ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    PlayedTimers timers;
    // 22:00 on the evening before the spring step; the alarm timer counts 11
    // wall-clock hours to 09:00, which come 10 real hours later.
    timers.now = Utc(2024, 3, 30, 21, 0);
    const quint32 id = timers.SetTimer(11 * 3600 * 1000, [] {});
    EXPECT_EQ(timers.TimerObject(id)->Deadline(), Wall(2024, 3, 31, 9, 0));
    EXPECT_EQ(timers.Arms(id).back(), Utc(2024, 3, 31, 7, 0));

    // Flown to New York overnight: 09:00 there.
    zone.Change("EST5EDT,M3.2.0,M11.1.0");
    timers.ZoneChanged();
    EXPECT_EQ(timers.Arms(id).back(), Utc(2024, 3, 31, 13, 0));
}

TEST(QtWindowTimersTest, AChangedZoneFileArmsEveryTimerAgain) {
    ScopedTimeZone zone("UTC0");
    TempFolder temp;
    const QString zoneFile = temp.File("localtime");
    {
        QFile file(zoneFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("UTC");
    }
    PlayedTimers timers(zoneFile);
    const quint32 id = timers.SetTimer(3600 * 1000, [] {});
    ASSERT_EQ(timers.Arms(id).size(), 1u);

    zone.Change("CET-1");
    {
        QFile file(zoneFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("CET");
    }
    // The file watcher's notice arrives through the event loop.
    EXPECT_TRUE(QTest::qWaitFor([&] { return timers.Arms(id).size() > 1; }, 5000));
    EXPECT_EQ(timers.Arms(id).back(), Utc(2024, 3, 7, 21, 0));
}

// The real kernel timer on the real-time clock: a deadline already passed
// (the clock the timers read says so) wakes the event loop at once.
class PastClockTimers : public QtWindowTimers {
public:
    PastClockTimers() : QtWindowTimers(kNoZoneFile) {}
    qint64 now = Utc(2024, 3, 7, 21, 0);

protected:
    qint64 RealTimeMs() const override { return now; }
};

TEST(QtWindowTimersTest, TheKernelTimerWakesTheEventLoopAtTheDeadline) {
    PastClockTimers timers;
    int fired = 0;
    const quint32 id = timers.SetTimer(1000, [&] { ++fired; });
    ASSERT_NE(id, 0u);
    timers.now += 1000;
    EXPECT_TRUE(QTest::qWaitFor([&] { return fired > 0; }, 5000));
    EXPECT_TRUE(timers.KillTimer(id));
    DeleteLaterNow();
}

}  // namespace
