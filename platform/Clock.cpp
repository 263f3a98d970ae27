#include "platform/Clock.h"

#include <cstdlib>
#include <ctime>

namespace platform {

QDateTime MakeDateTime(const QDate& date, const QTime& time) {
    return QDateTime(date, time, Qt::UTC);
}

QDateTime ToWallClock(const QDateTime& anyDateTime) {
    if (!anyDateTime.isValid())
        return QDateTime();
    const QDateTime local = anyDateTime.toLocalTime();
    return MakeDateTime(local.date(), local.time());
}

QDateTime SystemClock::Now() const {
    timespec instant{};
    ::clock_gettime(CLOCK_REALTIME, &instant);
    const char* const zone = std::getenv("TZ");
    if (instant.tv_sec == m_second && (zone != nullptr) == m_zoneSet && (!zone || m_zone == zone))
        return m_now;
    // Whole seconds, as the original's clock gave: a fraction would make two
    // readings within one second differ and dates written as text would not
    // read back as the value they were written from.
    const QDateTime local = QDateTime::fromSecsSinceEpoch(instant.tv_sec, Qt::LocalTime);
    m_now = MakeDateTime(local.date(), local.time());
    m_second = instant.tv_sec;
    m_zoneSet = zone != nullptr;
    m_zone = zone ? QByteArray(zone) : QByteArray();
    return m_now;
}

}  // namespace platform
