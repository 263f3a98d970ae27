#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>

#include "tests/addin/AddinFixture.h"
#include "windows/alarm/AlarmWindows.h"
#include "windows/alarm/frmRemind.h"

namespace {

using testing_support::AddinFixture;

// The add-in in the substitute engine and mail client, with the real alarm
// window and the fake clock: from sending with a reminder to the reply that
// ends it.
class EndToEndTest : public AddinFixture {
protected:
    EndToEndTest() {
        QApplication::setQuitOnLastWindowClosed(false);
        WindowSeams::Install(&alarms);
        Start();
        explorer = model->OpenExplorer(Inbox());
        env.windows.onKeys = [this](QWidget*, const QString& keys) {
            if (keys == "^{ENTER}" && composing)
                model->Send(composing);
        };
    }
    ~EndToEndTest() override {
        engineObject->Shutdown();
        WindowSeams::Install(&windows.remind);
    }

    void SendWithReminder(const QString& subject, const QString& to) {
        composing = Message(subject, {"to:" + to});
        auto inspector = model->OpenInspector(composing);
        ASSERT_EQ(engineObject->ClickButton(inspector, CChasewell::kSendWithReminderButton), 0);
        composing.reset();
    }

    static frmRemind* OpenAlarm() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<frmRemind*>(widget); window && window->isVisible())
                return window;
        return nullptr;
    }

    AlarmWindows alarms;
    std::shared_ptr<host::HostExplorer> explorer;
    std::shared_ptr<host::HostMailItem> composing;
};

TEST_F(EndToEndTest, SendRemindSnoozeDismissAndReply) {
    SendWithReminder("Budget", "pat@example.com");
    ASSERT_EQ(Reminders().Count(), 1);
    auto reminder = Reminders().Item(1);
    auto copy = SentItems()->Contents().back();
    EXPECT_EQ(reminder->EntryId(), copy->EntryID()) << "the sent copy updated the reminder";
    EXPECT_TRUE(DataFileBytes().contains("EntryId: " + copy->EntryID().toUtf8()));
    EXPECT_EQ(RemindTimer::NextReminderTime, "3/14/2024 08:00 AM");

    // The clock reaches the due minute: the alarm window opens.
    env.timers.AdvanceTo(platform::MakeDateTime(QDate(2024, 3, 14), QTime(7, 59, 59)));
    EXPECT_EQ(OpenAlarm(), nullptr);
    env.timers.AdvanceTo(platform::MakeDateTime(QDate(2024, 3, 14), QTime(8, 0, 0)));
    frmRemind* alarm = OpenAlarm();
    ASSERT_NE(alarm, nullptr);
    EXPECT_EQ(alarm->windowTitle(), "Chasewell Alarm for 3/14/2024 08:00 AM");

    // Snoozing re-arms the timer and saves.
    alarm->findChild<QComboBox*>("cboSnooze")->setCurrentText("1 hour");
    alarm->findChild<QPushButton*>("cmdSnooze")->click();
    EXPECT_EQ(OpenAlarm(), nullptr);
    EXPECT_EQ(reminder->ReminderDateText(), "3/14/2024 9:00:00 AM");
    EXPECT_EQ(RemindTimer::NextReminderTime, "3/14/2024 09:00 AM");
    EXPECT_TRUE(DataFileBytes().contains("ReminderDate: 3/14/2024 9:00:00 AM"));

    // It falls due again; dismissing removes it from the data file.
    env.timers.AdvanceTo(platform::MakeDateTime(QDate(2024, 3, 14), QTime(9, 0, 0)));
    alarm = OpenAlarm();
    ASSERT_NE(alarm, nullptr);
    alarm->findChild<QPushButton*>("cmdDismiss")->click();
    EXPECT_EQ(Reminders().Count(), 0);
    EXPECT_FALSE(DataFileBytes().contains("pat@example.com"));

    // A reply ends a reminder only when the user allows it.
    SendWithReminder("Plans", "lee@example.com");
    model->Deliver(Inbox(), Reply("lee@example.com", "RE: Plans"));
    EXPECT_EQ(Reminders().Count(), 1);
    SetSetting("Remove", "True");
    windows.events.clear();
    model->Deliver(Inbox(), Reply("lee@example.com", "RE: Plans"));
    EXPECT_EQ(Reminders().Count(), 0);
    EXPECT_EQ(windows.events, QStringList{"FillGrid"});
    EXPECT_TRUE(log.Errors().empty());
    EXPECT_TRUE(engineObject->FailedCalls().empty());
}

}  // namespace
