#include "windows/alarm/InputGuard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include "platform/Env.h"

InputGuard::InputGuard(QWidget& window) : m_window(window) {}

InputGuard::~InputGuard() {
    End();
}

void InputGuard::Start() {
    End();
    m_timer = platform::Timers().SetTimer(kGuardMs, [this] { End(); });
    // A timer that cannot be had must not leave the window deaf to keys.
    if (m_timer != 0 && QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
}

void InputGuard::End() {
    if (m_timer == 0)
        return;
    platform::Timers().KillTimer(m_timer);
    m_timer = 0;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

bool InputGuard::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
            break;
        default:
            return false;
    }
    // Keys for the window's own controls (its accelerators included) are
    // dropped; other windows get theirs as ever.
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget && widget->window() == &m_window;
}
