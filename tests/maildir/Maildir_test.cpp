#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include "host/maildir/MaildirMailbox.h"
#include "host/maildir/MessageFile.h"
#include "tests/support/FakeEnv.h"

namespace {

using host::HostFolder;
using host::HostMailItem;
using host::MailModel;
using host::maildir::MaildirMailbox;
using testing_support::TempFolder;
using testing_support::TestEnv;

QDateTime Wall(int y, int mo, int d, int h, int mi, int s = 0) {
    return platform::MakeDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

std::shared_ptr<HostMailItem> Mail(const std::shared_ptr<HostFolder>& folder,
                                   const QString& subject) {
    for (const auto& item : folder->Contents())
        if (auto mail = std::dynamic_pointer_cast<HostMailItem>(item);
            mail && mail->Subject() == subject)
            return mail;
    return nullptr;
}

// "To a@x" / "CC b@y (EX)" lines, in order.
QStringList RecipientLines(const HostMailItem& mail) {
    QStringList lines;
    auto list = mail.RecipientList();
    for (qint32 i = 1; i <= list->Count(); ++i) {
        auto r = list->Item(i);
        const char* type = r->Type() == client::olCC    ? "CC"
                           : r->Type() == client::olBCC ? "BCC"
                                                        : "To";
        lines << QStringLiteral("%1 %2 (%3)").arg(type, r->Address(), r->AddressEntry()->Type());
    }
    return lines;
}

class MaildirTest : public ::testing::Test {
protected:
    // A model over <temp>/Mail, as the program opens it.
    struct Opened {
        std::shared_ptr<MailModel> model = MailModel::Create();
        std::unique_ptr<MaildirMailbox> mailbox = std::make_unique<MaildirMailbox>(model);
        std::shared_ptr<HostFolder> Folder(qint32 type) const { return model->DefaultFolder(type); }
    };
    std::unique_ptr<Opened> Open() {
        auto opened = std::make_unique<Opened>();
        QString error;
        EXPECT_TRUE(opened->mailbox->OpenOwn(Root(), error)) << error.toStdString();
        opened->mailbox->onError = [this](const QString& text) { errors << text; };
        return opened;
    }
    QString Root() const { return folder.Path() + "Mail"; }

    TestEnv env;
    TempFolder folder;
    QStringList errors;
};

TEST_F(MaildirTest, MessagesWrittenAreReadBackWithTheSameFieldsAndEntryIds) {
    QString sentId, inboxId;
    {
        auto first = Open();
        auto mail = first->model->NewMailItem();
        mail->setSender(host::HostAddressEntry::ForAddress("user@example.com"));
        mail->setSubject(QStringLiteral("Quarterly figures – Zürich"));
        mail->setBody(QStringLiteral("Line one\nLine two with ünïcode\n"));
        mail->RecipientList()->AddRecipient(client::olTo, "pat.jones@example.com");
        mail->RecipientList()->AddRecipient(client::olTo,
                                            "/o=Example/ou=Exchange/cn=Recipients/cn=lee.wong");
        mail->RecipientList()->AddRecipient(client::olCC, "sam.carter@example.com");
        mail->RecipientList()->AddRecipient(client::olBCC, "archive@example.com");
        mail->setSentOn(Wall(2024, 3, 4, 9, 15, 30));
        first->model->File(first->Folder(client::olFolderSentMail), mail);
        sentId = mail->EntryID();

        auto received = first->model->NewMailItem();
        received->setSender(host::HostAddressEntry::ForAddress("alex.kim@example.com"));
        received->setSubject("RE: Team offsite");
        received->RecipientList()->AddRecipient(client::olTo, "user@example.com");
        env.clock.Set("2024-03-05 16:45:00");
        first->model->Deliver(first->Folder(client::olFolderInbox), received);
        inboxId = received->EntryID();
        // Sent copies are seen (cur/), arrivals are new (new/).
        EXPECT_EQ(first->mailbox->FileOf(sentId), Root() + "/Sent Items/cur/" + sentId + ":2,S");
        EXPECT_EQ(first->mailbox->FileOf(inboxId), Root() + "/Inbox/new/" + inboxId);
    }
    auto second = Open();
    auto sent = second->model->DefaultFolder(client::olFolderSentMail);
    ASSERT_EQ(sent->Contents().size(), 1u);
    auto mail = Mail(sent, QStringLiteral("Quarterly figures – Zürich"));
    ASSERT_NE(mail, nullptr);
    EXPECT_EQ(mail->EntryID(), sentId);
    EXPECT_EQ(mail->Sender()->Address(), "user@example.com");
    EXPECT_EQ(mail->Body(), QStringLiteral("Line one\nLine two with ünïcode\n"));
    EXPECT_EQ(mail->SentOn(), Wall(2024, 3, 4, 9, 15, 30));
    EXPECT_EQ(RecipientLines(*mail),
              (QStringList{"To pat.jones@example.com (SMTP)", "CC sam.carter@example.com (SMTP)",
                           "BCC archive@example.com (SMTP)",
                           "To /o=Example/ou=Exchange/cn=Recipients/cn=lee.wong (EX)"}));
    auto reply = Mail(second->Folder(client::olFolderInbox), "RE: Team offsite");
    ASSERT_NE(reply, nullptr);
    EXPECT_EQ(reply->EntryID(), inboxId);
    EXPECT_EQ(reply->SentOn(), Wall(2024, 3, 5, 16, 45));
    // The item can be found by the id a reminder kept.
    EXPECT_EQ(second->model->FindItem(sentId), mail);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(MaildirTest, ARealWorldMessageWithEncodedWordsFoldedLinesAndSeveralRecipientsIsRead) {
    WriteBytes(Root() + "/Inbox/cur/1709550000.M12P345.mx1.example.net:2,S",
               "Return-Path: <joerg@example.de>\r\n"
               "Received: from mx.example.de (mx.example.de [192.0.2.7])\r\n"
               "\tby mx1.example.net with ESMTPS id 4Tq\r\n"
               "\tfor <user@example.com>; Mon, 04 Mar 2024 11:02:03 +0100\r\n"
               "From: =?ISO-8859-1?Q?J=F6rg_M=FCller?= <joerg@example.de>\r\n"
               "To: \"Jones, Pat\" <pat.jones@example.com>,\r\n"
               " =?UTF-8?B?U2Ftw6kgQ2FydGVy?= <sam.carter@example.com>,\r\n"
               "\tuser@example.com\r\n"
               "Cc: Team: alex.kim@example.com, lee.wong@example.com;\r\n"
               "Subject: =?UTF-8?Q?Re:_Angebot_f=C3=BCr_das_zweite?=\r\n"
               " =?UTF-8?Q?_Quartal_=E2=80=93_Entwurf?=\r\n"
               "Date: Mon, 4 Mar 2024 11:02:03 +0100\r\n"
               "Message-ID: <abc123@example.de>\r\n"
               "MIME-Version: 1.0\r\n"
               "Content-Type: multipart/alternative; boundary=\"b1\"\r\n"
               "\r\n"
               "--b1\r\n"
               "Content-Type: text/html; charset=utf-8\r\n"
               "\r\n"
               "<p>nicht dieser Teil</p>\r\n"
               "--b1\r\n"
               "Content-Type: text/plain; charset=ISO-8859-1\r\n"
               "Content-Transfer-Encoding: quoted-printable\r\n"
               "\r\n"
               "Gr=FC=DFe aus M=FCnchen\r\n"
               "--b1--\r\n");
    auto opened = Open();
    auto inbox = opened->Folder(client::olFolderInbox);
    ASSERT_EQ(inbox->Contents().size(), 1u);
    auto mail = std::dynamic_pointer_cast<HostMailItem>(inbox->Contents().front());
    EXPECT_EQ(mail->Subject(), QStringLiteral("Re: Angebot für das zweite Quartal – Entwurf"));
    EXPECT_EQ(mail->Sender()->Address(), "joerg@example.de");
    EXPECT_EQ(RecipientLines(*mail),
              (QStringList{"To pat.jones@example.com (SMTP)", "To sam.carter@example.com (SMTP)",
                           "To user@example.com (SMTP)", "CC alex.kim@example.com (SMTP)",
                           "CC lee.wong@example.com (SMTP)"}));
    EXPECT_EQ(mail->SentOn(),
              platform::ToWallClock(QDateTime(QDate(2024, 3, 4), QTime(10, 2, 3), Qt::UTC)));
    EXPECT_EQ(mail->Body().trimmed(), QStringLiteral("Grüße aus München"));
    // The id comes from the unique name, so a flag change keeps it.
    EXPECT_EQ(mail->EntryID(),
              MaildirMailbox::EntryIdForFileName("1709550000.M12P345.mx1.example.net"));
    EXPECT_EQ(MaildirMailbox::EntryIdForFileName("1709550000.M12P345.mx1.example.net:2,RS"),
              mail->EntryID());
}

TEST_F(MaildirTest, MalformedFilesAreListedAndNeverStopTheFolder) {
    const QString cur = Root() + "/Inbox/cur/";
    WriteBytes(cur + "a-empty:2,S", "");
    WriteBytes(cur + "b-binary:2,S", QByteArray("\x00\xff\xfe\x01garbage\x00\x00", 13));
    WriteBytes(cur + "c-headers-only:2,S",
               "Subject: Only a subject\r\nDate: not a date at all\r\n");
    WriteBytes(cur + "d-bad-addresses:2,S",
               "From: <<<@@@>>>\r\nTo: ,,, \"unterminated <x@\r\nCc: =?bogus?Q?=ZZ?=\r\n"
               "Subject: =?UTF-8?B?!!!notbase64?=\r\n"
               "Content-Type: multipart/mixed; boundary=\"never\"\r\n\r\nno parts here\r\n");
    WriteBytes(cur + "e-good:2,S",
               "From: a@example.com\r\nTo: b@example.com\r\n"
               "Subject: Fine\r\nDate: Tue, 5 Mar 2024 08:00:00 +0000\r\n\r\nok\r\n");
    // Raw 8-bit text in a header, as old mailers wrote it.
    WriteBytes(cur + "f-latin1:2,S",
               "Subject: Gr\xfc\xdf"
               "e aus M\xfcnchen\r\n\r\nhallo\r\n");
    auto opened = Open();
    auto inbox = opened->Folder(client::olFolderInbox);
    ASSERT_EQ(inbox->Contents().size(), 6u);
    EXPECT_NE(Mail(inbox, QStringLiteral("Grüße aus München")), nullptr);
    auto empty = std::dynamic_pointer_cast<HostMailItem>(inbox->Contents()[0]);
    EXPECT_EQ(empty->Subject(), "(unreadable message)");
    EXPECT_EQ(empty->Body(), "The file \"a-empty:2,S\" could not be read as a message.");
    EXPECT_TRUE(empty->SentOn().isValid());  // the file's time
    EXPECT_NE(Mail(inbox, "Only a subject"), nullptr);
    EXPECT_TRUE(Mail(inbox, "Only a subject")->SentOn().isValid());
    EXPECT_NE(Mail(inbox, "Fine"), nullptr);
    EXPECT_EQ(Mail(inbox, "Fine")->Body().trimmed(), "ok");
}

TEST_F(MaildirTest, HugeHeadersAreShortenedAndTheMessageIsStillListed) {
    using host::maildir::kMaxHeaderFieldBytes;
    using host::maildir::kMaxRecipients;
    // A 20 MB subject, and a To: line with a million addresses.
    QByteArray huge =
        "From: spam@example.com\r\nSubject: " + QByteArray(20 * 1024 * 1024, 'x') + "\r\nTo: ";
    for (int i = 0; i < 1000000; ++i) huge += (i ? ", p" : "p") + QByteArray::number(i) + "@x.com";
    huge += "\r\nDate: Tue, 5 Mar 2024 08:00:00 +0000\r\n\r\nhello\r\n";
    HostMailItem item({});
    host::maildir::ReadMessage(huge, item, "huge");
    // Cut at the limit, the field's name counted (sizes compared: a failure
    // must not print megabytes).
    EXPECT_EQ(item.Subject().size(), kMaxHeaderFieldBytes - qsizetype(sizeof("Subject: ") - 1));
    EXPECT_TRUE(item.Subject().startsWith("xxx"));
    EXPECT_EQ(item.RecipientList()->Count(), kMaxRecipients);
    EXPECT_EQ(item.SentOn(),
              platform::ToWallClock(QDateTime(QDate(2024, 3, 5), QTime(8, 0), Qt::UTC)));
    EXPECT_EQ(item.Body().trimmed(), "hello");
    EXPECT_EQ(item.ReadingNotice(), host::maildir::kShortenedHeaderNotice);

    // An address list too long for the limit but with fewer addresses than
    // the most allowed is cut after a whole address; later fields stay.
    QByteArray wide = "Subject: Many\r\nTo: ";
    const QByteArray name = "a.rather.long.name.of.someone.at.a.large.company.abroad.x";
    for (int i = 0; i < 900; ++i)
        wide += (i ? ", " : "") + name + QByteArray::number(i) + "@example.com";
    wide += "\r\nCc: kept@example.com\r\n\r\nbody\r\n";
    ASSERT_GT(wide.size(), kMaxHeaderFieldBytes);
    HostMailItem many({});
    host::maildir::ReadMessage(wide, many, "wide");
    const auto recipients = many.RecipientList();
    ASSERT_GT(recipients->Count(), 500);
    ASSERT_LT(recipients->Count(), 900);
    const QString last = recipients->Item(recipients->Count() - 1)->Address();
    EXPECT_TRUE(last.startsWith(QString::fromLatin1(name)) && last.endsWith("@example.com"))
        << last.toStdString();
    EXPECT_EQ(recipients->Item(recipients->Count())->Address(), "kept@example.com");
    EXPECT_EQ(many.Subject(), "Many");

    // In a folder the message is listed like any other.
    WriteBytes(Root() + "/Inbox/cur/huge:2,S", huge);
    auto opened = Open();
    ASSERT_EQ(opened->Folder(client::olFolderInbox)->Contents().size(), 1u);

    // An ordinary message has nothing to say.
    HostMailItem plain({});
    host::maildir::ReadMessage("Subject: Fine\r\nTo: a@x.com\r\n\r\nok\r\n", plain, "plain");
    EXPECT_EQ(plain.ReadingNotice(), "");
    EXPECT_EQ(plain.Subject(), "Fine");
    // The header is kept as it arrived, for those who must read more of it.
    EXPECT_EQ(plain.TransportMessageHeaders(), "Subject: Fine\r\nTo: a@x.com\r\n");
    EXPECT_LE(item.TransportMessageHeaders().size(), host::maildir::kMaxHeaderBytes + 2)
        << "the shortened header, not the 40 MB one";
}

// A file is read in pieces and the end of its header asked for after each;
// asked piece by piece, at every place a piece may end, the answer is the
// one for the whole (an empty line split between two pieces included).
TEST(HeaderEndTest, AskedPieceByPieceItFindsWhatTheWholeGives) {
    using host::maildir::HeaderEnd;
    const QByteArray messages[] = {"Subject: a\r\nTo: b@x\r\n\r\nbody\r\n\r\nmore",
                                   "Subject: a\nTo: b@x\n\nbody",
                                   "\r\nonly a body",
                                   "\nonly a body",
                                   "Subject: no body\r\n",
                                   "S: x\n\r\n"};
    for (const QByteArray& message : messages) {
        const qsizetype whole = HeaderEnd(message);
        for (qsizetype piece = 1; piece <= message.size(); ++piece) {
            qsizetype looked = 0, found = message.size();
            for (qsizetype size = piece; looked < message.size();
                 size = std::min(size + piece, message.size())) {
                const qsizetype end = HeaderEnd(QByteArrayView(message).first(size), looked);
                looked = size;
                if (end < size) {
                    found = end;
                    break;
                }
            }
            EXPECT_EQ(found, whole) << message.toStdString() << " in pieces of " << piece;
        }
    }
}

TEST_F(MaildirTest, TheInboxIsWatchedForMessagesAnotherProgramDropsIn) {
    auto opened = Open();
    std::vector<QString> added;
    opened->model->onItemAdded = [&](const auto& where, const platform::ObjectRef& item) {
        added.push_back(where->Name() + ": " +
                        std::dynamic_pointer_cast<HostMailItem>(item)->Subject());
    };
    opened->mailbox->StartWatching();
    // Nothing is looked at by the clock: no timer is armed for it.
    EXPECT_EQ(env.timers.ArmedCount(), 0);
    const QString inbox = Root() + "/Inbox/";
    // A delivery agent writes into tmp/ and then moves the file into new/.
    WriteBytes(inbox + "tmp/1709600000.M1P1.mx", "Subject: half written\r\n");
    QCoreApplication::processEvents();
    EXPECT_TRUE(added.empty());
    QFile::rename(inbox + "tmp/1709600000.M1P1.mx", inbox + "new/1709600000.M1P1.mx");
    WriteBytes(inbox + "cur/1709600001.M2P2.mx:2,S", "Subject: second\r\n\r\nbody\r\n");
    // The system tells of the change through the event loop.
    EXPECT_TRUE(QTest::qWaitFor([&] { return added.size() == 2; }, 10000));
    EXPECT_EQ(added, (std::vector<QString>{"Inbox: half written", "Inbox: second"}));
    // Another reader marks the first one read: the same message, not a new one.
    QFile::rename(inbox + "new/1709600000.M1P1.mx", inbox + "cur/1709600000.M1P1.mx:2,S");
    auto first = Mail(opened->Folder(client::olFolderInbox), "half written");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return opened->mailbox->FileOf(first->EntryID()) ==
                   inbox + "cur/1709600000.M1P1.mx:2,S";
        },
        10000));
    EXPECT_EQ(added.size(), 2u);
    // Taking it out of the folder deletes the renamed file.
    opened->model->Remove(first);
    EXPECT_FALSE(QFileInfo::exists(inbox + "cur/1709600000.M1P1.mx:2,S"));
}

TEST_F(MaildirTest, SendingFilesTheSentCopyAndDropsTheDraftAndImportKeepsTheFile) {
    auto opened = Open();
    auto draft = opened->model->NewMailItem();
    draft->setSubject("Budget");
    draft->RecipientList()->AddRecipient(client::olTo, "pat@example.com");
    opened->model->Save(draft);
    const QString draftFile = opened->mailbox->FileOf(draft->EntryID());
    EXPECT_TRUE(QFileInfo::exists(draftFile)) << draftFile.toStdString();
    auto copy = opened->model->Send(draft);
    EXPECT_FALSE(QFileInfo::exists(draftFile));
    EXPECT_TRUE(QFileInfo::exists(opened->mailbox->FileOf(copy->EntryID())));

    const QByteArray eml = "From: x@example.com\r\nSubject: Imported\r\n\r\nkept as it was\r\n";
    WriteBytes(folder.File("note.eml"), eml);
    auto projects = opened->model->AddFolder(opened->model->StoreRoots().front(), "Projects");
    opened->mailbox->Bind(projects, Root() + "/Projects");
    QString error;
    auto imported = opened->mailbox->Import(projects, folder.File("note.eml"), error);
    ASSERT_NE(imported, nullptr) << error.toStdString();
    QFile stored(opened->mailbox->FileOf(imported->EntryID()));
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(stored.readAll(), eml);
    EXPECT_EQ(opened->mailbox->Import(projects, folder.File("missing.eml"), error), nullptr);
    EXPECT_TRUE(error.startsWith("Cannot read " + folder.File("missing.eml")));

    // A restart finds Projects again, with the same ids.
    const QString importedId = imported->EntryID(), sentId = copy->EntryID();
    opened.reset();
    auto again = Open();
    auto found = again->model->StoreRoots().front()->Folder("Projects");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(Mail(found, "Imported")->EntryID(), importedId);
    EXPECT_EQ(std::dynamic_pointer_cast<HostMailItem>(again->model->FindItem(sentId))->Subject(),
              "Budget");
    EXPECT_TRUE(again->Folder(host::kFolderDrafts)->Contents().empty());
}

// Every file carries a date (its Date line, or the file's own time), but a
// draft or a message waiting in the Outbox has not been sent: read as sent,
// it would open read-only and refuse to be sent again after a restart.
TEST_F(MaildirTest, DraftsAndTheOutboxAreReadBackUnsentAndSentItemsKeepTheirDate) {
    env.clock.Set("2024-03-07T09:15:00");
    auto opened = Open();
    for (const qint32 type : {qint32(host::kFolderDrafts), qint32(client::olFolderOutbox),
                              qint32(client::olFolderSentMail)}) {
        auto mail = opened->model->NewMailItem();
        mail->setSubject(QStringLiteral("In folder %1").arg(type));
        mail->RecipientList()->AddRecipient(client::olTo, "pat@example.com");
        mail->setSentOn(Wall(2024, 3, 6, 17, 30));
        opened->model->File(opened->Folder(type), mail);
    }
    opened.reset();
    auto again = Open();
    EXPECT_FALSE(Mail(again->Folder(host::kFolderDrafts), "In folder 16")->SentOn().isValid());
    EXPECT_FALSE(Mail(again->Folder(client::olFolderOutbox), "In folder 4")->SentOn().isValid());
    EXPECT_EQ(Mail(again->Folder(client::olFolderSentMail), "In folder 5")->SentOn(),
              Wall(2024, 3, 6, 17, 30));
    // So the one waiting can go: the model sends an unsent message.
    auto waiting = Mail(again->Folder(client::olFolderOutbox), "In folder 4");
    auto copy = again->model->Send(waiting);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(Mail(again->Folder(client::olFolderSentMail), "In folder 4"), copy);
}

TEST_F(MaildirTest, AnExistingTreeIsOpenedByItsInboxAndSentFolder) {
    const QString tree = folder.Path() + "tree";
    WriteBytes(tree + "/INBOX/new/1.a.b", "Subject: in\r\n\r\n");
    WriteBytes(tree + "/Sent Messages/cur/2.a.b:2,S", "Subject: out\r\n\r\n");
    auto model = MailModel::Create();
    MaildirMailbox mailbox(model);
    QString error;
    ASSERT_TRUE(mailbox.OpenTree(tree, error));
    EXPECT_NE(Mail(model->DefaultFolder(client::olFolderInbox), "in"), nullptr);
    EXPECT_NE(Mail(model->DefaultFolder(client::olFolderSentMail), "out"), nullptr);
    EXPECT_EQ(mailbox.DirectoryOf(model->DefaultFolder(client::olFolderSentMail)),
              tree + "/Sent Messages");

    // The root itself as the Inbox; no Sent folder yet: one is made.
    const QString flat = folder.Path() + "flat";
    WriteBytes(flat + "/cur/3.a.b:2,", "Subject: flat\r\n\r\n");
    auto model2 = MailModel::Create();
    MaildirMailbox mailbox2(model2);
    ASSERT_TRUE(mailbox2.OpenTree(flat, error));
    EXPECT_NE(Mail(model2->DefaultFolder(client::olFolderInbox), "flat"), nullptr);
    EXPECT_TRUE(QFileInfo(flat + "/Sent Items/cur").isDir());

    auto model3 = MailModel::Create();
    MaildirMailbox mailbox3(model3);
    EXPECT_FALSE(mailbox3.OpenTree(folder.Path() + "nothing", error));
    EXPECT_EQ(error, folder.Path() +
                         "nothing holds no Maildir Inbox: expected INBOX/ or Inbox/, "
                         "or cur/ and new/ in the folder itself.");
}

TEST_F(MaildirTest, AFileCopiedUnderTheSameNameIntoAnotherFolderIsListedInBoth) {
    const QByteArray bytes = "Subject: Copied\r\n\r\nsame file twice\r\n";
    WriteBytes(Root() + "/Inbox/cur/1709700000.M5P5.host:2,S", bytes);
    WriteBytes(Root() + "/Sent Items/cur/1709700000.M5P5.host:2,S", bytes);
    QString inboxId, sentId;
    for (int run = 0; run < 2; ++run) {
        auto opened = Open();
        auto inbox = Mail(opened->Folder(client::olFolderInbox), "Copied");
        auto sent = Mail(opened->Folder(client::olFolderSentMail), "Copied");
        ASSERT_NE(inbox, nullptr);
        ASSERT_NE(sent, nullptr);
        EXPECT_NE(inbox->EntryID(), sent->EntryID());
        if (run == 0) {
            inboxId = inbox->EntryID();
            sentId = sent->EntryID();
        } else {
            EXPECT_EQ(inbox->EntryID(), inboxId);
            EXPECT_EQ(sent->EntryID(), sentId);
        }
        // Looking again finds nothing new in either.
        EXPECT_EQ(opened->mailbox->Poll(), 0);
    }
}

}  // namespace
