#include <gtest/gtest.h>

#include "tests/addin/AddinFixture.h"

// Reaches the watchers directly, for items the engine would not hand over.
class CChasewellTestAccess {
public:
    static bool Inbox(CChasewell& module, const platform::ObjectRef& item) {
        return module.ItemAddedToInbox(item);
    }
    static bool SentItems(CChasewell& module, const platform::ObjectRef& item) {
        return module.ItemAddedToSentItems(item);
    }
};

namespace {

using host::ErrorReportRecord;
using testing_support::AddinFixture;

class ReplyWatchingTest : public AddinFixture {
protected:
    ReplyWatchingTest() {
        Start();
        model->OpenExplorer(Inbox());
        budget = Remind("pat@example.com", "Budget");
        Reminders().SaveData();
        log.Clear();
        windows.events.clear();
    }

    std::shared_ptr<CReminderItem> Remind(const QString& address, const QString& subject) {
        auto reminder = std::make_shared<CReminderItem>();
        reminder->setEmailAddress(address);
        reminder->setSubject(subject);
        reminder->setReminderDate("3/14/2024 8:00:00 AM");
        Reminders().Add(reminder);
        return reminder;
    }

    std::shared_ptr<CReminderItem> budget;
};

TEST_F(ReplyWatchingTest, WithRemovalOffAReplyChangesNothingAndTracesNothing) {
    model->Deliver(Inbox(), Reply("pat@example.com", "RE: Budget"));
    EXPECT_EQ(Reminders().Count(), 1);
    EXPECT_TRUE(log.TraceMessages("ItemAddedToInbox").empty());
    SetSetting("Remove", "0");
    model->Deliver(Inbox(), Reply("pat@example.com", "RE: Budget"));
    EXPECT_EQ(Reminders().Count(), 1);
    EXPECT_TRUE(log.TraceMessages("ItemAddedToInbox").empty());
}

TEST_F(ReplyWatchingTest, AReplyFromTheRecipientRemovesItsReminderAndRefreshesTheList) {
    SetSetting("Remove", "True");
    Remind("lee@example.com", "Budget");
    log.Clear();
    model->Deliver(Inbox(), Reply("PAT@example.com", "RE: Budget"));
    EXPECT_EQ(log.TraceMessages("ItemAddedToInbox"),
              (std::vector<QString>{"Email (Type: MailItem) received with subject: RE: Budget",
                                    "Looking for email address 'PAT@example.com'",
                                    "with subject 'RE: Budget'", "m_ReminderItems - Count = 2",
                                    "ReminderItem- Local Email: pat@example.com",
                                    "About to remove Reminder",
                                    "Found email: reminder removed by the subject rule "
                                    "(subject 'Budget')"}));
    ASSERT_EQ(Reminders().Count(), 1);
    EXPECT_EQ(Reminders().Item(1)->EmailAddress(), "lee@example.com");
    EXPECT_EQ(windows.events, QStringList{"FillGrid"});
    // Written at once: after a crash the ended reminder must not come back.
    EXPECT_FALSE(DataFileBytes().contains("pat@example.com"));
    EXPECT_TRUE(DataFileBytes().contains("lee@example.com"));
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(ReplyWatchingTest, RepliesFromOthersOrAboutOtherThingsChangeNothing) {
    SetSetting("Remove", "1");
    model->Deliver(Inbox(), Reply("sam@example.com", "RE: Budget"));
    model->Deliver(Inbox(), Reply("pat@example.com", "Lunch?"));
    EXPECT_EQ(Reminders().Count(), 1);
    EXPECT_EQ(log.TraceMessages("ItemAddedToInbox").size(), 8u) << "four look-up lines each";
    EXPECT_TRUE(windows.events.isEmpty());
}

TEST_F(ReplyWatchingTest, RepliesWithStackedPrefixesInManyLanguagesEndTheReminder) {
    SetSetting("Remove", "True");
    for (const QString subject :
         {"RE: RE: Budget", "AW: WG: Budget", "Re: Fwd: Budget", "RE : TR : RE : Budget",
          "SV: VB: Budget", "Re[2]: Budget", "[team] Re: Fwd: Budget", "回复：转发：Budget"}) {
        log.Clear();
        model->Deliver(Inbox(), Reply("pat@example.com", subject));
        EXPECT_EQ(Reminders().Count(), 0) << subject.toStdString();
        EXPECT_EQ(log.TraceMessages("ItemAddedToInbox").back(),
                  "Found email: reminder removed by the subject rule (subject 'Budget')");
        Remind("pat@example.com", "Budget");
    }
}

TEST_F(ReplyWatchingTest, ANewMessageThatHoldsTheSubjectEndsNothingAndTheTraceSaysSo) {
    SetSetting("Remove", "True");
    model->Deliver(Inbox(), Reply("pat@example.com", "Budget 2027 plan"));
    EXPECT_EQ(Reminders().Count(), 1);
    EXPECT_EQ(log.TraceMessages("ItemAddedToInbox"),
              (std::vector<QString>{
                  "Email (Type: MailItem) received with subject: Budget 2027 plan",
                  "Looking for email address 'pat@example.com'", "with subject 'Budget 2027 plan'",
                  "m_ReminderItems - Count = 1", "ReminderItem- Local Email: pat@example.com",
                  "About to remove Reminder",
                  "Subject is not a reply to the reminder's subject 'Budget': no reminder is "
                  "removed"}));
    EXPECT_EQ(log.TraceMessages("RemoveBy").back(), "Checking subject 'Budget'");
    EXPECT_TRUE(windows.events.isEmpty());
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(ReplyWatchingTest, SubjectsThatAreOnlyPrefixesAnswerOnlyEachOther) {
    SetSetting("Remove", "True");
    // A bare "RE: RE:" does not answer "Budget"...
    model->Deliver(Inbox(), Reply("pat@example.com", "RE: RE:"));
    EXPECT_EQ(Reminders().Count(), 1);
    // ... but a message sent with nothing but a prefix is answered by one.
    Remind("pat@example.com", "FW:");
    model->Deliver(Inbox(), Reply("pat@example.com", "AW: WG:"));
    ASSERT_EQ(Reminders().Count(), 1);
    EXPECT_EQ(Reminders().Item(1)->Subject(), "Budget");
}

TEST_F(ReplyWatchingTest, AMessageWithoutASenderAddressEndsNoReminder) {
    SetSetting("Remove", "True");
    auto anonymous = Reply("pat@example.com", "RE: Budget");
    anonymous->setSender(nullptr);
    model->Deliver(Inbox(), anonymous);
    EXPECT_EQ(Reminders().Count(), 1);
    EXPECT_EQ(log.TraceMessages("ItemAddedToInbox").back(), "m_ReminderItems - Count = 1");
    EXPECT_TRUE(windows.events.isEmpty());
}

TEST_F(ReplyWatchingTest, ItemsOtherThanMailAreOnlyTraced) {
    SetSetting("Remove", "True");
    auto meeting = model->NewItem(host::ItemKind::MeetingRequest);
    meeting->setSubject("RE: Budget");
    EXPECT_TRUE(CChasewellTestAccess::Inbox(*module, meeting));
    auto report = model->NewItem(host::ItemKind::Report);
    report->setSubject("Undeliverable: Budget");
    CChasewellTestAccess::Inbox(*module, report);
    EXPECT_EQ(log.TraceMessages("ItemAddedToInbox"),
              (std::vector<QString>{
                  "Email (Type: MeetingItem) received with subject: RE: Budget",
                  "Email (Type: ReportItem) received with subject: Undeliverable: Budget"}));
    EXPECT_EQ(Reminders().Count(), 1);
}

TEST_F(ReplyWatchingTest, ATraceLogThatCannotBeMadeIsReportedAtItsStep) {
    SetSetting("Remove", "True");
    env.objects.Unregister(engine::kTraceLogProgId);
    CChasewellTestAccess::Inbox(*module, Reply("pat@example.com", "RE: Budget"));
    EXPECT_EQ(
        log.Errors(),
        (std::vector<ErrorReportRecord>{{"Error occurred at line 4.  Reason: ActiveX component "
                                         "can't create object",
                                         0, "Chasewell.ItemAddedToInbox"}}));
    EXPECT_EQ(Reminders().Count(), 1);
}

TEST_F(ReplyWatchingTest, TheSentCopyUpdatesEveryMatchingReminderAndSavesOnce) {
    auto lee = Remind("lee@example.com", "Budget");
    Reminders().SaveData();
    const int writes = env.files.writesStarted;
    auto copy = Message("Budget", {"to:pat@example.com", "cc:sam@example.com",
                                   "bcc:/o=Example/ou=Exchange/cn=Recipients/cn=lee"});
    copy->setSentOn(platform::MakeDateTime(QDate(2024, 3, 7), QTime(9, 41, 5)));
    model->Deliver(SentItems(), copy);

    for (const auto& reminder : {budget, lee}) {
        EXPECT_EQ(reminder->EntryId(), copy->EntryID());
        EXPECT_EQ(reminder->StoreId(), SentItems()->EntryID());
        EXPECT_EQ(reminder->SentDateText(), "3/7/2024 9:41:05 AM");
    }
    EXPECT_EQ(env.files.writesStarted, writes + 1);
    EXPECT_EQ(log.TraceMessages("ItemAddedToSentItems"),
              (std::vector<QString>{"Subject: Budget", "Looking for pat@example.com",
                                    "Found pat@example.com and updating with " + copy->EntryID(),
                                    "Looking for sam@example.com", "Looking for lee@example.com",
                                    "Found lee@example.com and updating with " + copy->EntryID(),
                                    "Exiting"}));
}

TEST_F(ReplyWatchingTest, ARecipientWithoutAnAddressGivesNoReminderTheSentCopysIds) {
    // An Exchange address the directory cannot resolve gives an empty
    // address, which would match every reminder's.
    auto copy = Message("Budget", {"to:/o=Example/ou=Exchange/cn=Recipients/cn=gone"});
    model->Deliver(SentItems(), copy);
    EXPECT_EQ(budget->EntryId(), "");
    EXPECT_EQ(log.TraceMessages("ItemAddedToSentItems"),
              (std::vector<QString>{"Subject: Budget", "Looking for ", "Exiting"}));
}

TEST_F(ReplyWatchingTest, ASentCopyWithoutRemindersStillSavesPendingChanges) {
    budget->setNote("changed in memory");
    model->Deliver(SentItems(), Message("Unrelated", {"to:sam@example.com"}));
    EXPECT_TRUE(DataFileBytes().contains("Note: changed in memory"));
}

}  // namespace
