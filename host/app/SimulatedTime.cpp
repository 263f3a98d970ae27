#include "host/app/SimulatedTime.h"

#include <algorithm>

namespace host::app {

quint32 ClockTimers::SetTimer(qint32 delayMs, Callback callback) {
    const qint64 delay = std::max<qint64>(delayMs < 0 ? 0x7fffffff : delayMs, 10);
    const quint32 id = m_nextId++;
    m_timers[id] = Entry{delay, m_clock.Now().addMSecs(delay), std::move(callback)};
    return id;
}

bool ClockTimers::KillTimer(quint32 id) {
    return m_timers.erase(id) > 0;
}

void ClockTimers::AdvanceTo(const QDateTime& when) {
    for (;;) {
        auto next = std::min_element(
            m_timers.begin(), m_timers.end(),
            [](const auto& a, const auto& b) { return a.second.due < b.second.due; });
        if (next == m_timers.end() || next->second.due > when)
            break;
        if (next->second.due > m_clock.Now())
            m_clock.Set(next->second.due);
        next->second.due = m_clock.Now().addMSecs(next->second.delayMs);
        // The callback may kill or set timers, this one included.
        const Callback callback = next->second.callback;
        callback();
    }
    if (when > m_clock.Now())
        m_clock.Set(when);
}

void ClockTimers::SetTo(const QDateTime& when) {
    if (when >= m_clock.Now()) {
        AdvanceTo(when);
        return;
    }
    const qint64 back = when.msecsTo(m_clock.Now());
    for (auto& [id, entry] : m_timers) entry.due = entry.due.addMSecs(-back);
    m_clock.Set(when);
}

}  // namespace host::app
