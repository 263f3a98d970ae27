#include "platform/WallClock.h"

#include <time.h>

#include <algorithm>
#include <optional>

#include "platform/Clock.h"

namespace platform {

namespace {

constexpr qint64 kMsPerSecond = 1000;

qint64 FloorDiv(qint64 a, qint64 b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// The wall clock of a whole second, in the zone as it is now.
QDateTime WallClockAtSecond(time_t second) {
    struct tm local {};
    localtime_r(&second, &local);
    return MakeDateTime(QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
                        QTime(local.tm_hour, local.tm_min, local.tm_sec));
}

// The instant at which the wall clock reads `wall` (whole seconds) when the
// zone's daylight-saving flag is isDst, if the clock ever reads it so.
std::optional<time_t> Representation(const QDateTime& wall, int isDst) {
    struct tm local {};
    local.tm_year = wall.date().year() - 1900;
    local.tm_mon = wall.date().month() - 1;
    local.tm_mday = wall.date().day();
    local.tm_hour = wall.time().hour();
    local.tm_min = wall.time().minute();
    local.tm_sec = wall.time().second();
    local.tm_isdst = isDst;
    const time_t second = mktime(&local);
    // mktime moves a time with the wrong flag to another reading; only an
    // exact one is a moment at which the clock reads `wall`.
    if (WallClockAtSecond(second) != wall)
        return std::nullopt;
    return second;
}

}  // namespace

QDateTime WallClockAt(qint64 epochMs) {
    // The zone may have changed since the last call.
    tzset();
    const qint64 second = FloorDiv(epochMs, kMsPerSecond);
    return WallClockAtSecond(static_cast<time_t>(second)).addMSecs(epochMs - second * kMsPerSecond);
}

qint64 FirstInstantReading(const QDateTime& wall, qint64 fromEpochMs) {
    const QDateTime nowWall = WallClockAt(fromEpochMs);
    if (nowWall >= wall)
        return fromEpochMs;
    const int fraction = wall.time().msec();
    const QDateTime wholeSeconds = wall.addMSecs(-fraction);

    // Usually one reading; two when the clock goes back over it (the
    // earliest still to come is wanted).
    std::optional<qint64> best;
    for (int isDst : {0, 1}) {
        if (auto second = Representation(wholeSeconds, isDst)) {
            const qint64 instant = qint64(*second) * kMsPerSecond + fraction;
            if (instant >= fromEpochMs && (!best || instant < *best))
                best = instant;
        }
    }
    if (best)
        return *best;

    // None: the clock skips over `wall`, which is then reached where the
    // clock jumps past it. Search between now (before) and a moment at which
    // the clock reads later (after), with no other step in between.
    qint64 before = fromEpochMs;
    qint64 after = fromEpochMs + std::max<qint64>(nowWall.msecsTo(wall), 1);
    for (int hours = 0; WallClockAt(after) < wall && hours < 48; ++hours)
        after += 3600 * kMsPerSecond;
    while (after - before > 1) {
        const qint64 middle = before + (after - before) / 2;
        if (WallClockAt(middle) >= wall)
            after = middle;
        else
            before = middle;
    }
    return after;
}

}  // namespace platform
