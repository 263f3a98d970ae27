#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QSignalSpy>
#include <QWindow>

#include "tests/windows/ManageFixture.h"
#include "windows/manage/ChangeDateText.h"

namespace {

using Shown = testing_support::RecordingMessageBoxes::Shown;
using testing_support::ManageFixture;

const Shown kPast{"The reminder date cannot occur in the past.", "Chasewell"};

class FrmChangeDateTest : public ManageFixture {
protected:
    FrmChangeDateTest() {
        // Due tomorrow at 9:00; the clock stands at 3/7/2024 10:00:30 AM.
        env.clock.Set("2024-03-07T10:00:30");
        pat = AddReminder("pat@example.com", "Budget", "3/8/2024 9:00:00 AM");
        log.Clear();
    }

    // The dialog over the reminder, shown modeless (the windows that use it
    // run it modal; what it does is the same).
    std::unique_ptr<frmChangeDate> Open(const std::shared_ptr<CReminderItem>& reminder) {
        auto dialog = std::make_unique<frmChangeDate>();
        dialog->setMyReminderInstance(reminder);
        dialog->show();
        return dialog;
    }
    static void Press(frmChangeDate& dialog, const char* button) {
        QTest::mouseClick(Button(&dialog, button), Qt::LeftButton);
    }

    std::shared_ptr<CReminderItem> pat;
};

TEST_F(FrmChangeDateTest, OpensOnTheRemindersDateWithTheCaptionsAndTabOrder) {
    auto dialog = Open(pat);
    EXPECT_EQ(dialog->windowTitle(), "Change Date");
    EXPECT_EQ(Control<QGroupBox>(dialog.get(), "Frame1")->title(), "Follow Up Date And Time");
    EXPECT_EQ(LabelText(dialog.get(), "Label1"), "Reminder Time:");
    EXPECT_EQ(Button(dialog.get(), "cmdOk")->text(), "&OK");
    EXPECT_EQ(Button(dialog.get(), "cmdCancel")->text(), "&Cancel");
    EXPECT_EQ(dialog->MonthView->selectedDate(), QDate(2024, 3, 8));
    EXPECT_EQ(dialog->dtpReminderTime->time(), QTime(9, 0));
    EXPECT_EQ(dialog->dtpReminderTime->text(), "09:00 AM");
    EXPECT_EQ(dialog->MonthView->parentWidget(), dialog->Frame1);
    EXPECT_EQ(dialog->dtpReminderTime->parentWidget(), dialog->Frame1);
    EXPECT_LT(dialog->cmdOk->x(), dialog->cmdCancel->x());
    EXPECT_LT(dialog->Frame1->geometry().bottom(), dialog->cmdOk->y());

    // Calendar, time picker, OK, Cancel; Tab leaves the time picker at once.
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    QWidget* focus = QApplication::focusWidget();
    ASSERT_TRUE(focus == dialog->MonthView || dialog->MonthView->isAncestorOf(focus));
    QTest::keyClick(focus, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), dialog->dtpReminderTime);
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(FrmChangeDateTest, ANewDateIsWrittenWithoutSecondsAndReArmsTheTimer) {
    auto dialog = Open(pat);
    Choose(dialog.get(), QDate(2024, 3, 12), QTime(14, 30));
    Press(*dialog, "cmdOk");
    EXPECT_EQ(pat->ReminderDateText(), "3/12/2024 02:30 PM");
    EXPECT_EQ(pat->ReminderDate(), "3/12/2024 02:30 PM");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(env.timers.SetCount(), 1);
    EXPECT_EQ(RemindTimer::NextReminderTime, "3/12/2024 02:30 PM");
    EXPECT_TRUE(env.messageBoxes.shown.empty());
    EXPECT_TRUE(DataFileBytes().contains("ReminderDate: 3/8/2024 9:00:00 AM")) << "not saved";
}

TEST_F(FrmChangeDateTest, TheCurrentMinuteIsRefusedAndTheNextOneAccepted) {
    auto dialog = Open(pat);
    Choose(dialog.get(), QDate(2024, 3, 7), QTime(10, 0));
    Press(*dialog, "cmdOk");
    EXPECT_EQ(env.messageBoxes.shown, std::vector<Shown>{kPast});
    EXPECT_TRUE(dialog->isVisible()) << "the dialog stays open";
    EXPECT_EQ(pat->ReminderDateText(), "3/8/2024 9:00:00 AM");
    EXPECT_EQ(env.timers.SetCount(), 0);

    Choose(dialog.get(), QDate(2024, 3, 7), QTime(10, 1));
    Press(*dialog, "cmdOk");
    EXPECT_EQ(env.messageBoxes.shown.size(), 1u);
    EXPECT_EQ(pat->ReminderDateText(), "3/7/2024 10:01 AM");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(FrmChangeDateTest, AnUnchangedChoiceIsConfirmedButWritesNothing) {
    auto dialog = Open(pat);
    pat->setIsDirty(false);
    Press(*dialog, "cmdOk");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(pat->ReminderDateText(), "3/8/2024 9:00:00 AM") << "the held text is kept";
    EXPECT_FALSE(pat->IsDirty());
    EXPECT_EQ(env.timers.SetCount(), 0);
}

TEST_F(FrmChangeDateTest, AnOverdueReminderIsRefusedUnchangedAndCancelLeavesIt) {
    pat->setReminderDate("3/7/2024 9:00:00 AM");
    auto dialog = Open(pat);
    Press(*dialog, "cmdOk");
    EXPECT_EQ(env.messageBoxes.shown, std::vector<Shown>{kPast});
    EXPECT_TRUE(dialog->isVisible());

    Press(*dialog, "cmdCancel");
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(pat->ReminderDateText(), "3/7/2024 9:00:00 AM");
    EXPECT_FALSE(dialog->IsLoaded());
}

TEST_F(FrmChangeDateTest, EscAndTheCloseBoxCancelWhateverWasChosen) {
    auto dialog = Open(pat);
    Choose(dialog.get(), QDate(2024, 3, 20), QTime(8, 0));
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog->isVisible());

    dialog->setMyReminderInstance(pat);
    dialog->show();
    EXPECT_EQ(dialog->MonthView->selectedDate(), QDate(2024, 3, 8)) << "loaded afresh";
    Choose(dialog.get(), QDate(2024, 3, 20), QTime(8, 0));
    dialog->windowHandle()->close();
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(pat->ReminderDateText(), "3/8/2024 9:00:00 AM");
    EXPECT_EQ(env.timers.SetCount(), 0);
}

TEST_F(FrmChangeDateTest, TabOntoOkCommitsButOnlyKeyboardMovesRunIt) {
    auto dialog = Open(pat);
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));

    // A past choice, then Tab from the time picker: refused once.
    Choose(dialog.get(), QDate(2024, 3, 6), QTime(9, 0));
    dialog->dtpReminderTime->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(dialog->dtpReminderTime, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), dialog->cmdOk);
    EXPECT_EQ(env.messageBoxes.shown, std::vector<Shown>{kPast});

    // The focus coming back to OK as the message box closes is no move.
    auto other = std::make_unique<QWidget>();
    other->show();
    other->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(other.get()));
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    EXPECT_EQ(QApplication::focusWidget(), dialog->cmdOk);
    EXPECT_EQ(env.messageBoxes.shown.size(), 1u);

    // A click gives OK the focus and clicks it: one refusal, not two.
    dialog->dtpReminderTime->setFocus(Qt::OtherFocusReason);
    Press(*dialog, "cmdOk");
    EXPECT_EQ(env.messageBoxes.shown.size(), 2u);

    // Shift+Tab back onto OK from Cancel, with a good choice, commits.
    Choose(dialog.get(), QDate(2024, 3, 9), QTime(11, 15));
    dialog->cmdCancel->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(dialog->cmdCancel, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(pat->ReminderDateText(), "3/9/2024 11:15 AM");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(FrmChangeDateTest, TheAcceleratorsPressOkOnceAndCancel) {
    auto dialog = Open(pat);
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    // Alt+O moves the focus onto OK and clicks it: one refusal, not two.
    Choose(dialog.get(), QDate(2024, 3, 6), QTime(9, 0));
    dialog->dtpReminderTime->setFocus(Qt::OtherFocusReason);
    QSignalSpy clicked(dialog->cmdOk, &QPushButton::clicked);
    QTest::keyClick(dialog.get(), Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicked.count() == 1; }));
    EXPECT_EQ(env.messageBoxes.shown, std::vector<Shown>{kPast});
    QTest::keyClick(dialog.get(), Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog->isVisible(); }));
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(pat->ReminderDateText(), "3/8/2024 9:00:00 AM");
}

TEST_F(FrmChangeDateTest, WithoutAUsableDateTheDialogOffersTheNextMinute) {
    pat->setReminderDate("soon");
    auto dialog = Open(pat);
    EXPECT_EQ(dialog->MonthView->selectedDate(), QDate(2024, 3, 7));
    EXPECT_EQ(dialog->dtpReminderTime->time(), QTime(10, 1));
    Press(*dialog, "cmdOk");
    EXPECT_EQ(pat->ReminderDateText(), "3/7/2024 10:01 AM");

    auto none = Open(nullptr);
    Press(*none, "cmdOk");
    EXPECT_EQ(none->result(), QDialog::Accepted);
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(FrmChangeDateTest, InALocaleWithoutDesignatorsAnAfternoonIsWrittenOnTheTwentyFourHourClock) {
    platform::LocaleDates german{QLocale(QLocale::German, QLocale::Germany)};
    env.env.dates = &german;
    ASSERT_FALSE(manage::LocaleUsesDesignators());
    pat->setReminderDate("08.03.2024 09:00:00");
    auto dialog = Open(pat);
    EXPECT_EQ(dialog->dtpReminderTime->text(), "09:00");
    Choose(dialog.get(), QDate(2024, 3, 12), QTime(14, 30));
    Press(*dialog, "cmdOk");
    EXPECT_EQ(pat->ReminderDateText(), "12.03.2024 14:30");
    ASSERT_TRUE(pat->ReminderDateValue());
    EXPECT_EQ(pat->ReminderDateValue()->time(), QTime(14, 30)) << "reads back as afternoon";
    EXPECT_EQ(env.timers.SetCount(), 1);

    // Opened again on that date, an unchanged choice writes nothing.
    pat->setIsDirty(false);
    auto again = Open(pat);
    EXPECT_EQ(again->dtpReminderTime->time(), QTime(14, 30));
    Press(*again, "cmdOk");
    EXPECT_FALSE(pat->IsDirty());
    EXPECT_EQ(env.timers.SetCount(), 1);
}

}  // namespace
