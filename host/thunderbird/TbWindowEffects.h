#pragma once

#include <QString>
#include <functional>

#include "platform/WindowEffects.h"

namespace host::thunderbird {

// Window effects in Thunderbird. The add-in sends a message by sending the
// mail client's send shortcut (Ctrl+Enter) to the compose window in front;
// that window is Thunderbird's, not ours, so the shortcut becomes a request
// to send that compose window (onSendShortcut). Everything else goes to the
// host's own windows as the program does it.
class TbWindowEffects : public platform::WindowEffects {
public:
    explicit TbWindowEffects(platform::WindowEffects& windows) : m_windows(windows) {}

    void SetForegroundWindow(QWidget* window) override { m_windows.SetForegroundWindow(window); }
    void SendKeys(QWidget* window, const QString& keys, bool wait) override;

    // Carries out the send shortcut; false when no compose window of
    // Thunderbird is meant (the keys then go to the host's own window).
    std::function<bool()> onSendShortcut;

private:
    platform::WindowEffects& m_windows;
};

}  // namespace host::thunderbird
