#pragma once

#include <QHash>
#include <QObject>

#include "platform/WindowTimers.h"

class QTimer;

namespace platform {

// Window timers on the UI thread's event loop: one repeating QTimer per id.
// Delays below 10 ms become 10 ms and a negative delay is read as the longest
// one, as the original platform did. SetTimer fails with error 1400 when there
// is no application object, or when called off its thread: no event loop
// would deliver the timer.
class QtWindowTimers : public WindowTimers {
public:
    QtWindowTimers();
    ~QtWindowTimers() override;

    quint32 SetTimer(qint32 delayMs, Callback callback) override;
    bool KillTimer(quint32 id) override;
    quint32 LastError() const override { return m_lastError; }

    // The QTimer behind an id, or nullptr when none is armed, so that a test
    // fires it (QMetaObject::invokeMethod(timer, "timeout")) instead of waiting.
    QTimer* TimerObject(quint32 id) const { return m_timers.value(id, nullptr); }

    static constexpr quint32 kErrorNoEventLoop = 1400;

private:
    QHash<quint32, QTimer*> m_timers;
    quint32 m_nextId = 1;
    quint32 m_lastError = 0;
};

}  // namespace platform
