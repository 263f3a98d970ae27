#pragma once

#include "schedule/WindowSeams.h"

class AlarmWindows;

// Stands where the grouped alarm window will: when two or more reminders
// fall due together, each gets an alarm window of its own, as when the user
// asked for individual windows. Without it, a message sent to two people
// would raise no alarm at all when its reminders fell due.
class SeparateAlarms : public RemindMultipleWindow {
public:
    explicit SeparateAlarms(AlarmWindows& alarms) : m_alarms(alarms) {}

    // Opens a new alarm window for every overdue reminder (due earlier than
    // a minute from now), from the last to the first.
    void Show(const std::shared_ptr<engine::IEngine>& engine) override;
    // The windows are closed with the other alarm windows.
    void Unload() override {}

private:
    AlarmWindows& m_alarms;
};
