#include <gtest/gtest.h>

#include <QCoreApplication>

#include "tests/addin/AddinFixture.h"

namespace {

using host::ErrorReportRecord;
using testing_support::AddinFixture;

// The mail client's send shortcut: the add-in's send command presses it, and
// the model sends the message of the inspector in front.
class SendingTest : public AddinFixture {
protected:
    SendingTest() {
        Start();
        explorer = model->OpenExplorer(Inbox());
        env.windows.onKeys = [this](QWidget*, const QString& keys) {
            if (keys == "^{ENTER}" && composing)
                model->Send(composing);
        };
        log.Clear();
        windows.events.clear();
    }

    // Opens the message in a compose window and clicks "Send With Reminder".
    void SendWithReminder(const std::shared_ptr<host::HostMailItem>& message) {
        composing = message;
        auto inspector = model->OpenInspector(message);
        ASSERT_EQ(engineObject->ClickButton(inspector, CChasewell::kSendWithReminderButton), 0);
        composing.reset();
    }

    QStringList Addresses() {
        QStringList addresses;
        for (qint32 i = 1; i <= Reminders().Count(); ++i)
            addresses << Reminders().Item(i)->EmailAddress();
        return addresses;
    }

    std::shared_ptr<host::HostExplorer> explorer;
    std::shared_ptr<host::HostMailItem> composing;
};

TEST_F(SendingTest, OneReminderPerToRecipientAndTheSentCopyCompletesIt) {
    auto message =
        Message("Budget", {"to:pat@example.com", "cc:sam@example.com", "bcc:archive@example.com"});
    SendWithReminder(message);

    ASSERT_EQ(Addresses(), QStringList{"pat@example.com"});
    auto reminder = Reminders().Item(1);
    EXPECT_EQ(reminder->Subject(), "Budget");
    EXPECT_EQ(reminder->ReminderDateText(), "3/14/2024 08:00 AM") << "seven days on, at 8:00";
    EXPECT_EQ(reminder->SentDate(), "3/7/2024 10:00 AM");
    EXPECT_EQ(reminder->Note(), "");
    EXPECT_EQ(reminder->Color(), 0);
    // The sent copy in Sent Items gave the reminder its identifiers, and the
    // collection was saved.
    auto copy = std::dynamic_pointer_cast<host::HostMailItem>(SentItems()->Contents().back());
    EXPECT_EQ(reminder->EntryId(), copy->EntryID());
    EXPECT_EQ(reminder->StoreId(), SentItems()->EntryID());
    EXPECT_EQ(DataFileBytes(),
              "EmailAddress: pat@example.com|EntryId: " + copy->EntryID().toUtf8() +
                  "|StoreId: " + SentItems()->EntryID().toUtf8() +
                  "|SentDate: 3/7/2024 10:00:00 AM|ReminderDate: 3/14/2024 08:00 AM|Color: 0|"
                  "Subject: Budget|Note: \r\n");

    EXPECT_EQ(log.TraceMessages("HandleItemSend"),
              (std::vector<QString>{"ChasewellFromWordWanted: False",
                                    "ChasewellLocallyGenerated: True"}));
    EXPECT_EQ(log.TraceMessages("StoreRecip"),
              (std::vector<QString>{"Adding pat@example.com", "  with subject 'Budget'"}));
    // Timer, due alarms and list follow the new reminder.
    EXPECT_EQ(RemindTimer::NextReminderTime, "3/14/2024 08:00 AM");
    EXPECT_EQ(windows.events, QStringList{"FillGrid"});
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(SendingTest, CcRecipientsCountWhenTheSettingSaysSoButBccNever) {
    SetSetting("IgnoreCCRecipients", "0");
    SendWithReminder(
        Message("Budget", {"to:pat@example.com", "cc:sam@example.com", "bcc:archive@example.com",
                           "to:/o=Example/ou=Exchange/cn=Recipients/cn=lee"}));
    EXPECT_EQ(Addresses(), (QStringList{"pat@example.com", "sam@example.com", "lee@example.com"}));
}

TEST_F(SendingTest, ARecipientWithoutAnAddressGetsNoReminderAndTouchesNoOther) {
    SendWithReminder(Message("Budget", {"to:pat@example.com"}));
    auto pat = Reminders().Item(1);
    log.Clear();
    // The directory cannot resolve this one: its address is empty, which
    // would pass the address test of Pat's reminder and rewrite it.
    SendWithReminder(Message(
        "Budget", {"to:/o=Example/ou=Exchange/cn=Recipients/cn=gone", "to:lee@example.com"}));
    EXPECT_EQ(Addresses(), (QStringList{"pat@example.com", "lee@example.com"}));
    EXPECT_EQ(pat->EmailAddress(), "pat@example.com");
    EXPECT_EQ(log.Errors(),
              (std::vector<ErrorReportRecord>{
                  {"No reminder was made for the recipient "
                   "\"/o=Example/ou=Exchange/cn=Recipients/cn=gone\": its address could not be "
                   "resolved.",
                   0, "Chasewell.AddChasewell"}}));
}

TEST_F(SendingTest, ASendWithReminderThatSendsNothingIsNotTakenForTheNextSend) {
    // No compose window takes the keystroke: nothing is sent.
    auto message = Message("Never sent", {"to:pat@example.com"});
    auto inspector = model->OpenInspector(message);
    ASSERT_EQ(engineObject->ClickButton(inspector, CChasewell::kSendWithReminderButton), 0);
    QCoreApplication::sendPostedEvents();
    // The user's next plain send asked for no reminder.
    model->Send(Message("Plain", {"to:pat@example.com"}));
    EXPECT_EQ(Reminders().Count(), 0);
    EXPECT_EQ(log.TraceMessages("HandleItemSend"),
              (std::vector<QString>{"ChasewellFromWordWanted: False",
                                    "ChasewellLocallyGenerated: False"}));
    // A send with reminder that does send still gets its reminders, the
    // check that follows it finding nothing to undo.
    SendWithReminder(Message("Budget", {"to:pat@example.com"}));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(Addresses(), QStringList{"pat@example.com"});
}

TEST_F(SendingTest, TheSameSubjectToTheSameAddressUpdatesTheReminderInPlace) {
    SendWithReminder(Message("Budget", {"to:pat@example.com"}));
    auto first = Reminders().Item(1);
    first->setNote("old note");
    env.clock.Set("2024-03-08T15:30:00");
    SendWithReminder(Message("Budget", {"to:pat@example.com"}));
    ASSERT_EQ(Reminders().Count(), 1);
    EXPECT_EQ(Reminders().Item(1), first);
    EXPECT_EQ(first->ReminderDateText(), "3/15/2024 08:00 AM");
    EXPECT_EQ(first->SentDateText(), "3/8/2024 3:30:00 PM");
    EXPECT_EQ(first->Note(), "") << "the note comes from the new send";
}

TEST_F(SendingTest, TheHandOverFlagAsksForRemindersOnTheNextSendOnly) {
    // The mail client's own Send makes no reminder.
    model->Send(Message("Plain", {"to:pat@example.com"}));
    EXPECT_EQ(Reminders().Count(), 0);
    EXPECT_EQ(log.TraceMessages("HandleItemSend"),
              (std::vector<QString>{"ChasewellFromWordWanted: False",
                                    "ChasewellLocallyGenerated: False"}));

    env.settings.SaveSetting(host::kSettingsApplicationName, "TandrelSoftwareWord",
                             "ChasewellFromWordWanted", "True");
    model->Send(Message("From the word processor", {"to:pat@example.com"}));
    EXPECT_EQ(Addresses(), QStringList{"pat@example.com"});
    EXPECT_EQ(Setting("TandrelSoftwareWord", "ChasewellFromWordWanted"), "False");

    model->Send(Message("Plain again", {"to:lee@example.com"}));
    EXPECT_EQ(Reminders().Count(), 1);
}

TEST_F(SendingTest, TheDetailsWindowShowsOnlyWhenDisplayNextIsOne) {
    windows.details.play = [](CReminderItem& reminderTemplate) {
        reminderTemplate.setNote("call Pat");
        reminderTemplate.setColor(255);
        reminderTemplate.setReminderDate("3/20/2024 9:30:00 AM");
    };
    for (const char* value : {"0", "2", "1.5"}) {
        SetSetting("DisplayNext", value);
        SendWithReminder(Message(QString("Not shown %1").arg(value), {"to:pat@example.com"}));
    }
    EXPECT_FALSE(windows.events.join(',').contains("ShowDetails"));

    SetSetting("DisplayNext", "1");
    SendWithReminder(Message("Shown", {"to:pat@example.com"}));
    EXPECT_TRUE(windows.events.contains("ShowDetails 3/14/2024 08:00 AM"))
        << windows.events.join(',').toStdString();
    auto reminder = Reminders().FindEx("pat@example.com", "Shown");
    ASSERT_NE(reminder, nullptr);
    EXPECT_EQ(reminder->ReminderDateText(), "3/20/2024 09:30 AM");
    EXPECT_EQ(reminder->Note(), "call Pat");
    EXPECT_EQ(reminder->Color(), 255);
}

TEST_F(SendingTest, TheSendMenuItemSendsToo) {
    composing = Message("Menu", {"to:pat@example.com"});
    auto inspector = model->OpenInspector(composing);
    EXPECT_EQ(engineObject->ClickMenuItem(inspector, CChasewell::kSendWithReminderMenu), 0);
    EXPECT_EQ(Addresses(), QStringList{"pat@example.com"});
}

TEST_F(SendingTest, AddRemindersOnThreeMessagesRefreshesOnceAfterTheLast) {
    std::vector<platform::ObjectRef> selection;
    for (const char* to : {"to:a@example.com", "to:b@example.com", "to:c@example.com"}) {
        auto message = Message(QString("About %1").arg(to), {to});
        model->File(SentItems(), message);
        selection.push_back(message);
    }
    explorer->setSelection(selection);
    windows.events.clear();
    const int timersBefore = env.timers.SetCount();
    env.clock.Set("2024-03-07T11:45:00");

    EXPECT_EQ(engineObject->ClickButton(explorer, CChasewell::kAddReminders), 0);
    EXPECT_EQ(Addresses(), (QStringList{"a@example.com", "b@example.com", "c@example.com"}));
    EXPECT_EQ(windows.events, (QStringList{"ShowDetails ", "FillGrid"}))
        << "details always, refresh once";
    EXPECT_EQ(env.timers.SetCount(), timersBefore + 1);
    for (qint32 i = 1; i <= 3; ++i)
        EXPECT_EQ(Reminders().Item(i)->SentDateText(), "3/7/2024 11:45:00 AM");
    // Written at once: no sent copy will arrive to save them, and a crash
    // before the program stops must not lose them.
    for (const char* address : {"a@example.com", "b@example.com", "c@example.com"})
        EXPECT_TRUE(DataFileBytes().contains(QByteArray("EmailAddress: ") + address)) << address;
}

TEST_F(SendingTest, AMessageWithoutRecipientsMakesNoReminderButStillRefreshes) {
    auto message = Message("Nobody", {});
    model->File(SentItems(), message);
    explorer->setSelection({message});
    windows.events.clear();
    engineObject->ClickButton(explorer, CChasewell::kAddReminders);
    EXPECT_EQ(Reminders().Count(), 0);
    EXPECT_EQ(windows.events, (QStringList{"ShowDetails ", "FillGrid"}));
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(SendingTest, SettingsThatDoNotConvertAreReportedAndMakeNoReminder) {
    const struct {
        const char* key;
        const char* value;
        const char* description;
    } cases[] = {{"Days", "abc", "Type mismatch"},
                 {"Days", "40000", "Overflow"},
                 {"TimeOfDay", "xyz", "Type mismatch"}};
    for (const auto& c : cases) {
        SetSetting(c.key, c.value);
        log.Clear();
        env.messageBoxes.shown.clear();
        auto message = Message("Budget", {"to:pat@example.com"});
        SendWithReminder(message);
        EXPECT_EQ(Reminders().Count(), 0) << c.key << "=" << c.value;
        EXPECT_EQ(log.Errors(), (std::vector<ErrorReportRecord>{
                                    {QString("Error occurred at line 2.  Reason: ") + c.description,
                                     0, "Chasewell.StoreRecip"}}));
        // Beside the report, the user is told which value to correct, and where.
        EXPECT_EQ(env.messageBoxes.shown,
                  (std::vector<testing_support::RecordingMessageBoxes::Shown>{
                      {Globals::DefaultReminderSettingProblems().value(0), "Chasewell"}}));
        EXPECT_TRUE(env.messageBoxes.shown[0].text.startsWith(
            QString("The setting %1 in TandrelSoftware.ini (in memory) is \"%2\": ")
                .arg(c.key, c.value)));
        EXPECT_TRUE(message->Folder() == nullptr) << "the message was sent all the same";
        env.settings.Remove(host::kSettingsApplicationName, "Chasewell", c.key);
    }

    // Add Reminders says the same, and a negative number of days still makes
    // reminders, due at once, with the reason said.
    SetSetting("Days", "-3");
    env.messageBoxes.shown.clear();
    auto sent = Message("Plans", {"to:lee@example.com"});
    model->File(SentItems(), sent);
    explorer->setSelection({sent});
    engineObject->ClickButton(explorer, CChasewell::kAddReminders);
    EXPECT_EQ(Reminders().Count(), 1);
    ASSERT_EQ(env.messageBoxes.shown.size(), 1u);
    EXPECT_TRUE(env.messageBoxes.shown[0].text.startsWith(
        "The setting Days in TandrelSoftware.ini (in memory) is \"-3\": a reminder that many "
        "days from now would lie in the past"));
}

}  // namespace
