#pragma once

#include <QDateTime>
#include <map>
#include <optional>
#include <vector>

#include "platform/Clock.h"
#include "platform/WindowTimers.h"

namespace platform {

// A clock that stands still until it is set: the time of tests and of the
// program's scripted mode.
class ManualClock : public Clock {
public:
    explicit ManualClock(QDateTime now = MakeDateTime(QDate(2024, 3, 7), QTime(10, 0, 0)))
        : m_now(std::move(now)) {}
    QDateTime Now() const override { return m_now; }
    void Set(const QDateTime& now) { m_now = now; }

private:
    QDateTime m_now;
};

// Window timers driven by a ManualClock, modelling the production timers:
// each timer holds a wall-clock deadline (now + delay when set) and fires
// when the clock reaches it, earliest first, repeating every delay from its
// last deadline until killed. Delays below 10 ms become 10 ms; a negative
// delay reads as the largest one, as the original platform read it unsigned.
//
// Time passes in two ways. Awake (Advance, AdvanceTo), every deadline on the
// way fires at its own time. In a jump (SetTo forwards: the clock set by
// hand, a daylight-saving step or a time-zone change; Suspend: the machine
// sleeps and resumes), the clock moves at once and each timer whose deadline
// it passed fires once, at the new time, then repeats from the first of its
// deadlines still to come. Setting the clock back leaves every deadline where
// it is on the wall clock.
class ManualTimers : public WindowTimers {
public:
    struct Armed {
        quint32 id;
        qint64 delayMs;
        QDateTime due;
    };

    explicit ManualTimers(ManualClock& clock) : m_clock(clock) {}

    quint32 SetTimer(qint32 delayMs, Callback callback) override;
    bool KillTimer(quint32 id) override;
    quint32 LastError() const override { return m_lastError; }

    // Moves the clock forward with the machine awake, firing the timers on
    // the way.
    void Advance(qint64 ms);
    void AdvanceTo(const QDateTime& when);
    // Sets the clock: forwards a jump, backwards deadlines stay (see above).
    void SetTo(const QDateTime& when);
    // The machine sleeps for ms, or until `wake`, and resumes: a jump.
    void Suspend(qint64 ms);
    void SuspendUntil(const QDateTime& wake);
    // Fires the earliest armed timer at its due time (the clock moves there,
    // never backwards: one the clock was set past fires now). False when none
    // is armed.
    bool FireNext();

    std::vector<Armed> ArmedTimers() const;
    int ArmedCount() const { return static_cast<int>(m_timers.size()); }
    // The next SetTimer fails with this error code.
    void RefuseNext(quint32 errorCode) { m_refuse = errorCode; }
    int SetCount() const { return m_setCount; }

private:
    // Fires the timer now and moves its deadline to the first still to come.
    void Fire(quint32 id);

    struct Entry {
        qint64 delayMs;
        QDateTime due;
        Callback callback;
    };
    ManualClock& m_clock;
    std::map<quint32, Entry> m_timers;
    quint32 m_nextId = 1;
    quint32 m_lastError = 0;
    std::optional<quint32> m_refuse;
    int m_setCount = 0;
};

}  // namespace platform
