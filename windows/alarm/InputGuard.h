#pragma once

#include <QObject>

class QWidget;

// Keeps the keyboard off an alarm window for a moment after it comes to the
// front. An alarm can appear while the user is typing elsewhere; without
// this, the next keys would go into its snooze box and an Enter meant for a
// message would snooze the reminder. Only keys are held back: a click is
// aimed at what the user sees.
//
// The moment is measured by a window timer (platform::Timers()), so tests
// end it by moving the simulated clock.
class InputGuard : public QObject {
public:
    static constexpr qint32 kGuardMs = 1000;

    explicit InputGuard(QWidget& window);
    ~InputGuard() override;
    InputGuard(const InputGuard&) = delete;
    InputGuard& operator=(const InputGuard&) = delete;

    // Holds keys back from now for kGuardMs (again from now when already on).
    void Start();
    // Lets keys through again.
    void End();
    bool Active() const { return m_timer != 0; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_window;
    quint32 m_timer = 0;
};
