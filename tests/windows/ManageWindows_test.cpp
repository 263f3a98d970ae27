#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimeEdit>

#include "platform/QtDialogs.h"
#include "tests/addin/AddinFixture.h"
#include "tests/windows/ModalPlayer.h"
#include "windows/manage/ManageWindows.h"
#include "windows/manage/ReminderGrid.h"

namespace {

using testing_support::AddinFixture;
using testing_support::ModalPlayer;

// The add-in in the substitute engine and mail client with the real
// management windows in their seams: what "View Reminders", sending with a
// reminder, "Add Reminders", a reply and shut-down do with them.
class ManageWindowsTest : public AddinFixture {
protected:
    ManageWindowsTest() {
        QApplication::setQuitOnLastWindowClosed(false);
        WindowSeams::Install(&list);
        WindowSeams::Install(&details);
        env.clock.Set("2024-03-04T09:00:00");
        Start();
        explorer = model->OpenExplorer(Inbox());
        env.windows.onKeys = [this](QWidget*, const QString& keys) {
            if (keys == "^{ENTER}" && composing)
                model->Send(composing);
        };
    }
    ~ManageWindowsTest() override {
        engineObject->Shutdown();
        WindowSeams::Install(&windows.list);
        WindowSeams::Install(&windows.details);
    }

    void SendWithReminder(const QString& subject, const QString& to) {
        composing = Message(subject, {"to:" + to});
        auto inspector = model->OpenInspector(composing);
        ASSERT_EQ(engineObject->ClickButton(inspector, CChasewell::kSendWithReminderButton), 0);
        composing.reset();
    }

    ViewRemindersWindows list;
    DisplayExWindows details;
    std::shared_ptr<host::HostExplorer> explorer;
    std::shared_ptr<host::HostMailItem> composing;
};

TEST_F(ManageWindowsTest, WithDisplayNextTheDetailsComeBeforeTheRemindersAreMade) {
    SetSetting("DisplayNext", "1");
    ModalPlayer player;
    player.Then("frmDisplayEx", [](QWidget* window) {
        EXPECT_TRUE(window->isModal());
        EXPECT_EQ(window->findChild<QLabel*>("lblNew")->text(), "3/11/2024 08:00 AM");
        window->findChild<QPlainTextEdit*>("txtNote")->setPlainText("ask about the price");
        ModalPlayer::QueueClick(window, "cmdDate");
    });
    player.Then("frmChangeDate", [](QWidget* dialog) {
        dialog->findChild<QCalendarWidget*>("MonthView")->setSelectedDate(QDate(2024, 3, 20));
        dialog->findChild<QTimeEdit*>("dtpReminderTime")->setTime(QTime(14, 30));
        ModalPlayer::QueueClick(dialog, "cmdOk");
    });
    player.Then("frmDisplayEx", [](QWidget* window) {
        EXPECT_EQ(window->findChild<QLabel*>("lblNew")->text(), "3/20/2024 02:30 PM");
        ModalPlayer::QueueClick(window, "cmdOk");
    });
    SendWithReminder("Budget", "pat@example.com");
    ASSERT_TRUE(player.Done());
    ASSERT_EQ(Reminders().Count(), 1);
    EXPECT_EQ(Reminders().Item(1)->ReminderDateText(), "3/20/2024 02:30 PM");
    EXPECT_EQ(Reminders().Item(1)->Note(), "ask about the price");
    EXPECT_TRUE(DataFileBytes().contains("|Note: ask about the price\r\n"))
        << "the sent copy saved";
    EXPECT_EQ(RemindTimer::NextReminderTime, "3/20/2024 02:30 PM");

    // Any other value shows nothing.
    SetSetting("DisplayNext", "2");
    ModalPlayer none(300);
    none.Then("frmDisplayEx", [](QWidget* window) { ModalPlayer::QueueClick(window, "cmdOk"); });
    SendWithReminder("Plans", "lee@example.com");
    EXPECT_EQ(none.Played(), 0);
    EXPECT_EQ(Reminders().Count(), 2);
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(ManageWindowsTest, AddRemindersAlwaysShowsTheDetails) {
    auto sent = Message("Budget", {"to:pat@example.com"});
    model->File(SentItems(), sent);
    explorer->setSelection({sent});
    ModalPlayer player;
    player.Then("frmDisplayEx", [](QWidget* window) {
        window->findChild<QPlainTextEdit*>("txtNote")->setPlainText("added later");
        ModalPlayer::QueueClick(window, "cmdOk");
    });
    ASSERT_EQ(engineObject->ClickButton(explorer, CChasewell::kAddReminders), 0);
    ASSERT_TRUE(player.Done());
    ASSERT_EQ(Reminders().Count(), 1);
    EXPECT_EQ(Reminders().Item(1)->Note(), "added later");
}

TEST_F(ManageWindowsTest, ViewRemindersShowsTheListAndAReplyRefillsIt) {
    SetSetting("Remove", "True");
    SendWithReminder("Budget", "pat@example.com");
    SendWithReminder("Plans", "lee@example.com");
    ASSERT_EQ(engineObject->ClickButton(explorer, CChasewell::kViewReminders), 0);
    frmViewReminders* window = list.Shared();
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_EQ(window->grdReminders->Rows(), 3);
    EXPECT_EQ(window->windowTitle(), "Pending Reminders (Next Reminder: 3/11/2024 08:00 AM)");

    model->Deliver(Inbox(), Reply("pat@example.com", "RE: Budget"));
    ASSERT_EQ(window->grdReminders->Rows(), 2);
    EXPECT_EQ(window->grdReminders->TextMatrix(1, ReminderGridModel::ColSubject), "Plans");

    // A second click brings the same window forward.
    ASSERT_EQ(engineObject->ClickButton(explorer, CChasewell::kViewReminders), 0);
    EXPECT_EQ(list.Shared(), window);
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(ManageWindowsTest, AnAddedReminderLoadsTheListHiddenAndShutDownExitsAVisibleOne) {
    SendWithReminder("Budget", "pat@example.com");
    frmViewReminders* window = list.Shared();
    ASSERT_NE(window, nullptr) << "the refill after adding loaded it";
    EXPECT_TRUE(window->IsLoaded());
    EXPECT_FALSE(window->isVisible());

    platform::QtWindowEffects effects;
    env.env.windows = &effects;
    ASSERT_EQ(engineObject->ClickButton(explorer, CChasewell::kViewReminders), 0);
    QSignalSpy exit(window->cmdOk, &QPushButton::clicked);
    window->grdReminders->SelectRows({1});
    window->cmdDelete->click();
    engineObject->Shutdown();
    EXPECT_EQ(exit.count(), 1) << "Alt+X reached Exit";
    EXPECT_EQ(list.Shared(), nullptr) << "dropped";
    EXPECT_FALSE(DataFileBytes().contains("Budget"));
    EXPECT_EQ(log.TraceMessages("frmViewReminders.Form_Unload").size(), 1u);
    EXPECT_EQ(log.TraceMessages("frmViewReminders.Form_Terminate"),
              std::vector<QString>{"Terminate called"});
    env.env.windows = &env.windows;
}

}  // namespace
