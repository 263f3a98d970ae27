#include "platform/QtWindowTimers.h"

#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <utility>

#include "platform/WallClock.h"

namespace platform {

namespace {
constexpr qint32 kShortestDelayMs = 10;
constexpr qint32 kLongestDelayMs = 0x7FFFFFFF;
}  // namespace

QtWindowTimers::QtWindowTimers(QString zoneFile) : m_zoneFile(std::move(zoneFile)) {}

QtWindowTimers::~QtWindowTimers() {
    for (WallClockTimer* timer : std::as_const(m_timers)) {
        Release(timer);
        delete timer;
    }
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

    const int fd = CreateTimerFd();
    if (fd < 0) {
        m_lastError = kErrorNoResources;
        return 0;
    }
    // The deadline is fixed now, on the wall clock: whatever happens to the
    // clock meanwhile, the timer is due when the wall clock reads it.
    auto* timer = new WallClockTimer(fd, WallClockAt(RealTimeMs()).addMSecs(interval), interval);
    if (Arm(*timer) != 0) {
        Release(timer);
        delete timer;
        m_lastError = kErrorNoResources;
        return 0;
    }
    timer->m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, timer);
    QObject::connect(timer->m_notifier, &QSocketNotifier::activated, timer,
                     [this, timer] { Readable(timer); });
    QObject::connect(timer, &WallClockTimer::timeout, timer, [callback = std::move(callback)] {
        // A copy: the callback may kill its own timer, which disconnects (and
        // so destroys) this lambda while it runs.
        const Callback run = callback;
        if (run)
            run();
    });

    quint32 id = m_nextId;
    while (id == 0 || m_timers.contains(id)) ++id;
    m_nextId = id + 1;
    m_timers.insert(id, timer);
    WatchZone();
    return id;
}

bool QtWindowTimers::KillTimer(quint32 id) {
    WallClockTimer* timer = m_timers.take(id);
    if (!timer)
        return false;
    Release(timer);
    QObject::disconnect(timer, &WallClockTimer::timeout, nullptr, nullptr);
    // Later: the timer may be the one whose timeout is being delivered now.
    timer->deleteLater();
    return true;
}

void QtWindowTimers::ZoneChanged() {
    // A replaced zone file is no longer watched under its name.
    if (m_zoneWatcher && !m_zoneWatcher->files().contains(m_zoneFile) &&
        QFileInfo::exists(m_zoneFile))
        m_zoneWatcher->addPath(m_zoneFile);
    for (WallClockTimer* timer : std::as_const(m_timers)) Arm(*timer);
}

int QtWindowTimers::Arm(WallClockTimer& timer) {
    return ArmTimerFd(timer.m_descriptor, FirstInstantReading(timer.m_deadline, RealTimeMs()));
}

void QtWindowTimers::Readable(WallClockTimer* timer) {
    const int result = ReadTimerFd(timer->m_descriptor);
    if (result == ECANCELED) {
        // The clock was set. The deadline stands on the wall clock; only the
        // instant at which the clock will read it may have moved.
        Arm(*timer);
        return;
    }
    if (result != 0)
        return;
    const QDateTime now = WallClockAt(RealTimeMs());
    if (now < timer->m_deadline) {
        // Early: the zone changed before its file said so.
        Arm(*timer);
        return;
    }
    // Once, however many deadlines went by (the machine slept, the clock was
    // set forward); the next is the first still to come.
    const qint64 passed = timer->m_deadline.msecsTo(now) / timer->m_intervalMs + 1;
    timer->m_deadline = timer->m_deadline.addMSecs(passed * timer->m_intervalMs);
    Arm(*timer);
    emit timer->timeout();
}

void QtWindowTimers::WatchZone() {
    if (m_zoneWatcher)
        return;
    m_zoneWatcher = std::make_unique<QFileSystemWatcher>();
    // The file itself for a zone file edited in place, its folder for one
    // replaced by another (a new link put in its place).
    const QFileInfo zone(m_zoneFile);
    if (zone.exists())
        m_zoneWatcher->addPath(m_zoneFile);
    if (QFileInfo(zone.absolutePath()).isDir())
        m_zoneWatcher->addPath(zone.absolutePath());
    QObject::connect(m_zoneWatcher.get(), &QFileSystemWatcher::fileChanged, m_zoneWatcher.get(),
                     [this] { ZoneChanged(); });
    QObject::connect(m_zoneWatcher.get(), &QFileSystemWatcher::directoryChanged,
                     m_zoneWatcher.get(), [this] { ZoneChanged(); });
}

void QtWindowTimers::Release(WallClockTimer* timer) {
    if (timer->m_notifier)
        timer->m_notifier->setEnabled(false);
    if (timer->m_descriptor >= 0)
        CloseTimerFd(timer->m_descriptor);
    timer->m_descriptor = -1;
}

qint64 QtWindowTimers::RealTimeMs() const {
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

int QtWindowTimers::CreateTimerFd() {
    const int fd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    return fd < 0 ? -errno : fd;
}

int QtWindowTimers::ArmTimerFd(int fd, qint64 epochMs) {
    struct itimerspec expiry {};
    expiry.it_value.tv_sec = static_cast<time_t>(epochMs / 1000);
    expiry.it_value.tv_nsec = static_cast<long>(epochMs % 1000) * 1000000;
    // All zero would disarm the timer rather than make it due.
    if (expiry.it_value.tv_sec <= 0 && expiry.it_value.tv_nsec <= 0) {
        expiry.it_value.tv_sec = 0;
        expiry.it_value.tv_nsec = 1;
    }
    const int flags = TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET;
    return timerfd_settime(fd, flags, &expiry, nullptr) == 0 ? 0 : errno;
}

int QtWindowTimers::ReadTimerFd(int fd) {
    std::uint64_t expirations = 0;
    const ssize_t got = ::read(fd, &expirations, sizeof expirations);
    if (got == sizeof expirations)
        return 0;
    return got < 0 ? errno : EAGAIN;
}

void QtWindowTimers::CloseTimerFd(int fd) {
    ::close(fd);
}

}  // namespace platform
