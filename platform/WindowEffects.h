#pragma once

#include <QString>

class QWidget;

namespace platform {

// Effects on top-level windows that the original got from the operating
// system: bringing a window to the front, and keystrokes sent to a window.
class WindowEffects {
public:
    virtual ~WindowEffects() = default;

    // Brings the window to the front and gives it the focus.
    virtual void SetForegroundWindow(QWidget* window) = 0;
    // Sends a keystroke such as Alt+X ("%x") or Ctrl+Enter ("^{ENTER}") to the
    // window; with wait, returns after the window processed it.
    virtual void SendKeys(QWidget* window, const QString& keys, bool wait) = 0;
};

}  // namespace platform
