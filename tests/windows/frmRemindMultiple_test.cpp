#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLineEdit>
#include <QWindow>

#include "tests/windows/ManageFixture.h"
#include "windows/alarm/frmRemindMultiple.h"

namespace {

using host::ErrorReportRecord;
using Shown = testing_support::RecordingMessageBoxes::Shown;
using testing_support::ManageFixture;
using Col = ReminderGridModel::Column;

const Shown kSelectRow{"At least one row must be selected.", "Chasewell"};
const Shown kNotUnderstood{"The snooze time is not understood.  Please try again.", "Chasewell"};
const QString kSnoozeTrace = "frmRemindMultiple.cmdSnooze_Click";

class FrmRemindMultipleTest : public ManageFixture {
protected:
    // Five reminders, the clock at 3/7/2024 10:00:00 AM: four overdue, the
    // fourth due next month.
    FrmRemindMultipleTest() {
        pat = AddReminder("pat@example.com", "Budget", "3/7/2024 9:00:00 AM");
        lee = AddReminder("lee@example.com", "Plans", "3/7/2024 9:30:00 AM");
        sam = AddReminder("sam@example.com", "Contract", "3/6/2024 8:00:00 AM");
        kim = AddReminder("kim@example.com", "Later", "4/7/2024 9:00:00 AM");
        joe = AddReminder("joe@example.com", "Invoice", "3/7/2024 10:00:30 AM");
        log.Clear();
    }

    std::unique_ptr<frmRemindMultiple> Open() {
        auto window = std::make_unique<frmRemindMultiple>();
        window->setEngine(engineObject);
        window->show();
        return window;
    }
    static ReminderGrid& Grid(frmRemindMultiple& window) { return *window.grdReminders; }
    static void Press(QWidget& window, const char* button) {
        QTest::mouseClick(Button(&window, button), Qt::LeftButton);
    }
    static void SetSnoozeText(frmRemindMultiple& window, const QString& text) {
        window.cboSnooze->lineEdit()->setText(text);
    }
    QStringList Addresses() const {
        QStringList addresses;
        for (qint32 i = 1; i <= Globals::m_ReminderItems->Count(); ++i)
            addresses << Globals::m_ReminderItems->Item(i)->EmailAddress();
        return addresses;
    }
    // Which rows the grid shows shaded as overdue, by address.
    static QStringList ShadedRows(const ReminderGrid& grid) {
        QStringList shaded;
        for (int row = 0; row < grid.model()->rowCount(); ++row) {
            const QModelIndex cell = grid.model()->index(row, Col::ColEmailAddress);
            if (cell.data(Qt::BackgroundRole).value<QColor>() == ReminderGridModel::kMarkBackground)
                shaded << cell.data().toString();
        }
        return shaded;
    }
    // How often the alarm timer was set again (each time it is first
    // stopped); the windows' own timers do not count.
    size_t ReArmed() const { return log.TraceMessages("RemindTimer.KillTimer").size(); }
    QString Setting(const char* key) const { return EngineFixture::Setting("Chasewell", key); }

    std::shared_ptr<CReminderItem> pat, lee, sam, kim, joe;
};

TEST_F(FrmRemindMultipleTest, LoadListsEveryReminderWithTheOverdueShadedUnderItsTitle) {
    frmRemindMultiple window;
    EXPECT_EQ(window.windowTitle(), "Chasewell");
    SetSetting("MRUSnoozeTime", "3 fortnights");
    window.setEngine(engineObject);
    window.show();
    EXPECT_TRUE(window.IsLoaded());
    EXPECT_EQ(window.windowTitle(), "Chasewell Alarms");
    ReminderGrid& grid = Grid(window);
    EXPECT_EQ(Column(grid, Col::ColEmailAddress), Addresses()) << "not only the overdue ones";
    EXPECT_EQ(ShadedRows(grid), (QStringList{"pat@example.com", "lee@example.com",
                                             "sam@example.com", "joe@example.com"}));
    EXPECT_EQ(grid.model()->index(3, Col::ColSubject).data(Qt::ToolTipRole).toString(), "Later");
    EXPECT_EQ(grid.model()->index(0, Col::ColSubject).data(Qt::ToolTipRole).toString(),
              "Budget\n" + frmRemindMultiple::kOverdueNote);
    const std::vector<int> kinds{8, 8, 7, 7, 8, 8};
    for (int column = 0; column < 6; ++column)
        EXPECT_EQ(grid.ColDataType(column), kinds[size_t(column)]);
    EXPECT_TRUE(grid.isColumnHidden(Col::ColId));
    EXPECT_EQ(window.cboSnooze->count(), 14);
    EXPECT_EQ(window.cboSnooze->currentText(), "3 fortnights");
    ASSERT_NE(window.myFrmDisplayEx(), nullptr);

    EXPECT_EQ(window.frameChasewellAlarmDetails->title(), "Chasewell Alarm Details");
    EXPECT_EQ(window.frameInstructions->title(), "Instructions");
    EXPECT_EQ(LabelText(&window, "Label1"),
              "Hold the control or shift key down to select multiple rows.");
    EXPECT_EQ(LabelText(&window, "Label2"), "Click on any column header to sort by that column.");
    EXPECT_EQ(LabelText(&window, "Label3"),
              "Double click any row to edit notes, the reminder time, or the color.");
    EXPECT_EQ(LabelText(&window, "lblOverdue"),
              "Overdue reminders are shaded.  Snooze All and Dismiss All Overdue act on "
              "these only.");
    const std::vector<std::pair<const char*, const char*>> buttons{
        {"cmdSnooze", "&Snooze"},
        {"cmdSnoozeAll", "Snooze &All"},
        {"cmdDismiss", "&Dismiss"},
        {"cmdDismissAll", "Dismiss All &Overdue"},
        {"cmdViewOriginal", "View Original..."},
        {"cmdChangeColors", "C&hange Colors..."},
        {"cmdOk", "E&xit"}};
    for (const auto& [name, caption] : buttons) EXPECT_EQ(Button(&window, name)->text(), caption);

    // The mark follows the clock: a reminder that falls due while the
    // window is open is shaded without a refill.
    env.clock.Set("2024-04-07T08:59:01");
    EXPECT_EQ(ShadedRows(grid).size(), 5);
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(FrmRemindMultipleTest, RowsThreeAndFiveSnoozedByTwoHoursTraceTheirRowsAndRetitle) {
    auto window = Open();
    Grid(*window).SelectRows({3, 5});
    SetSnoozeText(*window, "2 hours");
    Press(*window, "cmdSnooze");

    EXPECT_EQ(sam->ReminderDateText(), "3/7/2024 12:00:00 PM");
    EXPECT_EQ(joe->ReminderDateText(), "3/7/2024 12:00:00 PM");
    EXPECT_EQ(pat->ReminderDateText(), "3/7/2024 9:00:00 AM");
    EXPECT_EQ(kim->ReminderDateText(), "4/7/2024 9:00:00 AM");
    EXPECT_EQ(
        log.TraceMessages(kSnoozeTrace),
        (std::vector<QString>{"A reminder was snoozed for 2 hours", "My Row = 3", "My Row = 5"}));
    EXPECT_EQ(Setting("MRUSnoozeTime"), "2 hours");
    EXPECT_EQ(ReArmed(), 1u);
    EXPECT_EQ(window->windowTitle(), "Pending Reminders (Next Reminder: 3/7/2024 12:00 PM)");
    EXPECT_EQ(Grid(*window).TextMatrix(3, Col::ColReminderDate), "3/7/2024 12:00 PM") << "refilled";
    EXPECT_EQ(ShadedRows(Grid(*window)), (QStringList{"pat@example.com", "lee@example.com"}));
    EXPECT_TRUE(window->isVisible()) << "the window stays open";
    EXPECT_FALSE(DataFileBytes().contains("12:00:00 PM")) << "Exit saves";
    EXPECT_TRUE(env.messageBoxes.shown.empty());
    EXPECT_TRUE(log.Errors().empty());

    Press(*window, "cmdOk");
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(
        DataFileBytes().contains("|ReminderDate: 3/7/2024 12:00:00 PM|Color: 255|"
                                 "Subject: Contract|"));
}

TEST_F(FrmRemindMultipleTest, AnUnknownUnitIsRefusedOncePerRowAndOnlyTheTextIsRemembered) {
    auto window = Open();
    Grid(*window).SelectRows({1, 2});
    SetSnoozeText(*window, "2 fortnights");
    Press(*window, "cmdSnooze");
    EXPECT_EQ(env.messageBoxes.shown, (std::vector<Shown>{kNotUnderstood, kNotUnderstood}));
    EXPECT_EQ(pat->ReminderDateText(), "3/7/2024 9:00:00 AM");
    EXPECT_EQ(lee->ReminderDateText(), "3/7/2024 9:30:00 AM");
    EXPECT_EQ(Setting("MRUSnoozeTime"), "2 fortnights");
    EXPECT_EQ(Grid(*window).TextMatrix(1, Col::ColReminderDate), "3/7/2024 09:00 AM");
    EXPECT_TRUE(log.Errors().empty());

    // Snooze All asks once per overdue row.
    env.messageBoxes.shown.clear();
    Press(*window, "cmdSnoozeAll");
    EXPECT_EQ(env.messageBoxes.shown.size(), 4u);
}

TEST_F(FrmRemindMultipleTest, SnoozeWithNothingSelectedAsksForARowAndRemembersNothing) {
    auto window = Open();
    SetSnoozeText(*window, "1 day");
    Press(*window, "cmdSnooze");
    EXPECT_EQ(env.messageBoxes.shown, std::vector<Shown>{kSelectRow});
    EXPECT_EQ(Setting("MRUSnoozeTime"), "<missing>");
    EXPECT_EQ(log.TraceMessages(kSnoozeTrace),
              std::vector<QString>{"A reminder was snoozed for 1 day"});
    EXPECT_EQ(ReArmed(), 0u);
    EXPECT_EQ(window->windowTitle(), "Chasewell Alarms") << "not refilled";
}

TEST_F(FrmRemindMultipleTest, ACountThatIsNoNumberEndsTheSnoozeAtLineFourBeforeAnyRow) {
    auto window = Open();
    Grid(*window).SelectRows({1, 2});
    const std::vector<std::pair<QString, QString>> cases{
        {"5minutes", "Invalid procedure call or argument"},
        {"five minutes", "Type mismatch"},
        {" 5 minutes", "Type mismatch"},
        {"99999999999 minutes", "Overflow"},
    };
    for (const auto& [text, reason] : cases) {
        log.Clear();
        SetSnoozeText(*window, text);
        Press(*window, "cmdSnooze");
        EXPECT_EQ(log.Errors(),
                  (std::vector<ErrorReportRecord>{{"Error occurred at line 4.  Reason: " + reason,
                                                   1, "Chasewell.frmRemindMultiple.cmdSnooze"}}))
            << text.toStdString();
        EXPECT_EQ(Setting("MRUSnoozeTime"), text);
        EXPECT_EQ(log.TraceMessages(kSnoozeTrace).size(), 1u) << "no row was reached";
    }
    log.Clear();
    Press(*window, "cmdSnoozeAll");
    ASSERT_EQ(log.Errors().size(), 1u);
    EXPECT_EQ(log.Errors()[0].source, "Chasewell.frmRemindMultiple.cmdSnoozeAll");
    EXPECT_EQ(log.Errors()[0].message, "Error occurred at line 4.  Reason: Overflow");
    EXPECT_EQ(pat->ReminderDateText(), "3/7/2024 9:00:00 AM");
    EXPECT_EQ(lee->ReminderDateText(), "3/7/2024 9:30:00 AM");
    EXPECT_TRUE(env.messageBoxes.shown.empty());
    EXPECT_EQ(ReArmed(), 0u);
}

TEST_F(FrmRemindMultipleTest, SnoozeAllPutsOffTheOverdueRowsOnlyInTheGridsOrder) {
    auto window = Open();
    ClickHeader(Grid(*window), Col::ColReminderDate);  // sam, pat, lee, joe, kim
    SetSnoozeText(*window, "1 hour");
    Press(*window, "cmdSnoozeAll");
    for (const auto& reminder : {pat, lee, sam, joe})
        EXPECT_EQ(reminder->ReminderDateText(), "3/7/2024 11:00:00 AM")
            << reminder->Subject().toStdString();
    EXPECT_EQ(kim->ReminderDateText(), "4/7/2024 9:00:00 AM") << "not pulled forward";
    EXPECT_EQ(
        log.TraceMessages(kSnoozeTrace),
        (std::vector<QString>{"All reminders were snoozed for 1 hour", "My Row = 1",
                              "My Unique ID = 3", "My Row = 2", "My Unique ID = 1", "My Row = 3",
                              "My Unique ID = 2", "My Row = 4", "My Unique ID = 5"}));
    EXPECT_TRUE(ShadedRows(Grid(*window)).isEmpty());
    EXPECT_TRUE(log.Errors().empty());

    // A date past the year 9999 ends the snooze at that row.
    env.clock.Set("2024-03-07T12:00:00");
    SetSnoozeText(*window, "100000 months");
    Press(*window, "cmdSnoozeAll");
    ASSERT_EQ(log.Errors().size(), 1u);
    EXPECT_EQ(log.Errors()[0],
              (ErrorReportRecord{"Error occurred at line 10.  Reason: Invalid procedure call or "
                                 "argument",
                                 1, "Chasewell.frmRemindMultiple.cmdSnoozeAll"}));
    EXPECT_EQ(pat->ReminderDateText(), "3/7/2024 11:00:00 AM");
}

TEST_F(FrmRemindMultipleTest, SnoozeAndColourActOnTheRowsOwnReminderAfterADismissal) {
    auto window = Open();
    ReminderGrid& grid = Grid(*window);
    // Dismissing row 1 leaves the rows below with the positions of the fill:
    // row 2 (sam, ID 3) now names position 3, which holds kim.
    grid.SelectRows({1});
    Press(*window, "cmdDismiss");
    ASSERT_EQ(grid.TextMatrix(2, Col::ColId), "3");
    ASSERT_EQ(Globals::m_ReminderItems->Item(3), kim);
    grid.SelectRows({2});
    SetSnoozeText(*window, "1 week");
    Press(*window, "cmdSnooze");
    EXPECT_EQ(sam->ReminderDateText(), "3/14/2024 10:00:00 AM");
    EXPECT_EQ(kim->ReminderDateText(), "4/7/2024 9:00:00 AM");

    grid.SelectRows({2});
    ASSERT_EQ(grid.Reminder(2), sam) << "refilled in collection order";
    env.colours.answers.push_back(0x00FF00);
    Press(*window, "cmdChangeColors");
    EXPECT_EQ(sam->Color(), 0x00FF00);
    EXPECT_EQ(kim->Color(), 0xFF);
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(FrmRemindMultipleTest, DismissAllOverdueLeavesTheReminderNotYetDue) {
    auto window = Open();
    Press(*window, "cmdDismissAll");
    EXPECT_EQ(Addresses(), QStringList{"kim@example.com"});
    EXPECT_EQ(Column(Grid(*window), Col::ColEmailAddress), QStringList{"kim@example.com"});
    EXPECT_EQ(log.TraceMessages("frmRemindMultiple.cmdDismiss_All"),
              std::vector<QString>{"All overdue reminders were dismissed. "});
    EXPECT_EQ(ReArmed(), 1u);
    EXPECT_EQ(RemindTimer::NextReminderTime, "4/7/2024 09:00 AM");
    EXPECT_FALSE(DataFileBytes().contains("pat@example.com")) << "saved at once";
    EXPECT_TRUE(DataFileBytes().contains("kim@example.com"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(log.Errors().empty());

    // Once it is due, it goes too; the grid is left empty.
    env.clock.Set("2024-04-07T09:00:00");
    Press(*window, "cmdDismissAll");
    EXPECT_EQ(Globals::m_ReminderItems->Count(), 0);
    EXPECT_EQ(Grid(*window).Rows(), 1);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(FrmRemindMultipleTest, DismissAndTheDeleteKeyRemoveTheSelectedRowsAndSaveAtOnce) {
    auto window = Open();
    ReminderGrid& grid = Grid(*window);
    Press(*window, "cmdDismiss");
    EXPECT_EQ(Globals::m_ReminderItems->Count(), 5) << "nothing selected: nothing happens";
    EXPECT_EQ(ReArmed(), 0u);

    grid.SelectRows({2, 4});
    Press(*window, "cmdDismiss");
    EXPECT_EQ(Addresses(), (QStringList{"pat@example.com", "sam@example.com", "joe@example.com"}));
    EXPECT_EQ(Column(grid, Col::ColId), (QStringList{"1", "3", "5"})) << "not refilled";
    EXPECT_EQ(ReArmed(), 1u) << "Dismiss re-arms";
    EXPECT_FALSE(DataFileBytes().contains("lee@example.com"));

    grid.SelectRows({1});
    PastInputGuard();
    QTest::keyClick(&grid, Qt::Key_Delete);
    EXPECT_EQ(Addresses(), (QStringList{"sam@example.com", "joe@example.com"}));
    EXPECT_EQ(ReArmed(), 1u) << "the Delete key does not";
    EXPECT_FALSE(DataFileBytes().contains("pat@example.com"));

    // The close box saves nothing more, and what was dismissed stays gone.
    sam->setNote("typed since");
    window->windowHandle()->close();
    EXPECT_FALSE(window->IsLoaded());
    EXPECT_FALSE(DataFileBytes().contains("typed since"));
    EXPECT_EQ(log.TraceMessages("frmViewReminders.Form_Unload"),
              std::vector<QString>{"Unload called"});
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(FrmRemindMultipleTest, ColoursAskForTheColourFirstThenForARow) {
    auto window = Open();
    env.colours.answers.push_back(0x123456);
    Press(*window, "cmdChangeColors");
    EXPECT_EQ(env.colours.shownCount, 1);
    EXPECT_EQ(
        env.messageBoxes.shown,
        (std::vector<Shown>{{"Please select at least one row.  Please try again.", "Chasewell"}}));
    EXPECT_EQ(log.TraceMessages("frmRemindMultiple.cmdChangeColorsClick"),
              std::vector<QString>{"No rows were selected"});
    EXPECT_EQ(window->windowTitle(), "Pending Reminders (Next Reminder: None)") << "refilled";

    // A cancel is reported and changes nothing.
    Grid(*window).SelectRows({1, 4});
    env.messageBoxes.shown.clear();
    Press(*window, "cmdChangeColors");
    EXPECT_EQ(log.Errors(),
              (std::vector<ErrorReportRecord>{{"Error occurred.  Reason: Cancel was selected.", 1,
                                               "Chasewell.frmReminderMultiple.cmdOK"}}));
    EXPECT_EQ(pat->Color(), 0xFF);
    EXPECT_EQ(Grid(*window).SelectedRows(), 2) << "not refilled";

    env.colours.answers.push_back(0x8B0000);
    Press(*window, "cmdChangeColors");
    EXPECT_EQ(pat->Color(), 0x8B0000);
    EXPECT_EQ(kim->Color(), 0x8B0000);
    EXPECT_EQ(lee->Color(), 0xFF);
    EXPECT_EQ(Grid(*window).model()->index(0, 1).data(Qt::ForegroundRole).value<QColor>(),
              QColor(0x00, 0x00, 0x8B));
    EXPECT_TRUE(env.messageBoxes.shown.empty());
    EXPECT_EQ(ReArmed(), 0u) << "colours do not re-arm";
}

TEST_F(FrmRemindMultipleTest, ExitSavesAndClosesAndTheDetailsWindowGoesWithIt) {
    auto window = Open();
    DoubleClickRow(Grid(*window), 2);
    frmDisplayEx* details = window->myFrmDisplayEx();
    ASSERT_TRUE(details && details->isVisible());
    EXPECT_EQ(details->MyReminderInstance(), lee);
    details->txtNote->setPlainText("call Lee on Monday");
    QTest::mouseClick(details->cmdOk, Qt::LeftButton);
    EXPECT_EQ(Grid(*window).TextMatrix(2, Col::ColNotes), "call Lee on Monday") << "refilled";

    DoubleClickRow(Grid(*window), 1);
    ASSERT_TRUE(details->isVisible());
    Press(*window, "cmdOk");
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->IsLoaded());
    EXPECT_EQ(window->myFrmDisplayEx(), nullptr);
    EXPECT_EQ(Grid(*window).Rows(), 1) << "holds no reminders once unloaded";
    EXPECT_FALSE(details->isVisible()) << "closed with the window";
    EXPECT_TRUE(DataFileBytes().contains("|Note: call Lee on Monday\r\n"));
    EXPECT_EQ(ReArmed(), 0u) << "closing does not re-arm";
    window.reset();
    EXPECT_EQ(log.TraceMessages("frmViewReminders.Form_Terminate"),
              std::vector<QString>{"Terminate called"});
}

TEST_F(FrmRemindMultipleTest, FailuresAreReportedWithTheirSourcesAndLeaveTheWindowOpen) {
    auto window = Open();
    Grid(*window).SelectRows({1});
    Globals::m_ReminderItems.reset();
    Press(*window, "cmdDismiss");
    Press(*window, "cmdDismissAll");
    Press(*window, "cmdOk");
    const QString reason =
        "Error occurred.  Reason: Object variable or With block variable not set";
    EXPECT_EQ(log.Errors(),
              (std::vector<ErrorReportRecord>{{reason, 1, "Chasewell.DelRowSelection"},
                                              {reason, 1, "Chasewell.DismissAll"},
                                              {reason, 1, "Chasewell.frmReminderMultiple.cmdOK"}}));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Grid(*window).Rows(), 6);
}

TEST_F(FrmRemindMultipleTest, ViewOriginalOpensTheSentMessageOrTracesItsAbsence) {
    auto message = model->NewMailItem();
    message->setSubject("Budget");
    model->File(model->DefaultFolder(client::olFolderSentMail), message);
    pat->setEntryId(message->EntryID());
    auto window = Open();
    Grid(*window).SelectRows({1, 2});
    Press(*window, "cmdViewOriginal");
    ASSERT_EQ(model->Inspectors().size(), 1u);
    EXPECT_EQ(model->Inspectors()[0]->CurrentItem(), message);
    EXPECT_EQ(log.TraceMessages("frmRemindMultiple.ViewOriginalEmail"),
              std::vector<QString>{"Could not find original email with entryId: E1"});
    EXPECT_TRUE(log.TraceMessages("Chasewell.ViewOriginalEmail").empty());
}

TEST_F(FrmRemindMultipleTest, KeysTypedAsTheWindowComesUpDoNotReachIt) {
    auto window = Open();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->cboSnooze->setFocus();
    QTest::keyClicks(static_cast<QWidget*>(nullptr), "thanks");
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_O, Qt::AltModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->cboSnooze->currentText(), "5 minutes");
    EXPECT_EQ(Globals::m_ReminderItems->Count(), 5);

    // A moment later the accelerators work.
    PastInputGuard();
    window->cboSnooze->lineEdit()->clear();
    QTest::keyClicks(static_cast<QWidget*>(nullptr), "1 Day");
    EXPECT_EQ(window->cboSnooze->currentText(), "1 Day");
    QTest::keyClick(window.get(), Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return pat->ReminderDateText() == "3/8/2024 10:00:00 AM"; }));
    env.colours.answers.push_back(0x00FF00);
    QTest::keyClick(window.get(), Qt::Key_H, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return env.colours.shownCount == 1; }));
    env.clock.Set("2024-04-07T09:00:00");
    QTest::keyClick(window.get(), Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Globals::m_ReminderItems->Count() == 0; }));
    QTest::keyClick(window.get(), Qt::Key_X, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }));
}

TEST_F(FrmRemindMultipleTest, AReminderWhoseDateIsNoDateIsListedAsHeldAndNeverOverdue) {
    sam->setReminderDate("someday");
    sam->setSentDate("last week");
    auto window = Open();
    ReminderGrid& grid = Grid(*window);
    EXPECT_EQ(grid.Rows(), 6);
    EXPECT_EQ(grid.TextMatrix(3, Col::ColReminderDate), "someday");
    EXPECT_EQ(grid.TextMatrix(3, Col::ColDateSent), "last week");
    EXPECT_EQ(window->windowTitle(), "Chasewell Alarms");
    Press(*window, "cmdDismissAll");
    EXPECT_EQ(Addresses(), (QStringList{"sam@example.com", "kim@example.com"}));
    // Only the alarm timer says so, as it passes the reminder over.
    ASSERT_EQ(log.Errors().size(), 1u);
    EXPECT_EQ(log.Errors()[0].source, "Chasewell.RemindTimer.GetNextReminder");
}

// Renders the window for the documentation when CHASEWELL_SCREENSHOT names
// the file to write (docs/grouped-alarm-window.png); skipped otherwise.
TEST_F(FrmRemindMultipleTest, Screenshot) {
    const QString path = qEnvironmentVariable("CHASEWELL_SCREENSHOT");
    if (path.isEmpty())
        GTEST_SKIP() << "set CHASEWELL_SCREENSHOT to the file to write";
    lee->setColor(0x8B0000);
    kim->setColor(0x006400);
    auto window = Open();
    Grid(*window).SelectRows({2});
    ASSERT_TRUE(window->grab().save(path));
}

}  // namespace
