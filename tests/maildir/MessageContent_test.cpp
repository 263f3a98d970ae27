// What is read of a message and when: its header when the folder is read,
// its texts and attachments when it is opened; and what is written for the
// world.

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "host/maildir/MaildirMailbox.h"
#include "host/maildir/MessageFile.h"
#include "tests/support/FakeEnv.h"

namespace {

using host::HostMailItem;
using host::MailModel;
using host::maildir::MaildirMailbox;
using host::maildir::ReadContent;
using testing_support::TempFolder;
using testing_support::TestEnv;

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(MessageContent, TextsAttachmentsAndForwardedMessagesAreTakenApart) {
    testing_support::TestEnv env;
    const auto content = ReadContent(
        "From: a@example.com\r\nSubject: Fwd: Minutes\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/mixed; boundary=\"outer\"\r\n\r\n"
        "--outer\r\nContent-Type: multipart/alternative; boundary=\"alt\"\r\n\r\n"
        "--alt\r\nContent-Type: text/plain; charset=koi8-r\r\n"
        "Content-Transfer-Encoding: 8bit\r\n\r\n\xf0\xd2\xc9\xd7\xc5\xd4\r\n"
        "--alt\r\nContent-Type: text/html; charset=utf-8\r\n\r\n<p>Hallo</p>\r\n--alt--\r\n"
        "--outer\r\nContent-Type: message/rfc822\r\n\r\n"
        "From: b@example.com\r\nSubject: Minutes of Monday\r\n\r\nWe met.\r\n"
        "--outer--\r\n");
    EXPECT_EQ(content.body, QStringLiteral("Привет"));
    EXPECT_EQ(content.htmlBody, "<p>Hallo</p>");
    ASSERT_EQ(content.attachments.size(), 1u);
    EXPECT_EQ(content.attachments[0].name, "Minutes of Monday.eml");
    EXPECT_EQ(content.attachments[0].mimeType, "message/rfc822");
    EXPECT_TRUE(content.attachments[0].data.contains("We met."));
}

TEST(MessageContent, TextInTheWrongCharsetOrNoneFallsBackAsMailReadersDo) {
    using host::maildir::DecodeText;
    const QByteArray latin1 =
        "Gr\xfc\xdf"
        "e \x96 \x80";
    const QString meant = QStringLiteral("Grüße – €");
    EXPECT_EQ(DecodeText(latin1, ""), meant);
    EXPECT_EQ(DecodeText(latin1, "utf-8"), meant) << "not valid UTF-8";
    EXPECT_EQ(DecodeText(latin1, "us-ascii"), meant);
    EXPECT_EQ(DecodeText(latin1, "ISO-8859-1"), meant) << "read as its Windows superset";
    EXPECT_EQ(DecodeText(latin1, "x-no-such-charset"), meant);
    EXPECT_EQ(DecodeText(meant.toUtf8(), ""), meant);
    EXPECT_EQ(DecodeText(meant.toUtf8(), "x-no-such-charset"), meant);
    EXPECT_EQ(DecodeText("\xa4", "iso-8859-15"), QStringLiteral("€"));
    // The bytes Windows-1252 leaves undefined are kept, not dropped.
    EXPECT_EQ(DecodeText("a\x81z", "").size(), 3);
}

TEST(MessageContent, WhatIsWrittenForTheWorldHasNoBccAndNoDirectoryAddresses) {
    TestEnv env;
    HostMailItem mail({});
    mail.setSender(host::HostAddressEntry::ForAddress("user@example.com"));
    mail.setSubject("Plans");
    mail.setBody("See the plan.");
    mail.setMessageId("abc.123@example.com");
    mail.setSentOn(platform::MakeDateTime(QDate(2024, 3, 7), QTime(10, 0)));
    mail.RecipientList()->AddRecipient(client::olTo, "pat@example.com");
    mail.RecipientList()->AddRecipient(client::olCC, "/o=Example/ou=Exchange/cn=lee");
    mail.RecipientList()->AddRecipient(client::olBCC, "archive@example.com");
    mail.AddAttachment(
        {"plan.png", "image/png", "", QByteArray("\x89PNG\r\n\x1a\n....", 12), false});

    const QByteArray own = host::maildir::WriteMessage(mail);
    EXPECT_TRUE(own.contains("Bcc: archive@example.com"));
    EXPECT_TRUE(own.contains("X-Chasewell-Directory-Recipient: CC /o=Example/ou=Exchange/cn=lee"));
    EXPECT_TRUE(own.contains("Message-Id: <abc.123@example.com>")) << own.toStdString();

    host::maildir::WriteOptions world;
    world.bcc = false;
    world.resolveDirectory = [](const QString&) { return QStringLiteral("lee@example.com"); };
    const QByteArray sent = host::maildir::WriteMessage(mail, world);
    EXPECT_FALSE(sent.contains("archive@example.com"));
    EXPECT_FALSE(sent.contains("/o=Example"));
    EXPECT_TRUE(sent.contains("Cc: lee@example.com"));

    // Read back: the same Message-ID, text and attachment.
    HostMailItem back({});
    host::maildir::ReadMessage(own, back, "own");
    EXPECT_EQ(back.MessageId(), "abc.123@example.com");
    EXPECT_EQ(back.Body(), "See the plan.\n");
    ASSERT_EQ(back.Attachments().size(), 1u);
    EXPECT_EQ(back.Attachments()[0].name, "plan.png");
    EXPECT_EQ(back.Attachments()[0].mimeType, "image/png");
    EXPECT_EQ(back.Attachments()[0].data, mail.Attachments()[0].data);
}

// The header is read field by field, the common forms directly and every
// other one by GMime's decoders; both give the same.
TEST(MessageHeader, CommonAndUncommonFormsOfEachFieldReadAlike) {
    TestEnv env;
    const auto read = [](const QByteArray& header) {
        auto mail = std::make_shared<HostMailItem>(std::weak_ptr<MailModel>());
        const auto result = host::maildir::ReadMessageHeader(header + "\r\n", *mail, "test");
        return std::make_pair(mail, result);
    };
    const auto utc = [](int day, int hour, int minute) {
        return platform::ToWallClock(QDateTime(QDate(2024, 3, day), QTime(hour, minute), Qt::UTC));
    };
    const std::pair<QByteArray, QDateTime> dates[] = {
        {"Tue, 5 Mar 2024 08:00:00 +0100", utc(5, 7, 0)},
        {"5 Mar 2024 08:00 -0530", utc(5, 13, 30)},
        {"Tue, 05 Mar 2024 08:00:00 +0000 (UTC)", utc(5, 8, 0)},
        {"Tue, 5 Mar 24 08:00:00 GMT", utc(5, 8, 0)},
        {"Tue,\r\n 5 Mar 2024 23:30:00 -0100", utc(6, 0, 30)},
    };
    for (const auto& [text, wanted] : dates) {
        auto [mail, result] = read("Date: " + text);
        EXPECT_TRUE(result.hasDate) << text.toStdString();
        EXPECT_EQ(mail->SentOn(), wanted) << text.toStdString();
    }
    EXPECT_FALSE(read("Date: next Tuesday").second.hasDate);

    const auto recipients = [&](const QByteArray& to) {
        QStringList addresses;
        auto list = read("To: " + to).first->RecipientList();
        for (qint32 i = 1; i <= list->Count(); ++i) addresses << list->Item(i)->Address();
        return addresses;
    };
    EXPECT_EQ(recipients("a@x.org, Pat Jones <pat@y.org>,, b@z.org"),
              (QStringList{"a@x.org", "pat@y.org", "b@z.org"}));
    EXPECT_EQ(recipients("\"Jones, Pat\" <pat@x.org>, (the boss) lee@x.org"),
              (QStringList{"pat@x.org", "lee@x.org"}));
    EXPECT_EQ(recipients("undisclosed-recipients:;"), QStringList());
    EXPECT_EQ(recipients("<odd@x.org>"), QStringList{"odd@x.org"});
    EXPECT_EQ(recipients("=?UTF-8?Q?J=C3=B6rg?= <joerg@x.de>"), QStringList{"joerg@x.de"});

    EXPECT_EQ(read("Subject: Plain words  twice").first->Subject(), "Plain words  twice");
    EXPECT_EQ(read("Subject: =?UTF-8?Q?Gr=C3=BC=C3=9Fe?= aus\r\n\tM\xfcnchen").first->Subject(),
              QStringLiteral("Grüße aus\tMünchen"));
    EXPECT_EQ(read("Message-ID: <m1.2024@x.org>").first->MessageId(), "m1.2024@x.org");
    EXPECT_EQ(read("Message-ID: <m2@x.org> (sent twice)").first->MessageId(), "m2@x.org");
    EXPECT_EQ(read("From: Pat <pat@x.org>").first->Sender()->Address(), "pat@x.org");
}

class LazyContentTest : public ::testing::Test {
protected:
    QString Inbox() const { return folder.Path() + "Mail/Inbox/"; }
    std::shared_ptr<HostMailItem> OnlyInboxMessage() {
        auto inbox = model->DefaultFolder(client::olFolderInbox);
        EXPECT_EQ(inbox->Contents().size(), 1u);
        return inbox->Contents().empty()
                   ? nullptr
                   : std::dynamic_pointer_cast<HostMailItem>(inbox->Contents().front());
    }
    void Open() {
        QString error;
        ASSERT_TRUE(mailbox->OpenOwn(folder.Path() + "Mail", error)) << error.toStdString();
    }

    TestEnv env;
    TempFolder folder;
    std::shared_ptr<MailModel> model = MailModel::Create();
    std::unique_ptr<MaildirMailbox> mailbox = std::make_unique<MaildirMailbox>(model);
};

TEST_F(LazyContentTest, AFolderIsReadByHeadersAndAMessageWholeWhenItIsOpened) {
    WriteBytes(Inbox() + "cur/1.M1P1.mx:2,S",
               "From: pat@example.com\r\nTo: user@example.com\r\nSubject: Figures\r\n"
               "Message-ID: <f1@example.com>\r\n\r\nthe first text\r\n");
    Open();
    auto mail = OnlyInboxMessage();
    ASSERT_NE(mail, nullptr);
    EXPECT_EQ(mail->Subject(), "Figures");
    EXPECT_EQ(mail->MessageId(), "f1@example.com");
    EXPECT_EQ(mail->TransportMessageHeaders().count("\r\n"), 4);
    EXPECT_FALSE(mail->ContentLoaded()) << "the body was not read";
    // Whatever the file holds when the message is opened is what shows (a
    // flag change renamed it meanwhile).
    WriteBytes(Inbox() + "cur/1.M1P1.mx:2,RS",
               "From: pat@example.com\r\nSubject: Figures\r\n\r\nthe text as it is now\r\n");
    QFile::remove(Inbox() + "cur/1.M1P1.mx:2,S");
    EXPECT_EQ(mail->Body(), "the text as it is now\n");
    EXPECT_TRUE(mail->ContentLoaded());
    EXPECT_EQ(mail->ReadingNotice(), "");
}

TEST_F(LazyContentTest, AMessageWhoseFileWentMissingSaysSoWhenOpened) {
    WriteBytes(Inbox() + "new/2.M2P2.mx", "Subject: Gone soon\r\n\r\ntext\r\n");
    Open();
    auto mail = OnlyInboxMessage();
    ASSERT_NE(mail, nullptr);
    QFile::remove(Inbox() + "new/2.M2P2.mx");
    EXPECT_EQ(mail->Body(), "");
    EXPECT_EQ(mail->ReadingNotice(),
              "The message's file " + Inbox() + "new/2.M2P2.mx could not be read: it is gone.");
}

TEST_F(LazyContentTest, AnotherToolsTreeGetsDraftsAndOutboxFoldersOnlyWhenTheyAreUsed) {
    const QString tree = folder.Path() + "tree";
    WriteBytes(tree + "/INBOX/cur/1.a.b:2,S", "Subject: in\r\n\r\n");
    {
        auto own = MailModel::Create();
        MaildirMailbox opened(own);
        QString error;
        ASSERT_TRUE(opened.OpenTree(tree, error));
        EXPECT_FALSE(QFileInfo::exists(tree + "/Drafts"));
        EXPECT_FALSE(QFileInfo::exists(tree + "/Outbox"));
        auto draft = own->NewMailItem();
        draft->setSubject("Kept for later");
        own->Save(draft);
        EXPECT_TRUE(QFileInfo::exists(tree + "/Drafts/cur/" + draft->EntryID() + ":2,S"));
        draft->setBody("More words.");
        own->Save(draft);
        EXPECT_TRUE(ReadBytes(opened.FileOf(draft->EntryID())).contains("More words."));
    }
    auto again = MailModel::Create();
    MaildirMailbox reopened(again);
    QString error;
    ASSERT_TRUE(reopened.OpenTree(tree, error));
    auto drafts = again->DefaultFolder(host::kFolderDrafts);
    ASSERT_EQ(drafts->Contents().size(), 1u);
    EXPECT_EQ(std::dynamic_pointer_cast<HostMailItem>(drafts->Contents().front())->Body(),
              "More words.\n");
}

}  // namespace
