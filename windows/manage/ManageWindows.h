#pragma once

#include <QPointer>

#include "schedule/WindowSeams.h"
#include "windows/manage/frmDisplayEx.h"
#include "windows/manage/frmViewReminders.h"

// The pending-reminders window as the add-in reaches it: one shared
// instance, made on first use, kept loaded or not until Drop.
class ViewRemindersWindows : public ViewRemindersWindow {
public:
    ViewRemindersWindows() = default;
    // Deletes the window without unloading it (nothing is saved): the owner
    // is going away.
    ~ViewRemindersWindows() override;
    ViewRemindersWindows(const ViewRemindersWindows&) = delete;
    ViewRemindersWindows& operator=(const ViewRemindersWindows&) = delete;

    // Sets the engine and shows the window modeless (loading it when it is
    // not loaded); an open window comes to the front.
    void Show(const std::shared_ptr<engine::IEngine>& engine) override;
    bool IsVisible() override;
    QWidget* Widget() override;
    // Refills the window, loading it hidden when it is not loaded.
    void FillGrid() override;
    void Unload() override;
    // Deletes the shared instance (its Terminate trace); the next use makes
    // a new one.
    void Drop() override;

    // The shared instance; null until first used and after Drop.
    frmViewReminders* Shared() const { return m_window; }

private:
    frmViewReminders& Window();
    QPointer<frmViewReminders> m_window;
};

// The reminder-details window shown modal by sending with a reminder and by
// "Add Reminders": one shared instance.
class DisplayExWindows : public DisplayExWindow {
public:
    DisplayExWindows() = default;
    ~DisplayExWindows() override;
    DisplayExWindows(const DisplayExWindows&) = delete;
    DisplayExWindows& operator=(const DisplayExWindows&) = delete;

    // Returns once the user closed the window.
    void ShowModal(const QString& nextReminderTime,
                   const std::shared_ptr<CReminderItem>& reminder) override;

    frmDisplayEx* Shared() const { return m_window; }

private:
    QPointer<frmDisplayEx> m_window;
};
