#pragma once

#include <QtGlobal>
#include <functional>

namespace platform {

// Window timers as the original platform's SetTimer/KillTimer offered them: a
// timer repeats every delay until it is killed; ids are non-zero; 0 means the
// timer was refused and LastError() says why. Callbacks run on the UI thread
// from the event loop, never inside SetTimer.
class WindowTimers {
public:
    using Callback = std::function<void()>;
    virtual ~WindowTimers() = default;

    virtual quint32 SetTimer(qint32 delayMs, Callback callback) = 0;
    // False when no timer has that id.
    virtual bool KillTimer(quint32 id) = 0;
    // The error code of the last refused SetTimer.
    virtual quint32 LastError() const = 0;
};

}  // namespace platform
