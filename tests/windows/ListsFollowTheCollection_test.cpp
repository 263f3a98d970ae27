// The grid windows follow every change of the collection, whoever makes it;
// an operation on a row whose reminder has gone says so and changes nothing;
// closing a list keeps the note being typed in its details window.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "tests/windows/ManageFixture.h"
#include "windows/alarm/frmRemind.h"
#include "windows/alarm/frmRemindMultiple.h"

namespace {

using Shown = testing_support::RecordingMessageBoxes::Shown;
using testing_support::ManageFixture;
using testing_support::ModalPlayer;
using Col = ReminderGridModel::Column;

class ListsFollowTheCollectionTest : public ManageFixture {
protected:
    ListsFollowTheCollectionTest() {
        env.clock.Set("2024-03-07T10:00:30");
        for (int i = 1; i <= 5; ++i)
            reminders.push_back(AddReminder(QStringLiteral("p%1@example.com").arg(i),
                                            QStringLiteral("Subject %1").arg(i),
                                            QStringLiteral("3/%1/2024 9:00:00 AM").arg(15 - i)));
        log.Clear();
    }
    std::unique_ptr<frmViewReminders> OpenList() {
        auto window = std::make_unique<frmViewReminders>();
        window->setEngine(engineObject);
        window->show();
        return window;
    }
    // What a change set off reaches the windows once the event loop runs.
    static void LetTheLoopRun() { QCoreApplication::processEvents(); }
    static QStringList Addresses(const ReminderGrid& grid) {
        return Column(grid, Col::ColEmailAddress);
    }
    static QStringList Selected(const ReminderGrid& grid) {
        QStringList addresses;
        for (int row : grid.SelectedRowList())
            addresses << grid.TextMatrix(row, Col::ColEmailAddress);
        return addresses;
    }
    const Shown kGone{GridRowOperations::kGoneMessage, "Chasewell"};

    std::vector<std::shared_ptr<CReminderItem>> reminders;
};

TEST_F(ListsFollowTheCollectionTest, TheListFollowsDismissalsSnoozesRepliesAndSendsMadeElsewhere) {
    auto list = OpenList();
    ReminderGrid& grid = *list->grdReminders;
    // The user sorted by date and selected two rows: both survive refills.
    ClickHeader(grid, Col::ColReminderDate);
    grid.SelectRows({2, 4});
    ASSERT_EQ(Selected(grid), (QStringList{"p4@example.com", "p2@example.com"}));

    // An alarm window's Dismiss.
    auto alarm = Open(reminders[2]);
    QTest::mouseClick(Button(alarm.get(), "cmdDismiss"), Qt::LeftButton);
    LetTheLoopRun();
    EXPECT_EQ(Addresses(grid), (QStringList{"p5@example.com", "p4@example.com", "p2@example.com",
                                            "p1@example.com"}));
    EXPECT_EQ(Selected(grid), (QStringList{"p4@example.com", "p2@example.com"}));

    // A snooze elsewhere re-dates a row; the sort puts it in its place.
    reminders[4]->setReminderDate("3/20/2024 9:00:00 AM");
    LetTheLoopRun();
    EXPECT_EQ(Addresses(grid), (QStringList{"p4@example.com", "p2@example.com", "p1@example.com",
                                            "p5@example.com"}));
    EXPECT_EQ(grid.TextMatrix(4, Col::ColReminderDate), "3/20/2024 09:00 AM");

    // A reply ends one; a send adds one.
    Globals::m_ReminderItems->RemoveBy("p1@example.com", "RE: Subject 1");
    AddReminder("new@example.com", "Fresh", "3/12/2024 9:00:00 AM");
    LetTheLoopRun();
    EXPECT_EQ(Addresses(grid), (QStringList{"p4@example.com", "new@example.com", "p2@example.com",
                                            "p5@example.com"}));
    EXPECT_EQ(grid.Rows(), Globals::m_ReminderItems->Count() + 1);
    EXPECT_EQ(Selected(grid), (QStringList{"p4@example.com", "p2@example.com"}));
    EXPECT_TRUE(env.messageBoxes.shown.empty());
    EXPECT_TRUE(log.Errors().empty());

    // An unloaded list follows nothing; the next opening fills it afresh.
    list->Unload();
    Globals::m_ReminderItems->Remove(reminders[3]);
    LetTheLoopRun();
    EXPECT_EQ(grid.Rows(), 5) << "left as it was";
    list->show();
    EXPECT_EQ(grid.Rows(), 4);
}

TEST_F(ListsFollowTheCollectionTest, TheGroupedAlarmWindowFollowsToo) {
    auto grouped = std::make_unique<frmRemindMultiple>();
    grouped->setEngine(engineObject);
    grouped->show();
    ASSERT_EQ(grouped->grdReminders->Rows(), 6);
    Globals::m_ReminderItems->Remove(reminders[0]);
    LetTheLoopRun();
    EXPECT_EQ(Addresses(*grouped->grdReminders), (QStringList{"p2@example.com", "p3@example.com",
                                                              "p4@example.com", "p5@example.com"}));
}

TEST_F(ListsFollowTheCollectionTest, AnOperationOnARowWhoseReminderIsGoneSaysSoAndChangesNothing) {
    auto list = OpenList();
    ReminderGrid& grid = *list->grdReminders;
    const QByteArray saved = DataFileBytes();

    // Dismissed elsewhere, before the list was refilled.
    grid.SelectRows({2});
    Globals::m_ReminderItems->Remove(reminders[1]);
    QTest::mouseClick(Button(list.get(), "cmdChangeReminderTime"), Qt::LeftButton);
    EXPECT_EQ(env.messageBoxes.shown, std::vector<Shown>{kGone});
    EXPECT_FALSE(Addresses(grid).contains("p2@example.com")) << "the list shows what is";
    DoubleClickRow(grid, 1);
    EXPECT_TRUE(list->myFrmDisplayEx()->isVisible()) << "a pending reminder opens";
    list->myFrmDisplayEx()->close();

    // Dismissed while the change-date dialog was open: the date chosen is
    // not given to a reminder that is no longer kept.
    env.messageBoxes.shown.clear();
    grid.SelectRows({3});  // p4
    ASSERT_EQ(grid.Reminder(3), reminders[3]);
    ModalPlayer player;
    player.Then("frmChangeDate", [this](QWidget* dialog) {
        Globals::m_ReminderItems->Remove(reminders[3]);
        Choose(dialog, QDate(2024, 3, 20), QTime(15, 5));
        ModalPlayer::QueueClick(dialog, "cmdOk");
    });
    QTest::mouseClick(Button(list.get(), "cmdChangeReminderTime"), Qt::LeftButton);
    ASSERT_TRUE(player.Done());
    EXPECT_EQ(env.messageBoxes.shown, std::vector<Shown>{kGone});
    for (qint32 i = 1; i <= Globals::m_ReminderItems->Count(); ++i)
        EXPECT_FALSE(Globals::m_ReminderItems->Item(i)->ReminderDateText().startsWith("3/20"));
    EXPECT_EQ(reminders[3]->ReminderDateText(), "3/11/2024 9:00:00 AM");

    // Answering and opening a gone row's message say so too.
    env.messageBoxes.shown.clear();
    grid.SelectRows({1});
    Globals::m_ReminderItems->Remove(grid.Reminder(1));
    QTest::mouseClick(Button(list.get(), "cmdCreate"), Qt::LeftButton);
    EXPECT_EQ(env.messageBoxes.shown, std::vector<Shown>{kGone});
    EXPECT_TRUE(model->Inspectors().empty());
    EXPECT_EQ(DataFileBytes(), saved) << "the list saved nothing";
}

// The details window a list opened: closing the list (close box or Exit)
// keeps the note being typed; Exit of the list saves it with the rest.
TEST_F(ListsFollowTheCollectionTest, ClosingAListKeepsTheNoteTypedInItsDetailsWindow) {
    auto list = OpenList();
    ReminderGrid& grid = *list->grdReminders;
    DoubleClickRow(grid, 3);
    frmDisplayEx* details = list->myFrmDisplayEx();
    ASSERT_TRUE(details->isVisible());
    details->txtNote->setPlainText("typed, then the list closed");
    list->close();
    EXPECT_EQ(reminders[2]->Note(), "typed, then the list closed");
    EXPECT_FALSE(DataFileBytes().contains("the list closed")) << "the close box saves nothing";

    list = OpenList();
    DoubleClickRow(*list->grdReminders, 4);
    list->myFrmDisplayEx()->txtNote->setPlainText("typed, then Exit");
    QTest::mouseClick(Button(list.get(), "cmdOk"), Qt::LeftButton);
    EXPECT_FALSE(list->IsLoaded());
    EXPECT_EQ(reminders[3]->Note(), "typed, then Exit");
    EXPECT_TRUE(DataFileBytes().contains("|Note: typed, then Exit\r\n"));
    EXPECT_TRUE(DataFileBytes().contains("|Note: typed, then the list closed\r\n"));

    auto grouped = std::make_unique<frmRemindMultiple>();
    grouped->setEngine(engineObject);
    grouped->show();
    DoubleClickRow(*grouped->grdReminders, 1);
    grouped->myFrmDisplayEx()->txtNote->setPlainText("typed in the alarm's details");
    QTest::mouseClick(Button(grouped.get(), "cmdOk"), Qt::LeftButton);
    EXPECT_TRUE(DataFileBytes().contains("|Note: typed in the alarm's details\r\n"));
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(ListsFollowTheCollectionTest, TheDetailsOfAReminderThatWentKeepNothingAndSaySo) {
    auto list = OpenList();
    DoubleClickRow(*list->grdReminders, 2);
    frmDisplayEx* details = list->myFrmDisplayEx();
    details->txtNote->setPlainText("never to be kept");
    Globals::m_ReminderItems->Remove(reminders[1]);
    QTest::mouseClick(details->cmdOk, Qt::LeftButton);
    EXPECT_EQ(env.messageBoxes.shown,
              (std::vector<Shown>{{frmDisplayEx::kGoneMessage, "Chasewell"}}));
    EXPECT_FALSE(details->isVisible());
    EXPECT_EQ(reminders[1]->Note(), "call p2@example.com");
}

}  // namespace
