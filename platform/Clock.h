#pragma once

#include <QByteArray>
#include <QDateTime>

namespace platform {

// Date and time values throughout the system are wall-clock local times
// without a zone, as the original platform's dates were: a QDateTime whose
// spec is Qt::UTC is used as a plain calendar value, so that adding days or
// months and counting minutes never shift around daylight-saving changes.
// MakeDateTime builds that form; ToWallClock takes an instant in any spec
// (a file time, a mail's sent time with its offset) to the local wall clock
// in that form. ToWallClock is not for values already in wall-clock form.
QDateTime MakeDateTime(const QDate& date, const QTime& time);
QDateTime ToWallClock(const QDateTime& anyDateTime);

class Clock {
public:
    virtual ~Clock() = default;
    // The current local date and time (wall clock, see above), with seconds
    // and milliseconds.
    virtual QDateTime Now() const = 0;
};

// Reads the system clock, to whole seconds.
//
// Working out the local time of an instant is slow (the time zone's rules
// are consulted every time), and the clock is read for every line of the
// engine's log, thousands of times a second while the data file loads. So
// each second's local time is worked out once, and again whenever the time
// zone (the TZ variable) changes.
class SystemClock : public Clock {
public:
    QDateTime Now() const override;

private:
    mutable qint64 m_second = -1;
    mutable bool m_zoneSet = false;
    mutable QByteArray m_zone;
    mutable QDateTime m_now;
};

}  // namespace platform
