// What counts as an answer, with real message files: messages sent with
// reminders from the compose window, answers dropped into the program's
// Maildir Inbox as another program delivers them, read from their files.

#include <QFile>

#include "tests/app/MailClientFixture.h"

namespace {

using namespace app_testing;

class AnswersTest : public MailClientTest {
protected:
    AnswersTest() {
        env.settings.SaveSetting(host::kSettingsApplicationName, Globals::kSection, "Remove",
                                 "True");
    }

    std::shared_ptr<HostMailItem> SendWithReminder(const QString& to, const QString& subject) {
        ComposeWindow* window = Compose(to, subject);
        window->findChild<QAction*>("cmdSendWithReminder")->trigger();
        DeleteClosed();
        auto copy = MailIn(Folder(client::olFolderSentMail), subject);
        EXPECT_NE(copy, nullptr) << subject.toStdString();
        EXPECT_FALSE(copy && copy->MessageId().isEmpty());
        return copy;
    }
    // A message file another program put in the Inbox's new/, read at the
    // next look. The subject is written as mail programs write text that is
    // not ASCII.
    void Arrive(const QString& from, const QString& subject, const QString& threadFields = {}) {
        const QByteArray encoded = "=?UTF-8?B?" + subject.toUtf8().toBase64() + "?=";
        QFile file(client.Mailbox().DirectoryOf(Folder(client::olFolderInbox)) + "/new/" +
                   QString::number(++m_files) + ".M1P1.mx.example.net");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("Return-Path: <" + from.toUtf8() + ">\r\nFrom: " + from.toUtf8() +
                   "\r\nTo: user@example.com\r\nSubject: " + encoded +
                   "\r\nDate: Tue, 5 Mar 2024 14:20:40 +0100\r\nMessage-ID: <answer-" +
                   QByteArray::number(m_files) + "@mx.example.net>\r\n" + threadFields.toUtf8() +
                   "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n"
                   "See my answer below.\r\n");
        file.close();
        ASSERT_EQ(client.Mailbox().Poll(), 1);
    }
    static QString Names(const std::shared_ptr<HostMailItem>& sent) {
        return "In-Reply-To: <" + sent->MessageId() + ">\r\nReferences: <" + sent->MessageId() +
               ">\r\n";
    }
    QStringList Left() {
        QStringList left;
        auto& reminders = *Globals::m_ReminderItems;
        for (qint32 i = 1; i <= reminders.Count(); ++i)
            left << reminders.Item(i)->EmailAddress() + ": " + reminders.Item(i)->Subject();
        return left;
    }
    QString LastTrace() {
        const auto traces = client.Log().TraceMessages("ItemAddedToInbox");
        return traces.empty() ? QString() : traces.back();
    }
    QByteArray DataFile() const {
        QFile file(Globals::m_ReminderItems->DataFilePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    int m_files = 0;
};

TEST_F(AnswersTest, EachRecipientsAnswerEndsOnlyTheirReminderByItsThreadOrItsSubject) {
    auto budget = SendWithReminder("pat@example.com; lee@example.com", "Budget");
    ASSERT_EQ(Left(), QStringList({"pat@example.com: Budget", "lee@example.com: Budget"}));

    // Someone else in the thread, and Lee's out-of-office notice naming the
    // message, end nothing.
    Arrive("sam@example.com", "RE: Budget", Names(budget));
    Arrive("lee@example.com", "Automatische Antwort: Budget", Names(budget));
    EXPECT_EQ(Left().size(), 2);
    EXPECT_EQ(LastTrace(),
              "Automatic reply, not an answer (subject \"Automatische Antwort: Budget\"): no "
              "reminder is removed");

    // Pat answers under a new subject; Lee from a German mail program,
    // without thread fields.
    Arrive("pat@example.com", "Numbers you asked for", Names(budget));
    EXPECT_EQ(Left(), QStringList({"lee@example.com: Budget"}));
    EXPECT_EQ(LastTrace(),
              "Found email: reminder removed by the thread rule (subject 'Budget', "
              "the reply names <" +
                  budget->MessageId() + ">)");
    Arrive("lee@example.com", "AW: WG: Budget");
    EXPECT_EQ(Left(), QStringList());
    EXPECT_EQ(LastTrace(), "Found email: reminder removed by the subject rule (subject 'Budget')");
    EXPECT_EQ(DataFile(), "");
    EXPECT_TRUE(client.Log().Errors().empty());
}

TEST_F(AnswersTest, PrefixesCountersAndListTagsAsMailProgramsWriteThem) {
    for (const QString subject :
         {"Re[2]: RE: Offsite", "[team] Re: Fwd: Offsite", "RE : TR : Offsite",
          "回复：转发：Offsite", "YNT: İLT: Offsite"}) {
        SendWithReminder("pat@example.com", "Offsite");
        Arrive("pat@example.com", subject);
        EXPECT_EQ(Left(), QStringList()) << subject.toStdString();
    }
    // Pat's next message holds the subject but answers nothing.
    SendWithReminder("pat@example.com", "Offsite");
    Arrive("pat@example.com", "Offsite agenda for 2027");
    EXPECT_EQ(Left(), QStringList({"pat@example.com: Offsite"}));
    EXPECT_EQ(LastTrace(),
              "Subject is not a reply to the reminder's subject 'Offsite': no reminder is removed");
}

TEST_F(AnswersTest, AGoneSentCopyLeavesTheSubjectAndBarePrefixesAnswerOnlyBarePrefixes) {
    auto budget = SendWithReminder("pat@example.com", "Budget");
    const QString sentFile = client.Mailbox().FileOf(budget->EntryID());
    ASSERT_TRUE(client.Model()->Remove(budget));
    EXPECT_FALSE(QFile::exists(sentFile));

    Arrive("pat@example.com", "Numbers you asked for", Names(budget));
    Arrive("pat@example.com", "RE: RE:", Names(budget));
    EXPECT_EQ(Left(), QStringList({"pat@example.com: Budget"}));
    Arrive("pat@example.com", "AW: Budget", Names(budget));
    EXPECT_EQ(Left(), QStringList());

    SendWithReminder("lee@example.com", "FW:");
    Arrive("lee@example.com", "AW: WG:");
    EXPECT_EQ(Left(), QStringList());
}

}  // namespace
