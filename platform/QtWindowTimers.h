#pragma once

#include <QHash>
#include <QString>
#include <memory>

#include "platform/WallClockTimer.h"
#include "platform/WindowTimers.h"

class QFileSystemWatcher;

namespace platform {

// Window timers that fire on the wall clock. SetTimer fixes the deadline as
// the local wall-clock time "now + delay" (the alarm timer reckons its delay
// from wall-clock minutes) and a timer fires when the wall clock reaches it:
// after the machine slept, after the clock was set by hand, across a
// daylight-saving step and after a time-zone change. A deadline that passed
// while the machine slept fires once on resume; a timer repeats every delay
// from its last deadline, skipping those already past.
//
// Each timer is a kernel timer on the real-time clock with an absolute
// expiry, which the kernel also cancels when the clock is set
// (TFD_TIMER_CANCEL_ON_SET); the timer is then armed again from its stored
// wall-clock deadline. A time-zone change gives no such notice, so the zone
// file is watched and every timer armed again when it changes. Nothing wakes
// the program while no timer is due.
//
// Delays below 10 ms become 10 ms and a negative delay is read as the longest
// one, as the original platform did. SetTimer fails with error 1400 when
// there is no application object or when called off its thread (no event loop
// would deliver the timer), and with 1450 when the system has no timer left
// to give. Callbacks run on the UI thread from the event loop.
//
// The calls to the kernel are small virtual methods, so that a test can play
// the clock and the kernel's answers.
class QtWindowTimers : public WindowTimers {
public:
    // zoneFile: the file whose change means the time zone changed.
    explicit QtWindowTimers(QString zoneFile = QStringLiteral("/etc/localtime"));
    ~QtWindowTimers() override;
    QtWindowTimers(const QtWindowTimers&) = delete;
    QtWindowTimers& operator=(const QtWindowTimers&) = delete;

    quint32 SetTimer(qint32 delayMs, Callback callback) override;
    bool KillTimer(quint32 id) override;
    quint32 LastError() const override { return m_lastError; }

    // The timer behind an id, or nullptr when none is armed, so that a test
    // fires it (QMetaObject::invokeMethod(timer, "timeout")) instead of
    // waiting, or reads its deadline.
    WallClockTimer* TimerObject(quint32 id) const { return m_timers.value(id, nullptr); }

    // Arms every timer again from its wall-clock deadline, in the zone as it
    // is now. Called when the zone file changes.
    void ZoneChanged();

    static constexpr quint32 kErrorNoEventLoop = 1400;
    static constexpr quint32 kErrorNoResources = 1450;

protected:
    // The real-time clock, in milliseconds since the epoch.
    virtual qint64 RealTimeMs() const;
    // A new kernel timer's descriptor, or minus the errno value.
    virtual int CreateTimerFd();
    // Sets the kernel timer to expire once at epochMs, and to be cancelled
    // should the clock be set before then. 0 or the errno value.
    virtual int ArmTimerFd(int fd, qint64 epochMs);
    // 0 when the timer expired, ECANCELED when the clock was set, EAGAIN when
    // there is nothing to read, or another errno value.
    virtual int ReadTimerFd(int fd);
    virtual void CloseTimerFd(int fd);

private:
    int Arm(WallClockTimer& timer);
    void Readable(WallClockTimer* timer);
    void WatchZone();
    void Release(WallClockTimer* timer);

    QString m_zoneFile;
    std::unique_ptr<QFileSystemWatcher> m_zoneWatcher;
    QHash<quint32, WallClockTimer*> m_timers;
    quint32 m_nextId = 1;
    quint32 m_lastError = 0;
};

}  // namespace platform
