#pragma once

#include <QDateTime>

namespace platform {

// Between instants (milliseconds since the epoch, as the real-time clock
// counts them) and the local wall clock in the zone-less form of Clock.h.
// Both follow the system's time zone as it is at the call, so a zone change
// is seen at the next call.

// The local wall clock at an instant, with milliseconds.
QDateTime WallClockAt(qint64 epochMs);

// The first instant at or after fromEpochMs at which the local wall clock
// reads `wall` or later: fromEpochMs itself when it already does. A time that
// a daylight-saving step skips is reached at the step; a time that the step
// back repeats is reached the first time it comes after fromEpochMs.
qint64 FirstInstantReading(const QDateTime& wall, qint64 fromEpochMs);

}  // namespace platform
