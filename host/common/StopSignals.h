#pragma once

#include <csignal>
#include <memory>

class QSocketNotifier;

namespace host {

// Ctrl+C in the terminal, or a polite kill, ends a program the way closing
// it does (the event loop quits, and the add-in shuts down and saves its
// reminders) for as long as the object lives. The handler only writes a
// byte; the event loop does the rest.
class QuitOnStopSignals {
public:
    QuitOnStopSignals();
    ~QuitOnStopSignals();
    QuitOnStopSignals(const QuitOnStopSignals&) = delete;
    QuitOnStopSignals& operator=(const QuitOnStopSignals&) = delete;

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_previousInt = {};
    struct sigaction m_previousTerm = {};
};

}  // namespace host
