#pragma once

// Stands in for the add-in's windows and records what was asked of them, in
// one log, in order, as short lines ("ShowNew pat@example.com", "FillGrid").

#include <QStringList>
#include <functional>

#include "schedule/WindowSeams.h"
#include "store/CReminderItem.h"

namespace testing_support {

struct RecordingRemind : RemindWindows {
    explicit RecordingRemind(QStringList& log) : events(log) {}
    void ShowNew(const std::shared_ptr<engine::IEngine>&,
                 const std::shared_ptr<CReminderItem>& item) override {
        events << "ShowNew " + item->EmailAddress();
    }
    void ShowShared(const std::shared_ptr<engine::IEngine>&,
                    const std::shared_ptr<CReminderItem>& item) override {
        events << "ShowShared " + item->EmailAddress();
    }
    void UnloadAll() override { events << "UnloadRemind"; }
    QStringList& events;
};

struct RecordingRemindMultiple : RemindMultipleWindow {
    explicit RecordingRemindMultiple(QStringList& log) : events(log) {}
    void Show(const std::shared_ptr<engine::IEngine>&) override { events << "ShowMultiple"; }
    void Unload() override { events << "UnloadMultiple"; }
    QStringList& events;
};

struct RecordingViewReminders : ViewRemindersWindow {
    explicit RecordingViewReminders(QStringList& log) : events(log) {}
    void Show(const std::shared_ptr<engine::IEngine>&) override {
        events << "ShowList";
        visible = true;
    }
    bool IsVisible() override { return visible; }
    void FillGrid() override { events << "FillGrid"; }
    void Unload() override {
        events << "UnloadList";
        visible = false;
    }
    void Drop() override { events << "DropList"; }
    QStringList& events;
    bool visible = false;
};

struct RecordingDisplayEx : DisplayExWindow {
    explicit RecordingDisplayEx(QStringList& log) : events(log) {}
    void ShowModal(const QString& nextReminderTime,
                   const std::shared_ptr<CReminderItem>& reminder) override {
        events << "ShowDetails " + nextReminderTime;
        if (play)
            play(*reminder);
    }
    QStringList& events;
    // Plays the user in the details window: may change the reminder.
    std::function<void(CReminderItem&)> play;
};

// All four, installed for as long as the object lives.
struct RecordingWindows {
    RecordingWindows() {
        WindowSeams::Install(&remind);
        WindowSeams::Install(&multiple);
        WindowSeams::Install(&list);
        WindowSeams::Install(&details);
    }
    ~RecordingWindows() {
        WindowSeams::Install(static_cast<RemindWindows*>(nullptr));
        WindowSeams::Install(static_cast<RemindMultipleWindow*>(nullptr));
        WindowSeams::Install(static_cast<ViewRemindersWindow*>(nullptr));
        WindowSeams::Install(static_cast<DisplayExWindow*>(nullptr));
    }
    RecordingWindows(const RecordingWindows&) = delete;
    RecordingWindows& operator=(const RecordingWindows&) = delete;

    QStringList events;
    RecordingRemind remind{events};
    RecordingRemindMultiple multiple{events};
    RecordingViewReminders list{events};
    RecordingDisplayEx details{events};
};

}  // namespace testing_support
