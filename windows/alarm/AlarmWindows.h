#pragma once

#include <QPointer>
#include <vector>

#include "schedule/WindowSeams.h"
#include "windows/alarm/frmRemind.h"
#include "windows/alarm/frmRemindMultiple.h"

// The single-reminder alarm windows the alarm timer opens: a new window per
// overdue reminder (each deleted once closed), or the one shared window.
class AlarmWindows : public RemindWindows {
public:
    AlarmWindows() = default;
    // Deletes the windows still open without unloading them (nothing is
    // saved): the owner is going away.
    ~AlarmWindows() override;
    AlarmWindows(const AlarmWindows&) = delete;
    AlarmWindows& operator=(const AlarmWindows&) = delete;

    // A new window for the reminder, shown modeless.
    void ShowNew(const std::shared_ptr<engine::IEngine>& engine,
                 const std::shared_ptr<CReminderItem>& reminder) override;

    // The shared window for the reminder. Already open for that very
    // reminder, it is only brought to the front (what the user typed stays).
    // Open for another reminder, it is unloaded first (saving and notifying
    // as every close does; that reminder is left as it was) and loaded
    // again for the new one: a window must never show one reminder while
    // its buttons act on another.
    void ShowShared(const std::shared_ptr<engine::IEngine>& engine,
                    const std::shared_ptr<CReminderItem>& reminder) override;

    // Closes every loaded alarm window, the shared one and those opened per
    // reminder, which unloads each (saving and notifying). The add-in calls
    // it while shutting down, before it releases the collection.
    void UnloadAll() override;

    // The shared window; null until first used.
    frmRemind* Shared() const { return m_shared; }

private:
    QPointer<frmRemind> m_shared;
    std::vector<QPointer<frmRemind>> m_opened;
};

// The grouped alarm window the alarm timer opens when two or more reminders
// are overdue: one shared instance, made on first use.
class RemindMultipleWindows : public RemindMultipleWindow {
public:
    RemindMultipleWindows() = default;
    // Deletes the window without unloading it (nothing is saved): the owner
    // is going away.
    ~RemindMultipleWindows() override;
    RemindMultipleWindows(const RemindMultipleWindows&) = delete;
    RemindMultipleWindows& operator=(const RemindMultipleWindows&) = delete;

    // Sets the engine and shows the window modeless, loading it when it is
    // not loaded. Already open, it only comes to the front: the grid is not
    // refilled, so the user's selection, sort and typing stay. A snooze list
    // that cannot be read passes to the caller, which reports it.
    void Show(const std::shared_ptr<engine::IEngine>& engine) override;
    // Unloads a loaded window (the add-in is shutting down).
    void Unload() override;

    // The shared window; null until first used.
    frmRemindMultiple* Shared() const { return m_window; }

private:
    QPointer<frmRemindMultiple> m_window;
};
