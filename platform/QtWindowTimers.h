#pragma once

#include <QHash>
#include <QObject>

#include "platform/WindowTimers.h"

class QTimer;

namespace platform {

// Window timers on the UI thread's event loop.
class QtWindowTimers : public WindowTimers {
public:
    QtWindowTimers();
    ~QtWindowTimers() override;

    quint32 SetTimer(qint32 delayMs, Callback callback) override;
    bool KillTimer(quint32 id) override;
    quint32 LastError() const override { return m_lastError; }

private:
    QHash<quint32, QTimer*> m_timers;
    quint32 m_nextId = 1;
    quint32 m_lastError = 0;
};

}  // namespace platform
