#pragma once

#include <QDateTime>
#include <QObject>

class QSocketNotifier;

namespace platform {

class QtWindowTimers;

// One window timer of QtWindowTimers: its wall-clock deadline (the zone-less
// form of Clock.h), the delay it repeats with, and the kernel timer that wakes
// the program at the deadline. Emits timeout() each time it falls due; a test
// may invoke timeout() itself (QMetaObject::invokeMethod(timer, "timeout")) to
// fire the timer without waiting, which leaves the deadline as it is.
class WallClockTimer : public QObject {
    Q_OBJECT

public:
    WallClockTimer(int descriptor, QDateTime deadline, qint64 intervalMs);

    const QDateTime& Deadline() const { return m_deadline; }
    qint64 IntervalMs() const { return m_intervalMs; }
    // The kernel timer's descriptor; -1 once the timer is killed.
    int Descriptor() const { return m_descriptor; }

signals:
    void timeout();

private:
    friend class QtWindowTimers;
    int m_descriptor;
    QDateTime m_deadline;
    qint64 m_intervalMs;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace platform
