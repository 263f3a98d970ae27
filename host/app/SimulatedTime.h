#pragma once

#include <QDateTime>
#include <functional>
#include <map>

#include "platform/Clock.h"
#include "platform/WindowTimers.h"

namespace host::app {

// A clock that stands still until told to move: the scripted mode's time.
class SettableClock : public platform::Clock {
public:
    explicit SettableClock(QDateTime now) : m_now(std::move(now)) {}
    QDateTime Now() const override { return m_now; }
    void Set(const QDateTime& now) { m_now = now; }

private:
    QDateTime m_now;
};

// Window timers that run on a SettableClock: a timer fires when the clock is
// moved past its due time (earliest first, each at its own due time), and
// repeats every delay until killed, as the platform's timers do. Delays below
// 10 ms become 10 ms.
class ClockTimers : public platform::WindowTimers {
public:
    explicit ClockTimers(SettableClock& clock) : m_clock(clock) {}

    quint32 SetTimer(qint32 delayMs, Callback callback) override;
    bool KillTimer(quint32 id) override;
    quint32 LastError() const override { return 0; }

    // Moves the clock to when (never backwards), firing timers on the way.
    void AdvanceTo(const QDateTime& when);
    // Sets the clock: forwards as AdvanceTo; backwards, every timer keeps
    // the time it had left.
    void SetTo(const QDateTime& when);
    int ArmedCount() const { return static_cast<int>(m_timers.size()); }

private:
    struct Entry {
        qint64 delayMs;
        QDateTime due;
        Callback callback;
    };
    SettableClock& m_clock;
    std::map<quint32, Entry> m_timers;
    quint32 m_nextId = 1;
};

}  // namespace host::app
