// A reply that names the message it answers: the thread fields read from its
// header, and the reminders that reply ends through the add-in's Inbox event
// in the substitute engine.

#include <gtest/gtest.h>

#include "addin/ReplyThreads.h"
#include "tests/addin/AddinFixture.h"

namespace {

using testing_support::AddinFixture;

TEST(ThreadMessageIdsTest, ReadsInReplyToAndReferencesAsMailProgramsWriteThem) {
    // As a desktop client writes them: References folded over lines, the
    // message answered last in it and again in In-Reply-To.
    EXPECT_EQ(ThreadMessageIds("From: Pat <pat@example.com>\r\n"
                               "Message-ID: <reply-1@example.com>\r\n"
                               "References: <a1@example.org>\r\n"
                               " <b2@example.org>\r\n"
                               "\t<c3@example.org>\r\n"
                               "In-Reply-To: <c3@example.org>\r\n"
                               "\r\n"
                               "References: <body@example.org>\r\n"),
              QStringList({"a1@example.org", "b2@example.org", "c3@example.org"}));
    // Field names in any letter case; old programs' words around the id.
    EXPECT_EQ(ThreadMessageIds("in-reply-to: Your message of 4 March 2024\n"
                               " <x9@example.org> (Pat)\n"),
              QStringList({"x9@example.org"}));
    // Without angle brackets: the words that hold an "@".
    EXPECT_EQ(ThreadMessageIds("References: x9@example.org  junk\n"),
              QStringList({"x9@example.org"}));
    EXPECT_EQ(ThreadMessageIds("Subject: RE: Budget\r\nIn-Reply-To: <>\r\n<broken\r\n"),
              QStringList());
    EXPECT_EQ(ThreadMessageIds(""), QStringList());
}

// Reminders for a message sent to Pat and Lee, whose sent copy in Sent Items
// has the Message-ID the replies name.
class ThreadRuleTest : public AddinFixture {
protected:
    ThreadRuleTest() {
        Start();
        model->OpenExplorer(Inbox());
        SetSetting("Remove", "True");
        budget = Send("Budget", {"pat@example.com", "lee@example.com"}, "budget-1@example.org");
        log.Clear();
        windows.events.clear();
    }

    // Reminders for each recipient, then the sent copy arrives in Sent Items
    // and gives them its ids.
    std::shared_ptr<host::HostMailItem> Send(const QString& subject, const QStringList& to,
                                             const QString& messageId) {
        QStringList recipients;
        for (const QString& address : to) {
            auto reminder = std::make_shared<CReminderItem>();
            reminder->setEmailAddress(address);
            reminder->setSubject(subject);
            reminder->setReminderDate("3/14/2024 8:00:00 AM");
            Reminders().Add(reminder);
            recipients << "to:" + address;
        }
        auto copy = Message(subject, recipients);
        copy->setMessageId(messageId);
        model->Deliver(SentItems(), copy);
        return copy;
    }
    void Receive(const QString& from, const QString& subject, const QString& headers) {
        auto reply = Reply(from, subject);
        reply->setTransportMessageHeaders(headers.toUtf8());
        model->Deliver(Inbox(), reply);
    }
    // Each reminder as "address: subject", in list order.
    QStringList Left() {
        QStringList left;
        for (qint32 i = 1; i <= Reminders().Count(); ++i)
            left << Reminders().Item(i)->EmailAddress() + ": " + Reminders().Item(i)->Subject();
        return left;
    }
    std::vector<QString> Traces() const { return log.TraceMessages("ItemAddedToInbox"); }

    std::shared_ptr<host::HostMailItem> budget;
};

TEST_F(ThreadRuleTest, AReplyWithAChangedSubjectEndsOnlyItsSendersReminder) {
    Receive("pat@example.com", "Numbers you asked for",
            "Subject: Numbers you asked for\r\nIn-Reply-To: <budget-1@example.org>\r\n"
            "References: <budget-1@example.org>\r\n\r\n");
    EXPECT_EQ(Left(), QStringList({"lee@example.com: Budget"}));
    EXPECT_EQ(Traces(),
              (std::vector<QString>{
                  "Email (Type: MailItem) received with subject: Numbers you asked for",
                  "Looking for email address 'pat@example.com'",
                  "with subject 'Numbers you asked for'", "m_ReminderItems - Count = 2",
                  "Found email: reminder removed by the thread rule (subject 'Budget', the reply "
                  "names <budget-1@example.org>)"}));
    EXPECT_EQ(windows.events, QStringList{"FillGrid"});
    EXPECT_FALSE(DataFileBytes().contains("pat@example.com"));
    EXPECT_TRUE(DataFileBytes().contains("lee@example.com"));
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(ThreadRuleTest, OfTheSendersRemindersTheOnesForTheMessagesNamedEnd) {
    Send("Travel plans", {"pat@example.com"}, "travel-1@example.org");
    // The message named last in a long thread's hundred references.
    QString references = "References:";
    for (int i = 0; i < 99; ++i) references += QStringLiteral(" <older-%1@example.net>\r\n").arg(i);
    Receive("pat@example.com", "Numbers you asked for",
            references + " <travel-1@example.org>\r\nIn-Reply-To: <older-98@example.net>\r\n\r\n");
    EXPECT_EQ(Left(), QStringList({"pat@example.com: Budget", "lee@example.com: Budget"}));
    EXPECT_EQ(Traces().back(),
              "Found email: reminder removed by the thread rule (subject 'Travel plans', the "
              "reply names <travel-1@example.org>)");

    // A reply naming two of them ends both.
    Send("Lunch", {"pat@example.com"}, "lunch-1@example.org");
    log.Clear();
    Receive("pat@example.com", "Re: all of it",
            "References: <budget-1@example.org> <lunch-1@example.org>\r\n");
    EXPECT_EQ(Left(), QStringList({"lee@example.com: Budget"}));
    const auto traces = Traces();
    EXPECT_EQ(std::vector<QString>(traces.end() - 2, traces.end()),
              (std::vector<QString>{"Found email: reminder removed by the thread rule (subject "
                                    "'Budget', the reply names <budget-1@example.org>)",
                                    "Found email: reminder removed by the thread rule (subject "
                                    "'Lunch', the reply names <lunch-1@example.org>)"}));
}

TEST_F(ThreadRuleTest, SomeoneInTheThreadWithoutAReminderEndsNothing) {
    Receive("sam@example.com", "RE: Budget", "In-Reply-To: <budget-1@example.org>\r\n");
    EXPECT_EQ(Left(), QStringList({"pat@example.com: Budget", "lee@example.com: Budget"}));
    EXPECT_EQ(Traces().back(),
              "Thread rule: no reminder for this sender was made for the message the reply names");
    // Pat, answering another thread, ends nothing either.
    Receive("pat@example.com", "RE: Lunch",
            "References: <lunch-0@example.org>\r\nIn-Reply-To: <lunch-1@example.org>\r\n");
    EXPECT_EQ(Traces().back(),
              "Thread rule: no reminder for this sender was made for the 2 messages the reply "
              "names");
    EXPECT_EQ(Left(), QStringList({"pat@example.com: Budget", "lee@example.com: Budget"}));
    EXPECT_TRUE(windows.events.isEmpty());
}

TEST_F(ThreadRuleTest, AnAutomaticReplyNamingTheMessageEndsNothingInAnyCommonLanguage) {
    const QString names = "In-Reply-To: <budget-1@example.org>\r\n";
    Receive("pat@example.com", "Automatische Antwort: Budget", names);
    Receive("pat@example.com", "Abwesenheitsnotiz: Budget", names);
    Receive("pat@example.com", "Réponse automatique\u00A0: Budget", names);
    Receive("pat@example.com", "Budget", "Auto-Submitted: auto-replied\r\n" + names);
    Receive("lee@example.com", "Réponse automatique : Budget",
            "Auto-Submitted: auto-replied\r\n" + names);
    EXPECT_EQ(Left(), QStringList({"pat@example.com: Budget", "lee@example.com: Budget"}));
    EXPECT_EQ(Traces().back(),
              "Automatic reply, not an answer (Auto-Submitted: auto-replied): no reminder is "
              "removed");
    EXPECT_TRUE(windows.events.isEmpty());
}

TEST_F(ThreadRuleTest, WhenTheSentCopyIsGoneOnlyTheSubjectCanEndTheReminder) {
    model->Remove(budget);
    Receive("pat@example.com", "Numbers you asked for", "In-Reply-To: <budget-1@example.org>\r\n");
    EXPECT_EQ(Left(), QStringList({"pat@example.com: Budget", "lee@example.com: Budget"}));
    EXPECT_EQ(Traces(),
              (std::vector<QString>{
                  "Email (Type: MailItem) received with subject: Numbers you asked for",
                  "Looking for email address 'pat@example.com'",
                  "with subject 'Numbers you asked for'", "m_ReminderItems - Count = 2",
                  "Thread rule: the message of the reminder 'Budget' is gone or has no "
                  "Message-ID, so only its subject can end it",
                  "Thread rule: no reminder for this sender was made for the message the reply "
                  "names"}));

    log.Clear();
    Receive("lee@example.com", "AW: Budget", "In-Reply-To: <budget-1@example.org>\r\n");
    EXPECT_EQ(Left(), QStringList({"pat@example.com: Budget"}));
    EXPECT_EQ(Traces().back(),
              "Found email: reminder removed by the subject rule (subject 'Budget')");

    // A reminder that never learnt its message says so.
    Reminders().Item(1)->setEntryId("");
    log.Clear();
    Receive("pat@example.com", "Numbers you asked for", "In-Reply-To: <budget-1@example.org>\r\n");
    EXPECT_EQ(
        Traces().at(4),
        "Thread rule: the reminder 'Budget' names no message, so only its subject can end it");
    EXPECT_EQ(Reminders().Count(), 1);
}

TEST_F(ThreadRuleTest, ASentCopyFiledInAnotherStoreIsFoundThroughItsStoreId) {
    auto archive = model->AddStore("Archive");
    auto archived = model->AddFolder(archive, "Sent 2024");
    model->Remove(budget);
    model->File(archived, budget);
    for (qint32 i = 1; i <= Reminders().Count(); ++i)
        Reminders().Item(i)->setStoreId(archived->EntryID());
    Receive("lee@example.com", "Numbers you asked for", "In-Reply-To: <budget-1@example.org>\r\n");
    EXPECT_EQ(Left(), QStringList({"pat@example.com: Budget"}));
}

}  // namespace
