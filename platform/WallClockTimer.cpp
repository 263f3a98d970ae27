#include "platform/WallClockTimer.h"

#include <utility>

namespace platform {

WallClockTimer::WallClockTimer(int descriptor, QDateTime deadline, qint64 intervalMs)
    : m_descriptor(descriptor), m_deadline(std::move(deadline)), m_intervalMs(intervalMs) {}

}  // namespace platform
