#include "platform/ManualTime.h"

#include <algorithm>

namespace platform {

quint32 ManualTimers::SetTimer(qint32 delayMs, Callback callback) {
    ++m_setCount;
    if (m_refuse) {
        m_lastError = *m_refuse;
        m_refuse.reset();
        return 0;
    }
    // As the original platform: a negative delay reads as a huge unsigned one.
    qint64 delay = delayMs < 0 ? qint64(0x7FFFFFFF) : std::max<qint64>(delayMs, 10);
    const quint32 id = m_nextId++;
    m_timers[id] = Entry{delay, m_clock.Now().addMSecs(delay), std::move(callback)};
    return id;
}

bool ManualTimers::KillTimer(quint32 id) {
    return m_timers.erase(id) > 0;
}

bool ManualTimers::FireNext() {
    if (m_timers.empty())
        return false;
    auto next =
        std::min_element(m_timers.begin(), m_timers.end(),
                         [](const auto& a, const auto& b) { return a.second.due < b.second.due; });
    // An overdue timer (the test moved the clock past it with Set) fires now,
    // once, as a real one does: the clock never runs backwards.
    const QDateTime firedAt = std::max(next->second.due, m_clock.Now());
    m_clock.Set(firedAt);
    // Re-armed before the callback runs, as a repeating timer is.
    next->second.due = firedAt.addMSecs(next->second.delayMs);
    Callback callback = next->second.callback;  // the callback may kill its own timer
    if (callback)
        callback();
    return true;
}

void ManualTimers::AdvanceTo(const QDateTime& when) {
    for (;;) {
        auto next = std::min_element(
            m_timers.begin(), m_timers.end(),
            [](const auto& a, const auto& b) { return a.second.due < b.second.due; });
        if (next == m_timers.end() || next->second.due > when)
            break;
        FireNext();
    }
    if (m_clock.Now() < when)
        m_clock.Set(when);
}

void ManualTimers::Advance(qint64 ms) {
    AdvanceTo(m_clock.Now().addMSecs(ms));
}

std::vector<ManualTimers::Armed> ManualTimers::ArmedTimers() const {
    std::vector<Armed> armed;
    for (const auto& [id, entry] : m_timers) armed.push_back(Armed{id, entry.delayMs, entry.due});
    return armed;
}

void ManualTimers::SetTo(const QDateTime& when) {
    if (when >= m_clock.Now()) {
        AdvanceTo(when);
        return;
    }
    const qint64 back = when.msecsTo(m_clock.Now());
    for (auto& [id, entry] : m_timers) entry.due = entry.due.addMSecs(-back);
    m_clock.Set(when);
}

}  // namespace platform
