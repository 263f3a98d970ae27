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

void ManualTimers::Fire(quint32 id) {
    Entry& entry = m_timers.at(id);
    const QDateTime now = m_clock.Now();
    // Repeats from its last deadline; deadlines that went by meanwhile are
    // skipped, not fired one after another.
    const qint64 passed = std::max<qint64>(entry.due.msecsTo(now), 0) / entry.delayMs + 1;
    entry.due = entry.due.addMSecs(passed * entry.delayMs);
    Callback callback = entry.callback;  // the callback may kill its own timer
    if (callback)
        callback();
}

bool ManualTimers::FireNext() {
    if (m_timers.empty())
        return false;
    auto next =
        std::min_element(m_timers.begin(), m_timers.end(),
                         [](const auto& a, const auto& b) { return a.second.due < b.second.due; });
    // An overdue timer (the test moved the clock past it with Set) fires now,
    // once, as a real one does: the clock never runs backwards.
    if (m_clock.Now() < next->second.due)
        m_clock.Set(next->second.due);
    Fire(next->first);
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

void ManualTimers::SetTo(const QDateTime& when) {
    const bool forwards = when > m_clock.Now();
    m_clock.Set(when);
    if (!forwards)
        return;
    // The timers the jump passed, earliest deadline first (ids break ties),
    // each fired once unless an earlier one's callback killed it.
    std::vector<std::pair<QDateTime, quint32>> passed;
    for (const auto& [id, entry] : m_timers)
        if (entry.due <= when)
            passed.emplace_back(entry.due, id);
    std::sort(passed.begin(), passed.end());
    for (const auto& [due, id] : passed) {
        auto entry = m_timers.find(id);
        if (entry != m_timers.end() && entry->second.due <= m_clock.Now())
            Fire(id);
    }
}

void ManualTimers::Suspend(qint64 ms) {
    SetTo(m_clock.Now().addMSecs(ms));
}

void ManualTimers::SuspendUntil(const QDateTime& wake) {
    SetTo(wake);
}

std::vector<ManualTimers::Armed> ManualTimers::ArmedTimers() const {
    std::vector<Armed> armed;
    for (const auto& [id, entry] : m_timers) armed.push_back(Armed{id, entry.delayMs, entry.due});
    return armed;
}

}  // namespace platform
