#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

#include "platform/QtDialogs.h"
#include "tests/windows/AlarmFixture.h"

namespace {

using host::ErrorReportRecord;
using Shown = testing_support::RecordingMessageBoxes::Shown;
using testing_support::AlarmFixture;

const Shown kNotUnderstood{"The snooze time is not understood.  Please try again.", "Chasewell"};

class FrmRemindTest : public AlarmFixture {
protected:
    FrmRemindTest() {
        pat = AddReminder("pat@example.com", "Budget");
        log.Clear();
    }

    void TypeSnoozeText(frmRemind& window, const QString& text) {
        PastInputGuard();
        QLineEdit* edit = SnoozeList(&window)->lineEdit();
        edit->clear();
        QTest::keyClicks(edit, text);
    }

    std::shared_ptr<CReminderItem> pat;
};

TEST_F(FrmRemindTest, LoadingShowsTheReminderWithTheWindowsCaptions) {
    auto window = Open(pat);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Chasewell Alarm for 3/7/2024 09:00 AM");
    EXPECT_EQ(LabelText(window.get(), "lblEmail"), "pat@example.com");
    EXPECT_EQ(LabelText(window.get(), "lblDateSent"), "3/4/2024 04:30 PM");
    EXPECT_EQ(LabelText(window.get(), "lblSubject"), "Budget");
    EXPECT_EQ(Control<QLabel>(window.get(), "lblSubject")->textFormat(), Qt::PlainText)
        << "text from mail is never markup";
    EXPECT_EQ(Note(window.get())->toPlainText(), "call pat@example.com");
    EXPECT_EQ(Note(window.get())->palette().color(QPalette::Text), QColor(255, 0, 0));
    EXPECT_EQ(SnoozeList(window.get())->currentText(), "5 minutes");
    EXPECT_EQ(SnoozeList(window.get())->count(), 14);

    EXPECT_EQ(Control<QGroupBox>(window.get(), "frameChasewellAlarmDetails")->title(),
              "Chasewell Alarm Details");
    EXPECT_EQ(LabelText(window.get(), "Label1"), "E-mail:");
    EXPECT_EQ(LabelText(window.get(), "Label2"), "Date Sent:");
    EXPECT_EQ(LabelText(window.get(), "Label3"), "Subject:");
    EXPECT_EQ(LabelText(window.get(), "Label4"), "Note:");
    EXPECT_EQ(Button(window.get(), "cmdColors")->text(), "C&hange Colors...");
    EXPECT_EQ(Button(window.get(), "cmdSnooze")->text(), "&Snooze");
    EXPECT_EQ(Button(window.get(), "cmdSnoozeAll")->text(), "Snooze &All");
    EXPECT_EQ(Button(window.get(), "cmdDismiss")->text(), "&Dismiss");
    EXPECT_EQ(Button(window.get(), "cmdViewOriginal")->text(), "View Original...");
    EXPECT_TRUE(Button(window.get(), "cmdSnooze")->isDefault());
    EXPECT_TRUE(SnoozeList(window.get())->isEditable());

    EXPECT_EQ(log.TraceMessages("frmRemind.Form_Load"),
              (std::vector<QString>{"Loading...", "Reminder alarm went off with subject: Budget",
                                    "Reminder alarm entry Id: E1"}));
    EXPECT_EQ(env.windows.foreground, std::vector<QWidget*>{window.get()});
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(FrmRemindTest, TheSystemsForegroundBringsTheLoadedWindowToTheFront) {
    platform::QtWindowEffects effects;
    env.env.windows = &effects;
    auto other = std::make_unique<QWidget>();
    other->show();
    other->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(other.get()));

    auto window = Open(pat);
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_EQ(window->windowTitle(), "Chasewell Alarm for 3/7/2024 09:00 AM");
    EXPECT_EQ(log.TraceMessages("frmRemind.Form_Load").size(), 3u) << "loaded once";
}

TEST_F(FrmRemindTest, TheLayoutStacksTheSnoozeButtonsLeftOfTheListAndTheOthersRight) {
    auto window = Open(pat);
    const auto* frame = Control<QGroupBox>(window.get(), "frameChasewellAlarmDetails");
    auto* holder = Control<QWidget>(window.get(), "Picture1");
    EXPECT_EQ(holder->parentWidget(), frame);
    for (const char* name : {"Label1", "lblEmail", "Label4", "txtNote"})
        EXPECT_EQ(Control<QWidget>(window.get(), name)->parentWidget(), frame) << name;
    for (const char* name : {"cmdSnooze", "cboSnooze", "cmdViewOriginal", "cmdColors"})
        EXPECT_EQ(Control<QWidget>(window.get(), name)->parentWidget(), holder) << name;

    const auto geometry = [&](const char* name) {
        return Control<QWidget>(window.get(), name)->geometry();
    };
    EXPECT_LT(geometry("cmdSnooze").top(), geometry("cmdSnoozeAll").top());
    EXPECT_LT(geometry("cmdSnoozeAll").top(), geometry("cmdDismiss").top());
    EXPECT_LT(geometry("cmdSnooze").right(), geometry("cboSnooze").left());
    EXPECT_LT(geometry("cboSnooze").right(), geometry("cmdViewOriginal").left());
    EXPECT_LT(geometry("cmdViewOriginal").top(), geometry("cmdColors").top());
    EXPECT_LT(geometry("Label1").right(), geometry("lblEmail").left());
    EXPECT_LT(geometry("txtNote").bottom(), holder->geometry().top());
}

TEST_F(FrmRemindTest, SnoozeSetsNowPlusTheIntervalKeepsTheNoteEditAndClosesSavingOnce) {
    auto window = Open(pat);
    Note(window.get())->setPlainText("called, no answer");
    TypeSnoozeText(*window, "2 hours");
    QTest::mouseClick(Button(window.get(), "cmdSnooze"), Qt::LeftButton);

    EXPECT_EQ(pat->ReminderDateText(), "3/7/2024 12:00:00 PM");
    EXPECT_EQ(pat->Note(), "called, no answer");
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->IsLoaded());
    EXPECT_EQ(itemChanged, 1);
    EXPECT_EQ(RemindTimer::NextReminderTime, "3/7/2024 12:00 PM") << "the timer was re-armed";
    ASSERT_EQ(env.timers.ArmedTimers().size(), 1u);
    EXPECT_EQ(env.timers.ArmedTimers()[0].due, env.clock.Now().addSecs(2 * 3600));
    EXPECT_EQ(DataFileBytes(),
              "EmailAddress: pat@example.com|EntryId: E1|StoreId: S1|SentDate: 3/4/2024 4:30:00 "
              "PM|ReminderDate: 3/7/2024 12:00:00 PM|Color: 255|Subject: Budget|Note: called, no "
              "answer\r\n");
    EXPECT_EQ(Setting("Chasewell", "MRUSnoozeTime"), "2 hours");
    EXPECT_EQ(log.TraceMessages("frmRemind.cmdSnooze_Click"),
              std::vector<QString>{"A reminder was snoozed for 2 hours.  Email: pat@example.com"});
    EXPECT_EQ(log.TraceMessages("frmRemind.Form_Unload"),
              std::vector<QString>{"Saving data and sending change notification"});
    EXPECT_EQ(window->MyReminderInstance(), nullptr) << "released on unload";
    EXPECT_TRUE(log.Errors().empty());
    EXPECT_TRUE(env.messageBoxes.shown.empty());

    window->close();
    EXPECT_EQ(itemChanged, 1) << "an unloaded window does not unload again";
}

TEST_F(FrmRemindTest, ARefusedTextLeavesTheWindowOpenAndIsOfferedByTheNextWindow) {
    auto window = Open(pat);
    Note(window.get())->setPlainText("edited");
    TypeSnoozeText(*window, "5  minutes");
    QTest::mouseClick(Button(window.get(), "cmdSnooze"), Qt::LeftButton);

    EXPECT_EQ(env.messageBoxes.shown, std::vector<Shown>{kNotUnderstood});
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->IsLoaded());
    EXPECT_EQ(itemChanged, 0);
    EXPECT_EQ(pat->ReminderDateText(), "3/7/2024 9:00:00 AM");
    EXPECT_EQ(pat->Note(), "call pat@example.com");
    EXPECT_TRUE(log.TraceMessages("RemindTimer.KillTimer").empty()) << "the alarm is left alone";
    EXPECT_EQ(Setting("Chasewell", "MRUSnoozeTime"), "5  minutes");

    auto next = Open(AddReminder("lee@example.com", "Plans"));
    EXPECT_EQ(SnoozeList(next.get())->currentText(), "5  minutes");
}

TEST_F(FrmRemindTest, TheSnoozeTextIsExactlyWhatWasTypedKeyByKey) {
    // An inline completer would turn "1" into "10 minutes", "3" into
    // "30 minutes" and "1 HOUR" into "1 hour" as the keys arrive.
    const std::vector<std::pair<QString, QString>> typed = {
        {"1", "3/7/2024 9:00:00 AM"},        // refused: no unit
        {"3", "3/7/2024 9:00:00 AM"},        // refused
        {"5 m", "3/7/2024 9:00:00 AM"},      // refused: no such unit
        {"1 HOUR", "3/7/2024 11:00:00 AM"},  // understood, as typed
    };
    for (const auto& [text, due] : typed) {
        env.messageBoxes.shown.clear();
        auto window = Open(pat);
        PastInputGuard();
        // Typed as a user types: into the focused box of the active window.
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QLineEdit* edit = SnoozeList(window.get())->lineEdit();
        edit->setFocus();
        edit->clear();
        QTest::keyClicks(static_cast<QWidget*>(nullptr), text);
        EXPECT_EQ(SnoozeList(window.get())->currentText(), text);
        QTest::mouseClick(Button(window.get(), "cmdSnooze"), Qt::LeftButton);
        EXPECT_EQ(Setting("Chasewell", "MRUSnoozeTime"), text);
        EXPECT_EQ(pat->ReminderDateText(), due) << text.toStdString();
        EXPECT_EQ(env.messageBoxes.shown.size(), due == "3/7/2024 9:00:00 AM" ? 1u : 0u);
        window->close();
    }
    EXPECT_EQ(log.TraceMessages("frmRemind.cmdSnooze_Click").back(),
              "A reminder was snoozed for 1 HOUR.  Email: pat@example.com");
}

TEST_F(FrmRemindTest, KeysTypedAsTheAlarmComesUpDoNotReachIt) {
    // The user was typing when the alarm took the front: the next keys and
    // the Enter meant for the message must not snooze the reminder.
    auto window = Open(pat);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    SnoozeList(window.get())->setFocus();
    QTest::keyClicks(static_cast<QWidget*>(nullptr), "thanks");
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Return);
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_D, Qt::AltModifier);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->IsLoaded());
    EXPECT_EQ(SnoozeList(window.get())->currentText(), "5 minutes");
    EXPECT_EQ(pat->ReminderDateText(), "3/7/2024 9:00:00 AM");
    EXPECT_EQ(Globals::m_ReminderItems->Count(), 1);

    // A moment later the keyboard works.
    PastInputGuard();
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Return);
    EXPECT_FALSE(window->IsLoaded());
    EXPECT_EQ(pat->ReminderDateText(), "3/7/2024 10:05:00 AM");
}

TEST_F(FrmRemindTest, EnterSnoozesFromTheListAndPressesAFocusedButton) {
    // Keys go where the user's would: to the focused control of the active
    // window.
    const auto typeInto = [](frmRemind& window, QWidget* control, const QString& text,
                             Qt::Key key) {
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        control->setFocus();
        QTest::keyClicks(static_cast<QWidget*>(nullptr), text);
        QTest::keyClick(static_cast<QWidget*>(nullptr), key);
    };
    auto window = Open(pat);
    PastInputGuard();
    SnoozeList(window.get())->lineEdit()->clear();
    typeInto(*window, SnoozeList(window.get()), "1 hour", Qt::Key_Return);
    EXPECT_EQ(pat->ReminderDateText(), "3/7/2024 11:00:00 AM");
    EXPECT_EQ(SnoozeList(window.get())->count(), 14) << "a typed text is no new choice";
    EXPECT_FALSE(window->IsLoaded());

    auto lee = AddReminder("lee@example.com", "Plans");
    auto second = Open(lee);
    PastInputGuard();
    typeInto(*second, Button(second.get(), "cmdDismiss"), "", Qt::Key_Enter);
    EXPECT_EQ(Globals::m_ReminderItems->Count(), 1) << "Dismiss, not Snooze";
    EXPECT_EQ(lee->ReminderDateText(), "3/7/2024 9:00:00 AM");
}

TEST_F(FrmRemindTest, SnoozeAllSnoozesOnlyThisWindowsReminder) {
    auto lee = AddReminder("lee@example.com", "Plans");
    auto window = Open(pat);
    auto other = Open(lee);
    TypeSnoozeText(*window, "1 day");
    QTest::mouseClick(Button(window.get(), "cmdSnoozeAll"), Qt::LeftButton);

    EXPECT_EQ(pat->ReminderDateText(), "3/8/2024 10:00:00 AM");
    EXPECT_EQ(lee->ReminderDateText(), "3/7/2024 9:00:00 AM");
    EXPECT_FALSE(window->IsLoaded());
    EXPECT_TRUE(other->isVisible());
    EXPECT_EQ(log.TraceMessages("frmRemind.cmdSnoozeAll_Click"),
              std::vector<QString>{"All reminders were snoozed for 1 day"});
}

TEST_F(FrmRemindTest, DismissDeletesTheReminderAndTheDataFileNoLongerHoldsIt) {
    auto lee = AddReminder("lee@example.com", "Plans");
    auto window = Open(pat);
    QTest::mouseClick(Button(window.get(), "cmdDismiss"), Qt::LeftButton);

    ASSERT_EQ(Globals::m_ReminderItems->Count(), 1);
    EXPECT_EQ(Globals::m_ReminderItems->Item(1), lee);
    EXPECT_FALSE(DataFileBytes().contains("pat@example.com"));
    EXPECT_TRUE(DataFileBytes().contains("lee@example.com"));
    EXPECT_FALSE(window->IsLoaded());
    EXPECT_EQ(itemChanged, 1);
    EXPECT_TRUE(log.TraceMessages("RemindTimer.KillTimer").empty()) << "the alarm is left alone";
    EXPECT_EQ(
        log.TraceMessages("frmRemind.cmdDismiss_Click"),
        std::vector<QString>{"A reminder was dismissed and deleted.  Email: pat@example.com"});
}

TEST_F(FrmRemindTest, ViewOriginalWithoutEntryIdShowsBothMessagesInOrder) {
    pat->setEntryId("");
    auto window = Open(pat);
    QTest::mouseClick(Button(window.get(), "cmdViewOriginal"), Qt::LeftButton);
    EXPECT_EQ(env.messageBoxes.shown,
              (std::vector<Shown>{{"Original message not available.", "Chasewell"},
                                  {"Could not find associated email.", "Chasewell"}}));
    EXPECT_TRUE(model->Inspectors().empty());
    EXPECT_TRUE(window->IsLoaded());
}

TEST_F(FrmRemindTest, ViewOriginalFindsAMessageOfAnotherStoreWithItsStoreId) {
    auto archive = model->AddStore("Archive");
    auto message = model->NewMailItem();
    message->setSubject("Budget");
    model->File(archive, message);
    pat->setEntryId(message->EntryID());
    pat->setStoreId(archive->StoreID());
    ASSERT_ANY_THROW(model->FindItem(message->EntryID())) << "not in the default store";

    auto window = Open(pat);
    QTest::mouseClick(Button(window.get(), "cmdViewOriginal"), Qt::LeftButton);
    ASSERT_EQ(model->Inspectors().size(), 1u);
    EXPECT_EQ(model->Inspectors()[0]->CurrentItem(), message);
    EXPECT_EQ(log.TraceMessages("Chasewell.cmdViewOriginal_Click"),
              std::vector<QString>{"About to DISPLAY"});
    EXPECT_TRUE(env.messageBoxes.shown.empty());
    EXPECT_TRUE(window->IsLoaded());

    // An id found in no store: only the second message.
    pat->setEntryId("nowhere");
    QTest::mouseClick(Button(window.get(), "cmdViewOriginal"), Qt::LeftButton);
    EXPECT_EQ(env.messageBoxes.shown,
              (std::vector<Shown>{{"Could not find associated email.", "Chasewell"}}));
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(FrmRemindTest, AChosenColourColoursTheNoteAtOnceAndIsSavedOnClose) {
    auto window = Open(pat);
    env.colours.answers = {0x336699};
    QTest::mouseClick(Button(window.get(), "cmdColors"), Qt::LeftButton);
    EXPECT_EQ(pat->Color(), 0x336699);
    EXPECT_EQ(Note(window.get())->palette().color(QPalette::Text), QColor(0x99, 0x66, 0x33));
    EXPECT_TRUE(window->IsLoaded());
    EXPECT_TRUE(DataFileBytes().contains("|Color: 255|")) << "not saved while open";

    window->close();
    EXPECT_TRUE(DataFileBytes().contains("|Color: 3368601|"));
}

TEST_F(FrmRemindTest, CancellingTheColourChooserChangesNothing) {
    auto window = Open(pat);
    env.colours.answers = {std::nullopt};
    QTest::mouseClick(Button(window.get(), "cmdColors"), Qt::LeftButton);
    EXPECT_EQ(env.colours.shownCount, 1);
    EXPECT_EQ(pat->Color(), 255);
    EXPECT_EQ(Note(window.get())->palette().color(QPalette::Text), QColor(255, 0, 0));
    EXPECT_TRUE(env.messageBoxes.shown.empty());
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(FrmRemindTest, TheCloseBoxDropsNoteEditsButSavesAndNotifiesOnce) {
    auto window = Open(pat);
    // A change made elsewhere meanwhile: the close saves the whole collection.
    auto lee = std::make_shared<CReminderItem>();
    lee->setEmailAddress("lee@example.com");
    Globals::m_ReminderItems->Add(lee);
    Note(window.get())->setPlainText("typed but never snoozed");

    window->windowHandle()->close();  // what the close box does
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(pat->Note(), "call pat@example.com");
    EXPECT_EQ(pat->ReminderDateText(), "3/7/2024 9:00:00 AM");
    EXPECT_TRUE(DataFileBytes().contains("EmailAddress: lee@example.com|"));
    EXPECT_EQ(itemChanged, 1);
    EXPECT_EQ(log.TraceMessages("frmRemind.Form_Unload").size(), 1u);
}

TEST_F(FrmRemindTest, FailuresAreReportedWithTheirStepAndSource) {
    // Loading: the sent date is no date; the load ends there.
    pat->setSentDate("not a date");
    auto window = Open(pat);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Chasewell Alarm");
    EXPECT_EQ(SnoozeList(window.get())->count(), 14) << "filled before the failure";
    EXPECT_EQ(LabelText(window.get(), "lblEmail"), "");

    // Dismiss and the unload it leads to, without a collection.
    Globals::m_ReminderItems.reset();
    QTest::mouseClick(Button(window.get(), "cmdDismiss"), Qt::LeftButton);
    const QString notSet = "Object variable or With block variable not set";
    EXPECT_EQ(log.Errors(),
              (std::vector<ErrorReportRecord>{
                  {"Error occurred.  Reason: Type mismatch", 1, "Chasewell.frmRemind.Form_Load"},
                  {"Error occurred.  Reason: " + notSet, 1, "Chasewell.cmdDismiss"},
                  {"Error occurred at line 2.  Reason: " + notSet, 1,
                   "Chasewell.frmRemind.Form_Unload"}}));
    EXPECT_FALSE(window->IsLoaded()) << "Dismiss unloads anyway";
    EXPECT_EQ(itemChanged, 0) << "the steps after the failed save are skipped";
}

TEST_F(FrmRemindTest, ASnoozeTextThatCannotBeRememberedIsReportedButTheSnoozeGoesOn) {
    auto window = Open(pat);
    env.settings.failWrites = true;
    QTest::mouseClick(Button(window.get(), "cmdSnooze"), Qt::LeftButton);
    EXPECT_EQ(log.Errors(),
              (std::vector<ErrorReportRecord>{{"Error occurred.  Reason: Permission denied", 0,
                                               "TandrelSoftware.SaveSetting"}}));
    EXPECT_FALSE(window->IsLoaded());
    EXPECT_EQ(pat->ReminderDateText(), "3/7/2024 10:05:00 AM");
}

TEST_F(FrmRemindTest, TheKeyboardAcceleratorsPressTheirButtons) {
    const auto press = [](frmRemind& window, Qt::Key key) {
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, key, Qt::AltModifier);
    };
    auto window = Open(pat);
    PastInputGuard();
    press(*window, Qt::Key_H);
    EXPECT_TRUE(QTest::qWaitFor([&] { return env.colours.shownCount == 1; }));
    press(*window, Qt::Key_A);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->IsLoaded(); }));
    EXPECT_EQ(pat->ReminderDateText(), "3/7/2024 10:05:00 AM");

    auto second = Open(pat);
    PastInputGuard();
    press(*second, Qt::Key_S);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !second->IsLoaded(); }));
    EXPECT_EQ(log.TraceMessages("frmRemind.cmdSnooze_Click").size(), 1u);

    auto third = Open(pat);
    PastInputGuard();
    press(*third, Qt::Key_D);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !third->IsLoaded(); }));
    EXPECT_EQ(Globals::m_ReminderItems->Count(), 0);
}

}  // namespace

namespace {

// Renders the window for the documentation when CHASEWELL_SCREENSHOT names
// the file to write (docs/alarm-window.png); skipped otherwise.
TEST_F(FrmRemindTest, Screenshot) {
    const QString path = qEnvironmentVariable("CHASEWELL_SCREENSHOT");
    if (path.isEmpty())
        GTEST_SKIP() << "set CHASEWELL_SCREENSHOT to the file to write";
    auto reminder = AddReminder("pat.jones@example.com", "Quarterly figures for the board");
    reminder->setNote("Call Pat if there is no answer by Friday.");
    reminder->setColor(0x8B0000);  // dark blue
    auto window = Open(reminder);
    ASSERT_TRUE(window->grab().save(path));
}

}  // namespace
