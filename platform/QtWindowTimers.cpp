#include "platform/QtWindowTimers.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace platform {

namespace {
constexpr qint32 kShortestDelayMs = 10;
constexpr qint32 kLongestDelayMs = 0x7FFFFFFF;
}  // namespace

QtWindowTimers::QtWindowTimers() = default;

QtWindowTimers::~QtWindowTimers() {
    for (QTimer* timer : std::as_const(m_timers)) delete timer;
}

quint32 QtWindowTimers::SetTimer(qint32 delayMs, Callback callback) {
    QCoreApplication* app = QCoreApplication::instance();
    // A timer created off the UI thread would never fire there.
    if (!app || QThread::currentThread() != app->thread()) {
        m_lastError = kErrorNoEventLoop;
        return 0;
    }
    // The original read the delay unsigned and capped it, so a negative delay
    // is the longest one rather than "at once".
    const qint32 interval = delayMs < 0 ? kLongestDelayMs : std::max(delayMs, kShortestDelayMs);

    quint32 id = m_nextId;
    while (id == 0 || m_timers.contains(id)) ++id;
    m_nextId = id + 1;

    auto* timer = new QTimer;
    // Precise: a coarse timer may fire a little early, and a reminder check
    // that runs early finds nothing due yet.
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(interval);
    QObject::connect(timer, &QTimer::timeout, timer, [callback = std::move(callback)] {
        // A copy: the callback may kill its own timer, which disconnects (and
        // so destroys) this lambda while it runs.
        const Callback run = callback;
        if (run)
            run();
    });
    m_timers.insert(id, timer);
    timer->start();
    return id;
}

bool QtWindowTimers::KillTimer(quint32 id) {
    QTimer* timer = m_timers.take(id);
    if (!timer)
        return false;
    timer->stop();
    QObject::disconnect(timer, &QTimer::timeout, nullptr, nullptr);
    // Later: the timer may be the one whose timeout is being delivered now.
    timer->deleteLater();
    return true;
}

}  // namespace platform
