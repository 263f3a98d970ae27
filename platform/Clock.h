#pragma once

#include <QDateTime>

namespace platform {

// Date and time values throughout the system are wall-clock local times
// without a zone, as the original platform's dates were: a QDateTime whose
// spec is Qt::UTC is used as a plain calendar value, so that adding days or
// months and counting minutes never shift around daylight-saving changes.
// MakeDateTime and ToWallClock convert to and from that form.
QDateTime MakeDateTime(const QDate& date, const QTime& time);
QDateTime ToWallClock(const QDateTime& anyDateTime);

class Clock {
public:
    virtual ~Clock() = default;
    // The current local date and time (wall clock, see above), with seconds
    // and milliseconds.
    virtual QDateTime Now() const = 0;
};

// Reads the system clock.
class SystemClock : public Clock {
public:
    QDateTime Now() const override;
};

}  // namespace platform
