#include "platform/QtWindowTimers.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPointer>
#include <QSet>
#include <QThread>
#include <QTimer>

namespace {

using platform::QtWindowTimers;

// Delivers the timer's timeout as the event loop would, without waiting.
void Fire(QTimer* timer) {
    ASSERT_NE(timer, nullptr);
    ASSERT_TRUE(QMetaObject::invokeMethod(timer, "timeout"));
}

void DeleteLaterNow() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(QtWindowTimersTest, RepeatingTimersWithTheOriginalsDelayRules) {
    QtWindowTimers timers;
    int fired = 0;
    const quint32 id = timers.SetTimer(1000, [&] { ++fired; });
    ASSERT_NE(id, 0u);
    QTimer* timer = timers.TimerObject(id);
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_FALSE(timer->isSingleShot());
    EXPECT_EQ(timer->interval(), 1000);
    EXPECT_EQ(fired, 0);  // never inside SetTimer
    Fire(timer);
    Fire(timer);
    EXPECT_EQ(fired, 2);

    const quint32 zero = timers.SetTimer(0, [] {});
    const quint32 tooShort = timers.SetTimer(9, [] {});
    const quint32 negative = timers.SetTimer(-1, [] {});
    EXPECT_EQ(timers.TimerObject(zero)->interval(), 10);
    EXPECT_EQ(timers.TimerObject(tooShort)->interval(), 10);
    EXPECT_EQ(timers.TimerObject(negative)->interval(), 0x7FFFFFFF);
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
    QtWindowTimers timers;
    int fired = 0;
    quint32 id = 0;
    bool killed = false;
    id = timers.SetTimer(100, [&] {
        ++fired;
        killed = timers.KillTimer(id);
        // The callback's own state is still usable after the kill.
        ++fired;
    });
    QPointer<QTimer> timer = timers.TimerObject(id);
    Fire(timer);
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

TEST(QtWindowTimersTest, TimersEndWithTheirOwnerAndNeedTheUiThread) {
    QPointer<QTimer> timer;
    {
        QtWindowTimers timers;
        timer = timers.TimerObject(timers.SetTimer(100, [] {}));
        ASSERT_FALSE(timer.isNull());
    }
    EXPECT_TRUE(timer.isNull());

    // Off the UI thread no event loop would deliver it: refused, error 1400.
    QtWindowTimers timers;
    quint32 id = 123;
    QThread* worker = QThread::create([&] { id = timers.SetTimer(100, [] {}); });
    worker->start();
    worker->wait();
    delete worker;
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(timers.LastError(), 1400u);
}

}  // namespace
