// Delivery through a sendmail command: what the command is given, what the
// mailbox does when it succeeds, fails, cannot start or hangs, and a real
// transfer to an SMTP server on this machine.

#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>

#include "host/app/SendmailTransport.h"
#include "host/maildir/MessageFile.h"
#include "store/CReminderItem.h"
#include "tests/app/MailClientFixture.h"

namespace {

using namespace app_testing;
using host::app::SendmailTransport;

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

TEST(SendmailCommandLine, RecipientsFollowTheCommandsOwnWordsAfterADoubleDash) {
    const QStringList recipients{"pat@example.com", "-oQ/tmp/evil@example.com"};
    // -t is left out (the header no longer names BCC recipients) and -i is
    // added so that a lone dot cannot end the message.
    EXPECT_EQ(SendmailTransport::CommandLine("msmtp -t", recipients),
              (QStringList{"msmtp", "-i", "--", "pat@example.com", "-oQ/tmp/evil@example.com"}));
    EXPECT_EQ(SendmailTransport::CommandLine("/usr/sbin/sendmail -t -oi", {"a@x.org"}),
              (QStringList{"/usr/sbin/sendmail", "-oi", "--", "a@x.org"}));
    // Quotes keep blanks, as in a shell; nothing else of a shell applies.
    EXPECT_EQ(
        SendmailTransport::CommandLine(
            "\"/opt/my mail/msmtp\" -C '/home/me/my rc' --read-recipients $HOME", {"b@y.org"}),
        (QStringList{"/opt/my mail/msmtp", "-C", "/home/me/my rc", "$HOME", "-i", "--",
                     "b@y.org"}));
    EXPECT_EQ(SendmailTransport::SplitCommand(R"(a\ b "c \"d\" \e" 'f\g' "" h)"),
              (QStringList{"a b", "c \"d\" \\e", "f\\g", "", "h"}));
    EXPECT_TRUE(SendmailTransport::CommandLine("   ", {"b@y.org"}).isEmpty());
}

TEST(SendmailCommandLine, TheEnvelopeHoldsToCcAndBccOnceEachWithDirectoryAddressesResolved) {
    testing_support::TestEnv env;
    HostMailItem mail({});
    auto recipients = mail.RecipientList();
    recipients->AddRecipient(client::olTo, "pat@example.com");
    recipients->AddRecipient(client::olTo, "/o=Example/ou=Exchange/cn=Recipients/cn=lee");
    recipients->AddRecipient(client::olCC, "Pat@Example.com");
    recipients->AddRecipient(client::olBCC, "archive@example.com");
    const auto resolve = [](const QString& address) {
        return address.endsWith("cn=lee") ? QStringLiteral("lee@example.com") : QString();
    };
    QStringList envelope;
    QString failure;
    ASSERT_TRUE(SendmailTransport::EnvelopeRecipients(mail, resolve, envelope, failure));
    EXPECT_EQ(envelope, (QStringList{"pat@example.com", "lee@example.com", "archive@example.com"}));

    recipients->AddRecipient(client::olCC, "/o=Example/ou=Exchange/cn=Recipients/cn=nobody");
    envelope.clear();
    EXPECT_FALSE(SendmailTransport::EnvelopeRecipients(mail, resolve, envelope, failure));
    EXPECT_EQ(failure,
              "The recipient \"/o=Example/ou=Exchange/cn=Recipients/cn=nobody\" has no Internet "
              "address mail could be sent to.");
}

// A sendmail stand-in: writes its arguments (one a line) and the message it
// reads beside itself, says what the file "stderr" holds, ends with the code
// in "exitcode", and hangs when there is a file "hang".
class DeliveryTest : public MailClientTest {
protected:
    DeliveryTest() {
        Write(Script(),
              "#!/bin/sh\n"
              "dir=$(dirname \"$0\")\n"
              ": > \"$dir/args\"\n"
              "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$dir/args\"; done\n"
              "cat > \"$dir/message\"\n"
              "[ -f \"$dir/stderr\" ] && cat \"$dir/stderr\" >&2\n"
              "[ -f \"$dir/hang\" ] && exec sleep 60\n"
              "exit $(cat \"$dir/exitcode\" 2>/dev/null || echo 0)\n");
        QFile(Script()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ExeOwner);
        client.UseSendmail(Script() + " -t");
    }
    QString Script() const { return folder.File("fake-sendmail"); }
    QString Outbox() { return client.Mailbox().DirectoryOf(Folder(client::olFolderOutbox)); }

    // Sends a message with To, CC and BCC recipients from a compose window.
    void SendContractRenewal(bool withReminder = false) {
        ComposeWindow* window = Compose("pat.jones@example.com", "Contract renewal");
        window->cc()->setText("sam.carter@example.com");
        window->bcc()->setText("archive@example.com");
        window->body()->setPlainText("Could you confirm the renewal by Friday?\n.\nThanks.");
        if (withReminder)
            window->findChild<QAction*>("cmdSendWithReminder")->trigger();
        else
            ASSERT_TRUE(window->Send());
    }
    bool Delivered(const QString& subject) {
        return MailIn(Folder(client::olFolderSentMail), subject) != nullptr;
    }
    auto Transport() {
        return std::dynamic_pointer_cast<SendmailTransport>(client.Model()->Transport());
    }
    bool DeliveryEnded() {
        return WaitFor([&] { return Transport()->Running() == 0; }) &&
               WaitFor([] { return true; }, 50);
    }
};

TEST_F(DeliveryTest, ADeliveredMessageLeavesTheOutboxForSentItemsAndKeepsItsReminder) {
    env.settings.SaveSetting(host::kSettingsApplicationName, Globals::kSection, "DisplayNext", "0");
    SendContractRenewal(true);
    // On its way: in the Outbox, not yet in Sent Items; the reminder is made.
    auto waiting = MailIn(Folder(client::olFolderOutbox), "Contract renewal");
    ASSERT_NE(waiting, nullptr);
    EXPECT_FALSE(SubjectsIn(Folder(client::olFolderSentMail)).contains("Contract renewal"));
    ASSERT_EQ(Globals::m_ReminderItems->Count(), 1);

    ASSERT_TRUE(WaitFor([&] { return Delivered("Contract renewal"); }));
    auto sent = MailIn(Folder(client::olFolderSentMail), "Contract renewal");
    EXPECT_TRUE(Folder(client::olFolderOutbox)->Contents().empty());
    EXPECT_TRUE(QDir(Outbox() + "/cur").isEmpty(QDir::Files));
    // The command got every recipient on its command line, without -t.
    EXPECT_EQ(ReadAll(folder.File("args")),
              "-i\n--\npat.jones@example.com\nsam.carter@example.com\narchive@example.com\n");
    // It read the message without its Bcc line; our copy keeps it.
    const QByteArray message = ReadAll(folder.File("message"));
    EXPECT_FALSE(message.contains("archive@example.com"));
    EXPECT_TRUE(message.contains("\n.\nThanks.")) << "the lone dot is the text's own";
    const QByteArray copy = ReadAll(client.Mailbox().FileOf(sent->EntryID()));
    EXPECT_TRUE(copy.contains("Bcc: archive@example.com\n"));
    QByteArray withoutBcc = copy;
    withoutBcc.replace("Bcc: archive@example.com\n", "");
    EXPECT_EQ(message, withoutBcc) << "the copy is the message delivered";
    // The add-in saw the sent copy arrive: the reminder names it.
    EXPECT_EQ(Globals::m_ReminderItems->Item(1)->EntryId(), sent->EntryID());
    EXPECT_TRUE(client.Log().Errors().empty());
    EXPECT_FALSE(Main().noticeBar()->isVisibleTo(&Main()));
}

TEST_F(DeliveryTest, AFailedCommandLeavesTheMessageInTheOutboxWithItsErrorAndItCanBeSentAgain) {
    Write(folder.File("exitcode"), "75\n");
    Write(folder.File("stderr"), "msmtp: cannot connect to mail.example.com, port 587\n");
    SendContractRenewal();
    ASSERT_TRUE(DeliveryEnded());
    auto waiting = MailIn(Folder(client::olFolderOutbox), "Contract renewal");
    ASSERT_NE(waiting, nullptr);
    EXPECT_FALSE(waiting->SentOn().isValid()) << "unsent, so it can be sent again";
    EXPECT_FALSE(SubjectsIn(Folder(client::olFolderSentMail)).contains("Contract renewal"));
    const QString said =
        "The message \"Contract renewal\" was not delivered and waits in the Outbox. The command "
        "\"" +
        Script() +
        " -t\" ended with exit code 75: msmtp: cannot connect to mail.example.com, port 587 To "
        "send it again, open it from the Outbox and press Send, or select it there and choose "
        "Message > Send Again (F9).";
    EXPECT_TRUE(Main().noticeBar()->isVisibleTo(&Main()));
    EXPECT_EQ(Main().notice()->text(), said);
    EXPECT_TRUE(Main().logView()->toPlainText().endsWith(said));
    // Nothing lost: the message is on disk, and a restart would find it.
    EXPECT_TRUE(QFileInfo::exists(client.Mailbox().FileOf(waiting->EntryID())));

    // The command works again: Send Again from the Outbox delivers it.
    QFile::remove(folder.File("exitcode"));
    QFile::remove(folder.File("stderr"));
    ClickFolder("Outbox");
    QAction* again = Main().Command("actSendAgain");
    EXPECT_FALSE(again->isEnabled()) << "nothing selected";
    Main().SelectSubjects({"Contract renewal"});
    ASSERT_TRUE(again->isEnabled());
    again->trigger();
    ASSERT_TRUE(WaitFor([&] { return Delivered("Contract renewal"); }));
    EXPECT_TRUE(Folder(client::olFolderOutbox)->Contents().empty());
    EXPECT_EQ(Column(MainWindow::ColumnSubject), QStringList()) << "the list followed";
}

TEST_F(DeliveryTest, AMessageLeftInTheOutboxCanBeSentAgainAfterARestart) {
    Write(folder.File("exitcode"), "75\n");
    SendContractRenewal();
    ASSERT_TRUE(DeliveryEnded());
    client.Stop();

    MailClient restarted;
    QString error;
    ASSERT_TRUE(restarted.OpenMailbox({folder.Path(), QString()}, error)) << error.toStdString();
    host::RegisterEngineClasses(env.objects, restarted.Global(), restarted.Log());
    host::RegisterMailHelperClasses(env.objects, restarted.Model());
    restarted.UseSendmail(Script() + " -t");
    restarted.Start(host::LoadModule(QCoreApplication::applicationDirPath() + "/libChasewell.so"),
                    false);
    auto outbox = restarted.Model()->DefaultFolder(client::olFolderOutbox);
    auto waiting = MailIn(outbox, "Contract renewal");
    ASSERT_NE(waiting, nullptr);
    EXPECT_FALSE(waiting->SentOn().isValid()) << "still unsent after the restart";
    // Opened, it is a message to send, not one to read.
    waiting->Display();
    ASSERT_EQ(restarted.ComposeWindows().size(), 1u);
    EXPECT_TRUE(restarted.MessageWindows().empty());
    EXPECT_EQ(restarted.ComposeWindows().front()->bcc()->text(), "archive@example.com");
    restarted.ComposeWindows().front()->close();
    DeleteClosed();

    QFile::remove(folder.File("exitcode"));
    restarted.Main()->ShowFolder(outbox);
    restarted.Main()->SelectSubjects({"Contract renewal"});
    restarted.Main()->SendAgain();
    ASSERT_TRUE(WaitFor([&] {
        return MailIn(restarted.Model()->DefaultFolder(client::olFolderSentMail),
                      "Contract renewal") != nullptr;
    }));
    EXPECT_TRUE(outbox->Contents().empty());
    EXPECT_FALSE(restarted.Main()->notice()->text().contains("already been sent"));
    restarted.Stop();
}

TEST_F(DeliveryTest, AMessageOpenedFromTheOutboxIsSentFromItsComposeWindow) {
    Write(folder.File("exitcode"), "1\n");
    SendContractRenewal();
    ASSERT_TRUE(DeliveryEnded());
    EXPECT_TRUE(Main().notice()->text().contains("ended with exit code 1 and said nothing."))
        << Main().notice()->text().toStdString();
    QFile::remove(folder.File("exitcode"));
    ClickFolder("Outbox");
    Main().SelectSubjects({"Contract renewal"});
    Main().OpenSelected();
    ASSERT_EQ(client.ComposeWindows().size(), 1u);
    ComposeWindow* window = client.ComposeWindows().front();
    EXPECT_EQ(window->bcc()->text(), "archive@example.com");
    ASSERT_TRUE(window->Send());
    ASSERT_TRUE(WaitFor([&] { return Delivered("Contract renewal"); }));
    EXPECT_TRUE(Folder(client::olFolderOutbox)->Contents().empty());
}

TEST_F(DeliveryTest, ACommandThatCannotStartOrRunsOutOfTimeIsSaidAndTheMessageWaits) {
    client.UseSendmail("/nonexistent/sendmail -t");
    SendContractRenewal();
    ASSERT_TRUE(DeliveryEnded());
    EXPECT_TRUE(Main().notice()->text().contains(
        "The command \"/nonexistent/sendmail -t\" could not be started: execvp: No such file or "
        "directory. To send it again"))
        << Main().notice()->text().toStdString();
    EXPECT_NE(MailIn(Folder(client::olFolderOutbox), "Contract renewal"), nullptr);

    // A command that never ends is stopped when its time runs out, by the
    // window timers (the test's clock), never by waiting.
    client.UseSendmail(Script());
    Write(folder.File("hang"), "");
    ClickFolder("Outbox");
    Main().SelectSubjects({"Contract renewal"});
    Main().SendAgain();
    ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(folder.File("message")); }));
    env.timers.Advance(59'000);
    QCoreApplication::processEvents();
    EXPECT_EQ(Transport()->Running(), 1) << "still within its time";
    env.timers.Advance(1'000);
    ASSERT_TRUE(DeliveryEnded());
    EXPECT_TRUE(Main().notice()->text().contains(
        "The command \"" + Script() + "\" did not finish within 60 seconds and was stopped."))
        << Main().notice()->text().toStdString();
    EXPECT_NE(MailIn(Folder(client::olFolderOutbox), "Contract renewal"), nullptr);
    EXPECT_FALSE(SubjectsIn(Folder(client::olFolderSentMail)).contains("Contract renewal"));
    EXPECT_EQ(env.timers.ArmedCount(), 0) << "the time limit is disarmed";
}

TEST_F(DeliveryTest, WithoutACommandTheMessageIsOnlyFiledAndTheUserIsToldOnce) {
    client.UseSendmail(QString());
    SendContractRenewal();
    EXPECT_NE(MailIn(Folder(client::olFolderSentMail), "Contract renewal"), nullptr);
    EXPECT_TRUE(Folder(client::olFolderOutbox)->Contents().empty());
    EXPECT_EQ(Main().notice()->text(), MailClient::kNoSendmailNotice);
    EXPECT_EQ(Main().notice()->text(),
              "The message was filed in Sent Items but not delivered: no sendmail command is set. "
              "Start Chasewell once with --sendmail CMD (for example --sendmail \"msmtp -t\") and "
              "it delivers through that command from then on.");
    Main().findChild<QWidget*>("cmdDismissNotice")->setFocus();
    QTest::mouseClick(Main().findChild<QWidget*>("cmdDismissNotice"), Qt::LeftButton);
    EXPECT_FALSE(Main().noticeBar()->isVisibleTo(&Main()));
    ComposeWindow* second = Compose("pat@example.com", "Second");
    ASSERT_TRUE(second->Send());
    EXPECT_FALSE(Main().noticeBar()->isVisibleTo(&Main())) << "told once";
    EXPECT_EQ(Main().logView()->toPlainText().count("not delivered"), 1);
}

// A real mail transfer: an SMTP server on 127.0.0.1 (aiosmtpd,
// tests/support/smtp_sink.py) that writes what it receives, and msmtp
// pointed at it.

// The Python with aiosmtpd (Debian's python3-aiosmtpd is for /usr/bin/python3).
QString PythonWithAiosmtpd() {
    for (const QString& python : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess probe;
        probe.start(python, {"-c", "import aiosmtpd"});
        if (probe.waitForFinished(20000) && probe.exitStatus() == QProcess::NormalExit &&
            probe.exitCode() == 0)
            return python;
    }
    return QString();
}

TEST_F(DeliveryTest, MsmtpDeliversTheExactMessageToAnSmtpServerWithBccOnlyInTheEnvelope) {
    const QString msmtp = QStandardPaths::findExecutable("msmtp");
    const QString python = PythonWithAiosmtpd();
    ASSERT_FALSE(msmtp.isEmpty()) << "msmtp is missing: scripts/deps.sh installs it";
    ASSERT_FALSE(python.isEmpty()) << "python3-aiosmtpd is missing: scripts/deps.sh installs it";
    QProcess server;
    server.start(python, {QStringLiteral(CHASEWELL_SMTP_SINK), folder.File("received")});
    ASSERT_TRUE(server.waitForReadyRead(20000)) << server.readAllStandardError().toStdString();
    const int port = server.readLine().trimmed().toInt();
    ASSERT_GT(port, 0);
    Write(folder.File("msmtprc"), QStringLiteral("defaults\nauth off\ntls off\naccount default\n"
                                                 "host 127.0.0.1\nport %1\nfrom user@example.com\n")
                                      .arg(port)
                                      .toUtf8());
    QFile(folder.File("msmtprc")).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    client.UseSendmail(QStringLiteral("%1 -C %2 -t").arg(msmtp, folder.File("msmtprc")));

    SendContractRenewal();
    const bool delivered = WaitFor([&] { return Delivered("Contract renewal"); });
    server.closeWriteChannel();
    if (!server.waitForFinished(10000))
        server.kill();
    ASSERT_TRUE(delivered) << Main().notice()->text().toStdString();

    const QList<QByteArray> lines = ReadAll(folder.File("received")).split('\n');
    ASSERT_EQ(lines.size(), 2) << "one message, then the end of the file";
    const QJsonObject received = QJsonDocument::fromJson(lines[0]).object();
    EXPECT_EQ(received["from"].toString(), "user@example.com");
    EXPECT_EQ(
        received["to"].toArray(),
        (QJsonArray{"pat.jones@example.com", "sam.carter@example.com", "archive@example.com"}));
    // What the server got is our copy without its Bcc line, byte for byte
    // (the wire's line ends aside).
    QByteArray data = received["data"].toString().toLatin1();
    data.replace("\r\n", "\n");
    auto sent = MailIn(Folder(client::olFolderSentMail), "Contract renewal");
    QByteArray copy = ReadAll(client.Mailbox().FileOf(sent->EntryID()));
    ASSERT_TRUE(copy.contains("Bcc: archive@example.com\n"));
    copy.replace("Bcc: archive@example.com\n", "");
    EXPECT_EQ(data, copy);
    EXPECT_FALSE(data.contains("archive@example.com"));
}

}  // namespace
