#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QTextDocumentFragment>
#include <QWindow>

#include "tests/windows/ManageFixture.h"

namespace {

using host::ErrorReportRecord;
using Shown = testing_support::RecordingMessageBoxes::Shown;
using testing_support::ManageFixture;
using testing_support::ModalPlayer;
using Col = ReminderGridModel::Column;

const Shown kSelectRow{"At least one row must be selected.", "Chasewell"};

class FrmViewRemindersTest : public ManageFixture {
protected:
    FrmViewRemindersTest() { env.clock.Set("2024-03-07T10:00:30"); }

    // Seven reminders, due on the 8th to the 14th in reverse order of
    // position, so that the list's order and the date order differ.
    void AddSeven() {
        for (int i = 1; i <= 7; ++i)
            AddReminder(QStringLiteral("p%1@example.com").arg(i),
                        QStringLiteral("Subject %1").arg(i),
                        QStringLiteral("3/%1/2024 9:00:00 AM").arg(15 - i));
        log.Clear();
    }

    std::unique_ptr<frmViewReminders> Open() {
        auto window = std::make_unique<frmViewReminders>();
        window->setEngine(engineObject);
        window->show();
        return window;
    }
    static ReminderGrid& Grid(frmViewReminders& window) { return *window.grdReminders; }
    static void Press(QWidget& window, const char* button) {
        QTest::mouseClick(Button(&window, button), Qt::LeftButton);
    }
    QStringList Addresses() const {
        QStringList addresses;
        for (qint32 i = 1; i <= Globals::m_ReminderItems->Count(); ++i)
            addresses << Globals::m_ReminderItems->Item(i)->EmailAddress();
        return addresses;
    }
};

TEST_F(FrmViewRemindersTest, AnEmptyListShowsTheHeaderRowTheCommandsAndTheInstructions) {
    auto window = Open();
    ReminderGrid& grid = Grid(*window);
    EXPECT_EQ(window->windowTitle(), "Pending Reminders (Next Reminder: None)");
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.objectName(), "grdReminders");
    const QStringList headers{"ID",      "Email Address", "Date Sent", "Reminder Date",
                              "Subject", "Notes"};
    const std::vector<int> widths{0, 2000, 1800, 1800, 1800, 1800};
    const std::vector<int> kinds{31, 31, 7, 7, 31, 31};
    for (int column = 0; column < 6; ++column) {
        EXPECT_EQ(grid.model()->headerData(column, Qt::Horizontal).toString(), headers[column]);
        EXPECT_EQ(grid.ColWidth(column), widths[size_t(column)]);
        EXPECT_EQ(grid.ColDataType(column), kinds[size_t(column)]);
        EXPECT_EQ(grid.isColumnHidden(column), column == 0);
        // The last column also takes the room left over.
        if (column > 0) {
            EXPECT_GE(grid.columnWidth(column), widths[size_t(column)] / 15) << column;
            if (column < 5) {
                EXPECT_EQ(grid.columnWidth(column), widths[size_t(column)] / 15)
                    << "15 twips a pixel";
            }
        }
    }
    EXPECT_EQ(window->frameCommands->title(), "Commands");
    EXPECT_EQ(window->frameInstructions->title(), "Instructions");
    EXPECT_EQ(LabelText(window.get(), "Label1"),
              "Hold the control or shift key down to select multiple rows.");
    EXPECT_EQ(LabelText(window.get(), "Label2"),
              "Click on any column header to sort by that column.");
    EXPECT_EQ(LabelText(window.get(), "Label3"),
              "Double click any row to edit notes, the reminder time, or the color.");
    const std::vector<std::pair<const char*, const char*>> buttons{
        {"cmdChangeReminderTime", "Change &Reminder Time"},
        {"cmdDelete", "&Delete"},
        {"cmdCreate", "&Create Email"},
        {"cmdView", "&View Original"},
        {"cmdOk", "E&xit"}};
    for (const auto& [name, caption] : buttons) {
        EXPECT_EQ(Button(window.get(), name)->text(), caption);
        EXPECT_EQ(Button(window.get(), name)->parentWidget(), window->frameCommands);
    }
    // Nothing selected: re-dating and deleting do nothing, the others ask.
    Press(*window, "cmdChangeReminderTime");
    Press(*window, "cmdDelete");
    EXPECT_TRUE(env.messageBoxes.shown.empty());
    Press(*window, "cmdView");
    Press(*window, "cmdCreate");
    EXPECT_EQ(env.messageBoxes.shown, (std::vector<Shown>{kSelectRow, kSelectRow}));
    EXPECT_EQ(env.timers.SetCount(), 0);
    EXPECT_TRUE(log.Errors().empty());
}

// What a tooltip shows: the tip label renders text that looks like markup as
// markup, and anything else as it is.
QString ShownToolTip(const QModelIndex& index) {
    const QString tip = index.data(Qt::ToolTipRole).toString();
    return Qt::mightBeRichText(tip) ? QTextDocumentFragment::fromHtml(tip).toPlainText() : tip;
}

TEST_F(FrmViewRemindersTest, SubjectsAndNotesShowAsWrittenInTooltips) {
    auto offer = AddReminder("lee@example.com", "<b>Offer</b> & <a href='x'>terms</a>",
                             "3/7/2024 9:00:00 AM");
    offer->setNote("<h1>Call</h1>\nthen <i>write</i>");
    AddReminder("pat@example.com", "Plain & simple", "3/8/2024 9:00:00 AM");
    auto window = Open();
    const QAbstractItemModel& grid = *Grid(*window).model();
    EXPECT_EQ(ShownToolTip(grid.index(0, Col::ColSubject)), "<b>Offer</b> & <a href='x'>terms</a>");
    EXPECT_EQ(ShownToolTip(grid.index(0, Col::ColNotes)), "<h1>Call</h1>\nthen <i>write</i>");
    // Text that does not look like markup is handed on as it is.
    EXPECT_EQ(grid.index(1, Col::ColSubject).data(Qt::ToolTipRole).toString(), "Plain & simple");
}

TEST_F(FrmViewRemindersTest, EveryReminderIsARowInCollectionOrderInItsColour) {
    AddSeven();
    auto lee = AddReminder("lee@example.com", "Plans\tQ2", "3/7/2024 9:00:00 AM");
    lee->setNote("first line\r\nsecond line");
    lee->setColor(0x8B0000);
    RemindTimer::SetNextTimer();
    auto window = Open();
    ReminderGrid& grid = Grid(*window);
    EXPECT_EQ(window->windowTitle(), "Pending Reminders (Next Reminder: 3/8/2024 09:00 AM)");
    ASSERT_EQ(grid.Rows(), 9);
    EXPECT_EQ(Column(grid, Col::ColId), (QStringList{"1", "2", "3", "4", "5", "6", "7", "8"}));
    EXPECT_EQ(grid.TextMatrix(1, Col::ColEmailAddress), "p1@example.com");
    EXPECT_EQ(grid.TextMatrix(1, Col::ColDateSent), "3/4/2024 04:30 PM");
    EXPECT_EQ(grid.TextMatrix(1, Col::ColReminderDate), "3/14/2024 09:00 AM");
    EXPECT_EQ(grid.TextMatrix(1, Col::ColSubject), "Subject 1");
    EXPECT_EQ(grid.TextMatrix(1, Col::ColNotes), "call p1@example.com");
    EXPECT_EQ(grid.Reminder(8), lee) << "the very reminder";

    // A TAB or a line break shows on one line; the cell keeps the text.
    const QModelIndex subject = grid.model()->index(7, Col::ColSubject);
    const QModelIndex note = grid.model()->index(7, Col::ColNotes);
    EXPECT_EQ(subject.data().toString(), "Plans Q2");
    EXPECT_EQ(note.data().toString(), "first line second line");
    EXPECT_EQ(note.data(Qt::ToolTipRole).toString(), "first line\r\nsecond line");
    EXPECT_EQ(grid.TextMatrix(8, Col::ColSubject), "Plans\tQ2");
    for (int column = 0; column < 6; ++column) {
        EXPECT_EQ(grid.model()->index(7, column).data(Qt::ForegroundRole).value<QColor>(),
                  QColor(0x00, 0x00, 0x8B));
        EXPECT_EQ(grid.model()->index(0, column).data(Qt::ForegroundRole).value<QColor>(),
                  QColor(0xFF, 0x00, 0x00));
    }
}

TEST_F(FrmViewRemindersTest, AHeaderClickSortsDatesAsDatesAndTextAsText) {
    AddSeven();
    Globals::m_ReminderItems->Item(2)->setSubject("apple");
    Globals::m_ReminderItems->Item(5)->setSubject("Banana");
    auto window = Open();
    ReminderGrid& grid = Grid(*window);
    ClickHeader(grid, Col::ColReminderDate);
    // As text, 3/10 ... 3/14 would come before 3/8 and 3/9.
    EXPECT_EQ(Column(grid, Col::ColReminderDate),
              (QStringList{"3/8/2024 09:00 AM", "3/9/2024 09:00 AM", "3/10/2024 09:00 AM",
                           "3/11/2024 09:00 AM", "3/12/2024 09:00 AM", "3/13/2024 09:00 AM",
                           "3/14/2024 09:00 AM"}));
    EXPECT_EQ(grid.TextMatrix(1, Col::ColEmailAddress), "p7@example.com") << "rows move whole";
    ClickHeader(grid, Col::ColReminderDate);
    EXPECT_EQ(grid.TextMatrix(1, Col::ColReminderDate), "3/14/2024 09:00 AM") << "then descending";

    ClickHeader(grid, Col::ColSubject);
    EXPECT_EQ(Column(grid, Col::ColSubject).mid(0, 3),
              (QStringList{"apple", "Banana", "Subject 1"}))
        << "letter case ignored";
    // A refill shows the collection's order again.
    window->FillGrid();
    EXPECT_EQ(grid.TextMatrix(1, Col::ColEmailAddress), "p1@example.com");
    EXPECT_EQ(grid.horizontalHeader()->sortIndicatorSection(), -1);
}

TEST_F(FrmViewRemindersTest, ControlAndShiftClicksSelectRowsTwoFiveAndSevenForDeletion) {
    AddSeven();
    RemindTimer::SetNextTimer();
    const int armed = env.timers.SetCount();
    auto window = Open();
    ReminderGrid& grid = Grid(*window);
    ClickRow(grid, 2);
    ClickRow(grid, 5, Qt::ControlModifier);
    ClickRow(grid, 7, Qt::ControlModifier);
    EXPECT_EQ(grid.SelectedRowList(), (std::vector<int>{2, 5, 7}));
    Press(*window, "cmdDelete");
    EXPECT_EQ(Addresses(), (QStringList{"p1@example.com", "p3@example.com", "p4@example.com",
                                        "p6@example.com"}));
    EXPECT_EQ(Column(grid, Col::ColEmailAddress), Addresses()) << "the rows between are kept";
    EXPECT_EQ(Column(grid, Col::ColId), (QStringList{"1", "3", "4", "6"})) << "not refilled";
    EXPECT_EQ(env.timers.SetCount(), armed + 1) << "re-armed for what is left";
    EXPECT_EQ(RemindTimer::NextReminderTime, "3/9/2024 09:00 AM");
    EXPECT_FALSE(DataFileBytes().contains("p2@example.com")) << "saved at once";
    EXPECT_TRUE(DataFileBytes().contains("p3@example.com"));

    // Shift-click selects a range; the Delete key deletes it.
    ClickRow(grid, 1);
    ClickRow(grid, 3, Qt::ShiftModifier);
    EXPECT_EQ(grid.SelectedRows(), 3);
    QTest::keyClick(&grid, Qt::Key_Delete);
    EXPECT_EQ(Addresses(), QStringList{"p6@example.com"});
    EXPECT_EQ(grid.Rows(), 2);
    QTest::keyClick(&grid, Qt::Key_Backspace);
    EXPECT_EQ(grid.Rows(), 2) << "other keys do nothing";
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(FrmViewRemindersTest, RowsOfTheSameAddressAndSubjectEachActOnTheirOwnReminder) {
    auto first = AddReminder("pat@example.com", "Budget", "3/8/2024 9:00:00 AM", "E1");
    auto second = AddReminder("pat@example.com", "Budget", "3/9/2024 9:00:00 AM", "E2");
    auto window = Open();
    ReminderGrid& grid = Grid(*window);

    DoubleClickRow(grid, 2);
    frmDisplayEx* details = window->myFrmDisplayEx();
    ASSERT_TRUE(details && details->isVisible());
    EXPECT_EQ(details->MyReminderInstance(), second);
    EXPECT_EQ(LabelText(details, "lblNew"), "3/9/2024 09:00 AM");
    details->close();

    ClickRow(grid, 1);
    Press(*window, "cmdDelete");
    ASSERT_EQ(Globals::m_ReminderItems->Count(), 1);
    EXPECT_EQ(Globals::m_ReminderItems->Item(1), second) << "the row's own reminder went";
    EXPECT_EQ(grid.Reminder(1), second);

    // A reminder dismissed elsewhere meanwhile takes no other with it.
    auto third = AddReminder("pat@example.com", "Budget", "3/10/2024 9:00:00 AM", "E3");
    Globals::m_ReminderItems->Remove(second);
    ClickRow(grid, 1);
    Press(*window, "cmdDelete");
    EXPECT_EQ(grid.Rows(), 1);
    ASSERT_EQ(Globals::m_ReminderItems->Count(), 1);
    EXPECT_EQ(Globals::m_ReminderItems->Item(1), third);
}

TEST_F(FrmViewRemindersTest, ADoubleClickOpensTheDetailsAndTheirChangeRefillsTheList) {
    AddSeven();
    auto window = Open();
    ReminderGrid& grid = Grid(*window);
    // The header row opens nothing.
    const QHeaderView* header = grid.horizontalHeader();
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                       QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    EXPECT_FALSE(window->myFrmDisplayEx()->isVisible());

    DoubleClickRow(grid, 3);
    frmDisplayEx* details = window->myFrmDisplayEx();
    ASSERT_TRUE(details->isVisible());
    EXPECT_FALSE(details->isModal());
    EXPECT_EQ(details->MyReminderInstance(), Globals::m_ReminderItems->Item(3));
    EXPECT_EQ(LabelText(details, "lblNext"), RemindTimer::NextReminderTime);

    // Another row while the details are open: they close and open on it.
    details->txtNote->setPlainText("typed for p3");
    DoubleClickRow(grid, 4);
    EXPECT_EQ(details->MyReminderInstance(), Globals::m_ReminderItems->Item(4));
    EXPECT_EQ(Globals::m_ReminderItems->Item(3)->Note(), "call p3@example.com")
        << "p3's note edit went with its close box";

    details->txtNote->setPlainText("called twice");
    QTest::mouseClick(details->cmdOk, Qt::LeftButton);
    EXPECT_EQ(Globals::m_ReminderItems->Item(4)->Note(), "called twice");
    EXPECT_EQ(grid.TextMatrix(4, Col::ColNotes), "called twice") << "refilled";
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(FrmViewRemindersTest, AfterSortingARowIsReDatedAsItsOwnReminder) {
    AddSeven();
    auto window = Open();
    ReminderGrid& grid = Grid(*window);
    ClickHeader(grid, Col::ColReminderDate);
    ClickRow(grid, 1);  // p7, due on the 8th
    ASSERT_EQ(grid.TextMatrix(1, Col::ColEmailAddress), "p7@example.com");
    ModalPlayer player;
    player.Then("frmChangeDate", [](QWidget* dialog) {
        EXPECT_EQ(static_cast<frmChangeDate*>(dialog)->MonthView->selectedDate(),
                  QDate(2024, 3, 8));
        Choose(dialog, QDate(2024, 3, 20), QTime(15, 5));
        ModalPlayer::QueueClick(dialog, "cmdOk");
    });
    Press(*window, "cmdChangeReminderTime");
    ASSERT_TRUE(player.Done());
    EXPECT_EQ(Globals::m_ReminderItems->Item(7)->ReminderDateText(), "3/20/2024 03:05 PM");
    EXPECT_EQ(Globals::m_ReminderItems->Item(1)->ReminderDateText(), "3/14/2024 9:00:00 AM");
    EXPECT_EQ(grid.TextMatrix(1, Col::ColReminderDate), "3/20/2024 03:05 PM") << "stays in place";
    EXPECT_EQ(window->windowTitle(), "Pending Reminders (Next Reminder: 3/9/2024 09:00 AM)");
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(FrmViewRemindersTest, SeveralRowsGetTheConfirmedDateAndCancelLeavesEveryOne) {
    AddSeven();
    auto window = Open();
    ReminderGrid& grid = Grid(*window);
    grid.SelectRows({2, 4});
    ModalPlayer cancel;
    cancel.Then("frmChangeDate", [](QWidget* dialog) {
        Choose(dialog, QDate(2024, 3, 20), QTime(15, 5));
        ModalPlayer::QueueClick(dialog, "cmdCancel");
    });
    Press(*window, "cmdChangeReminderTime");
    ASSERT_TRUE(cancel.Done());
    EXPECT_EQ(Globals::m_ReminderItems->Item(2)->ReminderDateText(), "3/13/2024 9:00:00 AM");
    EXPECT_EQ(Globals::m_ReminderItems->Item(4)->ReminderDateText(), "3/11/2024 9:00:00 AM")
        << "not given the first row's date";
    EXPECT_EQ(env.timers.SetCount(), 0);

    ModalPlayer unchanged;
    unchanged.Then("frmChangeDate",
                   [](QWidget* dialog) { ModalPlayer::QueueClick(dialog, "cmdOk"); });
    Press(*window, "cmdChangeReminderTime");
    ASSERT_TRUE(unchanged.Done());
    EXPECT_EQ(Globals::m_ReminderItems->Item(4)->ReminderDateText(), "3/13/2024 09:00 AM")
        << "confirmed: every selected row gets the date shown";
    EXPECT_EQ(grid.TextMatrix(4, Col::ColReminderDate), "3/13/2024 09:00 AM");
    EXPECT_EQ(env.timers.SetCount(), 1);
}

TEST_F(FrmViewRemindersTest, ViewOriginalOpensTheSentMessagesOrTracesTheMissingOnes) {
    auto archive = model->AddStore("Archive");
    auto message = model->NewMailItem();
    message->setSubject("Budget");
    model->File(archive, message);
    AddReminder("pat@example.com", "Budget", "3/8/2024 9:00:00 AM", message->EntryID(),
                archive->StoreID());
    AddReminder("lee@example.com", "Plans", "3/8/2024 9:00:00 AM", "gone");
    log.Clear();
    auto window = Open();
    Grid(*window).SelectRows({1, 2});
    Press(*window, "cmdView");
    ASSERT_EQ(model->Inspectors().size(), 1u);
    EXPECT_EQ(model->Inspectors()[0]->CurrentItem(), message);
    EXPECT_EQ(log.TraceMessages("Chasewell.ViewOriginalEmail"),
              std::vector<QString>{"In the function for VIEWORIGINALEMAIL"});
    EXPECT_EQ(log.TraceMessages("frmViewReminders.ViewOriginalEmail"),
              std::vector<QString>{"Could not find original email with entryId: gone"});
    EXPECT_TRUE(env.messageBoxes.shown.empty());

    // Without the engine the look-up fails: reported at its step.
    window->setEngine(nullptr);
    Press(*window, "cmdView");
    EXPECT_EQ(log.Errors(),
              (std::vector<ErrorReportRecord>{
                  {"Error occurred at line 2.  Reason: Object variable or With block variable "
                   "not set",
                   0, "Chasewell.frmViewReminders.ViewOriginalEmail"}}));
}

TEST_F(FrmViewRemindersTest, AFollowUpForwardsTheOriginalOrStartsBlankToTheRecipient) {
    auto sent = model->NewMailItem();
    sent->setSubject("Budget");
    sent->setBody("The figures.");
    model->File(model->DefaultFolder(client::olFolderSentMail), sent);
    AddReminder("pat@example.com", "Budget", "3/8/2024 9:00:00 AM", sent->EntryID());
    AddReminder("lee@example.com", "Plans", "3/8/2024 9:00:00 AM", "deleted since");
    auto window = Open();
    Grid(*window).SelectRows({1, 2});
    Press(*window, "cmdCreate");
    ASSERT_EQ(model->Inspectors().size(), 2u);
    // The last selected row first.
    auto blank =
        std::dynamic_pointer_cast<host::HostMailItem>(model->Inspectors()[0]->CurrentItem());
    auto forward =
        std::dynamic_pointer_cast<host::HostMailItem>(model->Inspectors()[1]->CurrentItem());
    ASSERT_TRUE(blank && forward);
    EXPECT_EQ(forward->Subject(), "Budget") << "the plain subject, no forward prefix";
    EXPECT_EQ(forward->Body(), "\n" + sent->ForwardedHeaderBlock() + "\nThe figures.");
    EXPECT_TRUE(forward->Body().contains("Subject: Budget\n"));
    ASSERT_EQ(forward->RecipientList()->Count(), 1);
    EXPECT_EQ(forward->RecipientList()->Item(1)->Address(), "pat@example.com");
    EXPECT_EQ(blank->Subject(), "Plans");
    EXPECT_EQ(blank->Body(), "");
    EXPECT_EQ(blank->RecipientList()->Item(1)->Address(), "lee@example.com");
    EXPECT_FALSE(forward->Folder()) << "left open, not sent";
    EXPECT_EQ(Globals::m_ReminderItems->Count(), 2) << "the reminders stay";
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(FrmViewRemindersTest, ExitSavesAndClosesTheCloseBoxOnlyCloses) {
    AddSeven();
    auto window = Open();
    Grid(*window).SelectRows({1});
    Press(*window, "cmdDelete");
    EXPECT_FALSE(DataFileBytes().contains("p1@example.com")) << "a deletion is saved at once";
    Globals::m_ReminderItems->Item(1)->setNote("edited");
    window->windowHandle()->close();
    EXPECT_FALSE(window->IsLoaded());
    EXPECT_FALSE(DataFileBytes().contains("edited")) << "the close box saves nothing";
    EXPECT_EQ(log.TraceMessages("frmViewReminders.Form_Unload"),
              std::vector<QString>{"Unload called"});

    window->show();
    EXPECT_EQ(Grid(*window).Rows(), 7) << "loaded again from memory";
    Press(*window, "cmdOk");
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(DataFileBytes().contains("|Note: edited\r\n"));
    EXPECT_EQ(log.TraceMessages("frmViewReminders.Form_Unload").size(), 2u);
    window.reset();
    EXPECT_EQ(log.TraceMessages("frmViewReminders.Form_Terminate"),
              std::vector<QString>{"Terminate called"});
}

TEST_F(FrmViewRemindersTest, TheAcceleratorsPressTheirButtonsAndAltXReachesExit) {
    AddSeven();
    auto window = Open();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    Grid(*window).SelectRows({1});
    QTest::keyClick(window.get(), Qt::Key_V, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !log.TraceMessages("frmViewReminders.ViewOriginalEmail").empty(); }));
    QTest::keyClick(window.get(), Qt::Key_D, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Globals::m_ReminderItems->Count() == 6; }));
    QTest::keyClick(window.get(), Qt::Key_X, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }));
    EXPECT_FALSE(DataFileBytes().contains("p1@example.com")) << "closed through Exit";
}

TEST_F(FrmViewRemindersTest, AFillFromOutsideLoadsTheWindowHidden) {
    AddSeven();
    frmViewReminders window;
    window.FillGrid();
    EXPECT_TRUE(window.IsLoaded());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.grdReminders->Rows(), 8);
    ASSERT_NE(window.myFrmDisplayEx(), nullptr);
    window.show();
    EXPECT_EQ(window.grdReminders->Rows(), 8);
    window.Unload();
    EXPECT_FALSE(window.IsLoaded());
    EXPECT_EQ(window.myFrmDisplayEx(), nullptr);
}

TEST_F(FrmViewRemindersTest, ADateThatIsNoDateIsListedAsHeldAndSortsFirst) {
    AddSeven();
    Globals::m_ReminderItems->Item(4)->setSentDate("yesterday");
    Globals::m_ReminderItems->Item(5)->setReminderDate("when Pat is back");
    auto window = Open();
    ReminderGrid& grid = Grid(*window);
    EXPECT_EQ(grid.Rows(), 8) << "one such reminder does not hide the others";
    EXPECT_EQ(grid.TextMatrix(4, Col::ColDateSent), "yesterday");
    EXPECT_EQ(grid.TextMatrix(5, Col::ColReminderDate), "when Pat is back");
    EXPECT_EQ(grid.TextMatrix(6, Col::ColReminderDate), "3/9/2024 09:00 AM");
    EXPECT_EQ(window->windowTitle(), "Pending Reminders (Next Reminder: None)");
    ClickHeader(grid, Col::ColReminderDate);
    EXPECT_EQ(grid.TextMatrix(1, Col::ColReminderDate), "when Pat is back");
    EXPECT_TRUE(log.Errors().empty());

    // Without a collection only the grid is emptied.
    Globals::m_ReminderItems.reset();
    window->FillGrid();
    EXPECT_EQ(Grid(*window).Rows(), 1);
    EXPECT_TRUE(log.Errors().empty());
}

// Renders the window for the documentation when CHASEWELL_SCREENSHOT names
// the file to write (docs/pending-reminders.png); skipped otherwise.
TEST_F(FrmViewRemindersTest, Screenshot) {
    const QString path = qEnvironmentVariable("CHASEWELL_SCREENSHOT");
    if (path.isEmpty())
        GTEST_SKIP() << "set CHASEWELL_SCREENSHOT to the file to write";
    AddSeven();
    Globals::m_ReminderItems->Item(2)->setColor(0x8B0000);
    RemindTimer::SetNextTimer();
    auto window = Open();
    Grid(*window).SelectRows({3});
    ASSERT_TRUE(window->grab().save(path));
}

}  // namespace
