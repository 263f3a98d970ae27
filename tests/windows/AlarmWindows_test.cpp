#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTest>

#include "schedule/RemindTimer.h"
#include "tests/windows/AlarmFixture.h"
#include "windows/alarm/AlarmWindows.h"
#include "windows/manage/ReminderGrid.h"

namespace {

using testing_support::AlarmFixture;

class AlarmWindowsTest : public AlarmFixture {
protected:
    AlarmWindowsTest() { WindowSeams::Install(&alarms); }
    ~AlarmWindowsTest() override { WindowSeams::Install(&windows.remind); }

    // The alarm windows on screen, by the address they show.
    static QStringList OpenAlarms() {
        QStringList addresses;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<frmRemind*>(widget); window && window->isVisible())
                addresses << LabelText(window, "lblEmail");
        addresses.sort();
        return addresses;
    }

    AlarmWindows alarms;
};

TEST_F(AlarmWindowsTest, IndividualModeOpensANewWindowPerOverdueReminder) {
    SetSetting("DisplayIndividualReminders", "1");
    AddReminder("pat@example.com", "Budget");
    AddReminder("lee@example.com", "Plans", "3/7/2024 10:00:30 AM");  // within the minute
    AddReminder("sam@example.com", "Later", "3/7/2024 11:00:00 AM");
    RemindTimer::DisplayOverdueReminders();

    EXPECT_EQ(OpenAlarms(), (QStringList{"lee@example.com", "pat@example.com"}));
    EXPECT_EQ(alarms.Shared(), nullptr);
    EXPECT_TRUE(log.Errors().empty());

    // Each window is deleted once closed.
    QPointer<QWidget> first;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<frmRemind*>(widget) && widget->isVisible())
            first = widget;
    ASSERT_TRUE(first);
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(OpenAlarms().size(), 1);

    // Shutting down closes the windows opened per reminder too, each saving
    // and notifying while the collection is still there.
    alarms.UnloadAll();
    EXPECT_TRUE(OpenAlarms().isEmpty());
    EXPECT_EQ(log.TraceMessages("frmRemind.Form_Unload").size(), 2u);
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(AlarmWindowsTest, TwoDueTogetherOpenTheGroupedWindowWhichShownAgainOnlyComesForward) {
    RemindMultipleWindows grouped;
    WindowSeams::Install(&grouped);
    AddReminder("pat@example.com", "Budget", "3/7/2024 10:05:00 AM");
    AddReminder("lee@example.com", "Plans", "3/7/2024 10:05:00 AM");
    AddReminder("sam@example.com", "Later", "3/7/2024 11:00:00 AM");
    RemindTimer::SetNextTimer();
    env.timers.AdvanceTo(platform::MakeDateTime(QDate(2024, 3, 7), QTime(10, 4, 59)));
    EXPECT_EQ(grouped.Shared(), nullptr);
    env.timers.AdvanceTo(platform::MakeDateTime(QDate(2024, 3, 7), QTime(10, 5, 0)));

    frmRemindMultiple* window = grouped.Shared();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Chasewell Alarms");
    EXPECT_EQ(window->grdReminders->Rows(), 4);
    EXPECT_TRUE(OpenAlarms().isEmpty()) << "no single alarm windows";
    EXPECT_EQ(env.windows.foreground, std::vector<QWidget*>{window});
    EXPECT_EQ(RemindTimer::NextReminderTime, "3/7/2024 11:00 AM") << "armed for the next";

    // Shown again while open: to the front, nothing reloaded.
    window->grdReminders->SelectRows({2});
    window->cboSnooze->setEditText("2 days");
    window->grdReminders->GridModel().SetCell(0, 5, "edited in place");
    RemindTimer::DisplayOverdueReminders();
    EXPECT_EQ(grouped.Shared(), window);
    EXPECT_EQ(env.windows.foreground.size(), 2u);
    EXPECT_EQ(window->grdReminders->SelectedRowList(), std::vector<int>{2});
    EXPECT_EQ(window->cboSnooze->currentText(), "2 days");
    EXPECT_EQ(window->grdReminders->TextMatrix(1, 5), "edited in place");

    // Shutting down unloads it; a later alarm loads it afresh.
    grouped.Unload();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(log.TraceMessages("frmViewReminders.Form_Unload"),
              std::vector<QString>{"Unload called"});
    RemindTimer::DisplayOverdueReminders();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->cboSnooze->currentText(), "5 minutes");
    EXPECT_EQ(window->grdReminders->TextMatrix(1, 5), "call pat@example.com");
    WindowSeams::Install(&windows.multiple);
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(AlarmWindowsTest, GroupedModeShowsTheSharedWindowForTheOneOverdueReminder) {
    auto pat = AddReminder("pat@example.com", "Budget");
    AddReminder("sam@example.com", "Later", "3/7/2024 11:00:00 AM");
    RemindTimer::DisplayOverdueReminders();

    ASSERT_NE(alarms.Shared(), nullptr);
    EXPECT_TRUE(alarms.Shared()->isVisible());
    EXPECT_EQ(alarms.Shared()->MyReminderInstance(), pat);
    EXPECT_EQ(OpenAlarms(), QStringList{"pat@example.com"});

    // Shown again for the same reminder: brought forward, not loaded again.
    Note(alarms.Shared())->setPlainText("still typing");
    RemindTimer::DisplayOverdueReminders();
    EXPECT_EQ(log.TraceMessages("frmRemind.Form_Load").size(), 3u);
    EXPECT_EQ(Note(alarms.Shared())->toPlainText(), "still typing");
    EXPECT_EQ(env.windows.foreground.size(), 2u);

    // Unloading it runs the unload; the window is kept for the next alarm.
    alarms.UnloadAll();
    EXPECT_FALSE(alarms.Shared()->isVisible());
    EXPECT_EQ(log.TraceMessages("frmRemind.Form_Unload").size(), 1u);
    alarms.UnloadAll();
    EXPECT_EQ(log.TraceMessages("frmRemind.Form_Unload").size(), 1u);
}

TEST_F(AlarmWindowsTest, TheSharedWindowOpenForAnotherReminderIsReloadedForTheNewOne) {
    auto pat = AddReminder("pat@example.com", "Budget");
    auto lee = AddReminder("lee@example.com", "Plans", "3/7/2024 11:00:00 AM");
    frmRemind* shared = nullptr;
    alarms.ShowShared(engineObject, pat);
    shared = alarms.Shared();
    alarms.ShowShared(engineObject, lee);

    EXPECT_EQ(alarms.Shared(), shared) << "one shared window";
    EXPECT_TRUE(shared->isVisible());
    EXPECT_EQ(LabelText(shared, "lblEmail"), "lee@example.com");
    EXPECT_EQ(shared->MyReminderInstance(), lee);
    EXPECT_EQ(log.TraceMessages("frmRemind.Form_Unload").size(), 1u) << "pat's unloaded first";
    EXPECT_EQ(pat->ReminderDateText(), "3/7/2024 9:00:00 AM");
}

TEST_F(AlarmWindowsTest, AReloadThatFailsShowsNothingOfTheReminderBefore) {
    auto pat = AddReminder("pat@example.com", "Budget");
    auto broken = AddReminder("lee@example.com", "Plans");
    broken->setSentDate("not a date");
    alarms.ShowShared(engineObject, pat);
    alarms.ShowShared(engineObject, broken);

    frmRemind* shared = alarms.Shared();
    EXPECT_EQ(shared->windowTitle(), "Chasewell Alarm");
    EXPECT_EQ(LabelText(shared, "lblEmail"), "");
    EXPECT_EQ(LabelText(shared, "lblSubject"), "");
    EXPECT_EQ(Note(shared)->toPlainText(), "");
    ASSERT_EQ(log.Errors().size(), 1u);
    EXPECT_EQ(log.Errors()[0].source, "Chasewell.frmRemind.Form_Load");

    // Snoozing what the load could not show keeps the note it never showed.
    QTest::mouseClick(Button(shared, "cmdSnooze"), Qt::LeftButton);
    EXPECT_EQ(broken->ReminderDateText(), "3/7/2024 10:05:00 AM");
    EXPECT_EQ(broken->Note(), "call lee@example.com");
}

}  // namespace
