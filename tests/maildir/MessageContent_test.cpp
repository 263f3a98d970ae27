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
