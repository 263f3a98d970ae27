#pragma once

// The windows the add-in opens, as the code below them sees them. Each window
// fills its seam when it is built; until then the seam does nothing, and a
// test puts a recorder in its place to see which windows opened for which
// reminders.

#include <QString>
#include <memory>

#include "addin/contracts/HostEngine.h"

class CReminderItem;
class QWidget;

// The single-reminder alarm window: the one shared instance, or a new window
// per reminder when the user asked for individual windows.
class RemindWindows {
public:
    virtual ~RemindWindows() = default;
    virtual void ShowNew(const std::shared_ptr<engine::IEngine>&,
                         const std::shared_ptr<CReminderItem>&) {}
    virtual void ShowShared(const std::shared_ptr<engine::IEngine>&,
                            const std::shared_ptr<CReminderItem>&) {}
    // Unloads every alarm window, the shared one and those opened one per
    // reminder (each saves and notifies as it closes): none may outlive the
    // add-in's collection.
    virtual void UnloadAll() {}
};

// The grouped alarm window (one shared instance).
class RemindMultipleWindow {
public:
    virtual ~RemindMultipleWindow() = default;
    virtual void Show(const std::shared_ptr<engine::IEngine>&) {}
    virtual void Unload() {}
};

// The pending-reminders window (one shared instance).
class ViewRemindersWindow {
public:
    virtual ~ViewRemindersWindow() = default;
    virtual void Show(const std::shared_ptr<engine::IEngine>&) {}
    virtual bool IsVisible() { return false; }
    virtual QWidget* Widget() { return nullptr; }
    // Refills the list, loading the window hidden when it is not loaded.
    virtual void FillGrid() {}
    virtual void Unload() {}
    // Drops the shared instance; the next use makes a new one.
    virtual void Drop() {}
};

// The reminder-details window, shown modal over a reminder.
class DisplayExWindow {
public:
    virtual ~DisplayExWindow() = default;
    virtual void ShowModal(const QString&, const std::shared_ptr<CReminderItem>&) {}
};

// The seams in force. Members are never null: each starts as a do-nothing
// instance; Install puts others in place (not owned; nullptr restores the
// do-nothing one).
struct WindowSeams {
    static RemindWindows& Remind();
    static RemindMultipleWindow& RemindMultiple();
    static ViewRemindersWindow& ViewReminders();
    static DisplayExWindow& DisplayEx();

    static void Install(RemindWindows* windows);
    static void Install(RemindMultipleWindow* window);
    static void Install(ViewRemindersWindow* window);
    static void Install(DisplayExWindow* window);
};
