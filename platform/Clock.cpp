#include "platform/Clock.h"

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
    // Whole seconds, as the original's clock gave: a fraction would make two
    // readings within one second differ and dates written as text would not
    // read back as the value they were written from.
    const QDateTime local = QDateTime::currentDateTime();
    const QTime time = local.time();
    return MakeDateTime(local.date(), QTime(time.hour(), time.minute(), time.second()));
}

}  // namespace platform
