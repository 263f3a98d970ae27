#pragma once

// Plays the user in modal windows that a call under test opens (exec runs a
// nested event loop, so the test cannot act while the call waits). Every
// 10 ms the player looks at the active modal window; when it is the one the
// next step names, the step runs on it. A step must not block: it queues its
// clicks (QueueClick) so that a modal opened by them is played too.
//
// A deadline keeps a broken test from hanging: once it has passed, every
// open modal window is rejected and the failure recorded.

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <deque>
#include <functional>

namespace testing_support {

class ModalPlayer {
public:
    using Step = std::function<void(QWidget*)>;

    explicit ModalPlayer(int deadlineMs = 10000)
        : m_deadlineMs(deadlineMs), m_baseLevel(QThread::currentThread()->loopLevel()) {
        m_clock.start();
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start();
    }

    // The next modal window with that object name gets this step.
    void Then(const QString& window, Step step) { m_steps.push_back({window, std::move(step)}); }

    bool Done() const { return m_steps.empty(); }
    bool TimedOut() const { return m_timedOut; }
    int Played() const { return m_played; }

    // Clicks a button once the step has returned.
    static void QueueClick(QWidget* window, const char* button) {
        QWidget* control = window->findChild<QWidget*>(QLatin1String(button));
        if (control)
            QMetaObject::invokeMethod(control, "click", Qt::QueuedConnection);
    }

private:
    struct Pending {
        QString window;
        Step step;
    };

    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (m_clock.elapsed() > m_deadlineMs) {
            m_timedOut = true;
            for (int i = 0; i < 20 && (modal = QApplication::activeModalWidget()); ++i) {
                if (auto* dialog = qobject_cast<QDialog*>(modal))
                    dialog->reject();
                else
                    modal->close();
            }
            m_steps.clear();
            return;
        }
        if (!modal || m_steps.empty() || modal->objectName() != m_steps.front().window)
            return;
        // A modal window that just closed has not yet left its loop: the
        // call that opened it has not seen the result (the details window
        // still shows its old date). The window under it is played once that
        // loop has ended.
        if (QThread::currentThread()->loopLevel() > m_baseLevel + VisibleModalWindows())
            return;
        // A window already played stays active until its queued click runs.
        if (modal == m_last && modal->isVisible())
            return;
        m_last = modal;
        Step step = std::move(m_steps.front().step);
        m_steps.pop_front();
        ++m_played;
        step(modal);
    }

    static int VisibleModalWindows() {
        int open = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->isVisible() && widget->isModal())
                ++open;
        return open;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    int m_deadlineMs;
    int m_baseLevel;
    std::deque<Pending> m_steps;
    QPointer<QWidget> m_last;
    int m_played = 0;
    bool m_timedOut = false;
};

}  // namespace testing_support
