// Reading messages as they arrive from the world: HTML shown formatted and
// never allowed to fetch anything, 8-bit text without a charset, attachments
// listed and saved, and each recipient line as the message has it.

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

#include "host/app/AttachmentFiles.h"
#include "host/app/MessageView.h"
#include "host/app/MessageWindow.h"
#include "host/app/SafeTextBrowser.h"
#include "tests/app/MailClientFixture.h"

namespace {

using namespace app_testing;
using host::app::MessageView;
using host::app::SafeFileName;

class ReadingTest : public MailClientTest {
protected:
    // A message another program delivered into the Inbox, selected.
    MessageView& Arrive(const QByteArray& bytes, const QString& subject) {
        QFile file(client.Mailbox().DirectoryOf(Folder(client::olFolderInbox)) + "/new/" +
                   QString::number(++m_files) + ".M1P1.mx.example.net");
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        EXPECT_EQ(client.Mailbox().Poll(), 1);
        Main().SelectSubjects({subject});
        EXPECT_EQ(Main().SelectedMails().size(), 1u) << subject.toStdString();
        return *Main().readingPane();
    }
    static QByteArray TinyPng() {
        QImage image(2, 2, QImage::Format_RGB32);
        image.fill(Qt::red);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return buffer.data();
    }
    static bool Visible(QWidget* widget) { return widget->isVisibleTo(widget->window()); }

    // A server on 127.0.0.1 that only listens: whether anyone connected is
    // known without waiting (accept on a non-blocking socket).
    struct Listener {
        int fd = -1;
        quint16 port = 0;
        Listener() {
            fd = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            socklen_t size = sizeof address;
            if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
                ::listen(fd, 8) != 0 ||
                ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
                return;
            ::fcntl(fd, F_SETFL, O_NONBLOCK);
            port = ntohs(address.sin_port);
        }
        ~Listener() {
            if (fd >= 0)
                ::close(fd);
        }
        bool SomeoneConnected() const {
            const int connection = ::accept(fd, nullptr, nullptr);
            if (connection < 0)
                return false;
            ::close(connection);
            return true;
        }
    };

private:
    int m_files = 0;
};

TEST_F(ReadingTest, AnHtmlOnlyMessageIsFormattedAndNothingItNamesIsFetchedOrRead) {
    // A server on this machine that the message's pictures, style sheet and
    // link point at: it must never hear from the program.
    Listener server;
    ASSERT_NE(server.port, 0);
    const QByteArray base = "http://127.0.0.1:" + QByteArray::number(server.port);
    const QByteArray html =
        "<html><head><script>document.write('scripted')</script>\r\n"
        "<link rel=\"stylesheet\" href=\"" +
        base +
        "/style.css\"></head>\r\n"
        "<body><h1>March &ndash; what&rsquo;s new</h1>\r\n"
        "<p>Dear reader, <b>three</b> things.</p>\r\n"
        "<img src=\"" +
        base +
        "/pixel.gif?u=user@example.com\" width=\"1\" height=\"1\">\r\n"
        "<img src=\"file:///etc/hostname\"><img src=\"/etc/passwd\">\r\n"
        "<img src=\"cid:logo@northwind.example\" alt=\"logo\">\r\n"
        "<a href=\"" +
        base + "/click\">Read more</a></body></html>\r\n";
    MessageView& pane = Arrive(
        "From: \"Northwind News\" <news@northwind.example>\r\n"
        "To: user@example.com\r\n"
        "Subject: Your March update\r\n"
        "Date: Tue, 5 Mar 2024 09:30:00 +0100\r\n"
        "Message-ID: <m1.20240305@northwind.example>\r\n"
        "MIME-Version: 1.0\r\n"
        "Content-Type: multipart/related; boundary=\"rel\"\r\n\r\n"
        "--rel\r\nContent-Type: text/html; charset=utf-8\r\n\r\n" +
            html +
            "--rel\r\nContent-Type: image/png\r\nContent-ID: <logo@northwind.example>\r\n"
            "Content-Transfer-Encoding: base64\r\n\r\n" +
            TinyPng().toBase64() + "\r\n--rel--\r\n",
        "Your March update");
    // Drawn, as a user sees it: pictures are asked for as the text is laid out.
    Main().show();
    pane.body()->grab();
    QCoreApplication::processEvents();
    const QString text = pane.body()->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("March – what’s new"))) << text.toStdString();
    EXPECT_TRUE(text.contains("Dear reader, three things.")) << text.toStdString();
    EXPECT_FALSE(text.contains("<h1>"));
    EXPECT_FALSE(text.contains("scripted"));
    // Everything named was asked for and refused, but the picture the
    // message carries.
    const QList<QUrl> asked = pane.body()->Requested();
    EXPECT_TRUE(asked.contains(QUrl(base + "/pixel.gif?u=user@example.com")));
    EXPECT_TRUE(asked.contains(QUrl("file:///etc/hostname")));
    for (const char* refused : {"/pixel.gif?u=user@example.com", "/style.css"})
        EXPECT_FALSE(pane.body()
                         ->loadResource(QTextDocument::ImageResource, QUrl(base + refused))
                         .isValid());
    EXPECT_FALSE(
        pane.body()->loadResource(QTextDocument::ImageResource, QUrl("/etc/passwd")).isValid());
    EXPECT_EQ(pane.body()
                  ->loadResource(QTextDocument::ImageResource, QUrl("cid:logo@northwind.example"))
                  .toByteArray(),
              TinyPng());
    EXPECT_FALSE(server.SomeoneConnected());
    // The picture shown inside the text is not offered as a file.
    EXPECT_FALSE(Visible(pane.attachments()));
}

TEST_F(ReadingTest, EightBitTextWithoutACharsetReadsAsLatin1AndUtf8StaysUtf8) {
    MessageView& pane = Arrive(
        "From: joerg@example.de\r\nTo: user@example.com\r\n"
        "Subject: Gr\xfc\xdf"
        "e\r\nDate: Mon, 4 Mar 2024 11:02:03 +0100\r\n\r\n"
        "Sch\xf6ne Gr\xfc\xdf"
        "e aus M\xfcnchen \x96 bis bald, \x80 20\r\n",
        QStringLiteral("Grüße"));
    EXPECT_EQ(pane.body()->toPlainText(),
              QStringLiteral("Schöne Grüße aus München – bis bald, € 20\n"));
    // The same words in UTF-8 that wrongly claim US-ASCII stay UTF-8.
    MessageView& second = Arrive(
        "From: joerg@example.de\r\nTo: user@example.com\r\nSubject: UTF-8\r\n"
        "Content-Type: text/plain; charset=us-ascii\r\n\r\n" +
            QStringLiteral("Schöne Grüße\r\n").toUtf8(),
        "UTF-8");
    EXPECT_EQ(second.body()->toPlainText(), QStringLiteral("Schöne Grüße\n"));
}

TEST_F(ReadingTest, AttachmentsAreListedByNameAndSizeAndSavedUnderASafeName) {
    const QByteArray pdf = "%PDF-1.4\n" + QByteArray(12391, 'p');
    const QByteArray sheet(523, 's');
    MessageView& pane = Arrive(
        "From: sam.carter@example.com\r\nTo: user@example.com\r\nSubject: Q1 report\r\n"
        "Date: Wed, 6 Mar 2024 16:20:00 +0000\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/mixed; boundary=\"mix\"\r\n\r\n"
        "--mix\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n"
        "Please find the report attached.\r\n"
        "--mix\r\nContent-Type: application/pdf; name=\"Q1 report.pdf\"\r\n"
        "Content-Disposition: attachment; filename=\"Q1 report.pdf\"\r\n"
        "Content-Transfer-Encoding: base64\r\n\r\n" +
            pdf.toBase64() +
            "\r\n"
            "--mix\r\nContent-Type: application/vnd.ms-excel\r\n"
            "Content-Disposition: attachment; filename*=utf-8''%C3%9Cbersicht.xlsx\r\n"
            "Content-Transfer-Encoding: base64\r\n\r\n" +
            sheet.toBase64() +
            "\r\n"
            "--mix\r\nContent-Type: text/plain\r\n"
            "Content-Disposition: attachment; filename=\"../../.bashrc\"\r\n\r\n"
            "rm -rf ~\r\n--mix--\r\n",
        "Q1 report");
    // The line end before a boundary belongs to the boundary.
    EXPECT_EQ(pane.body()->toPlainText(), "Please find the report attached.");
    ASSERT_TRUE(Visible(pane.attachments()));
    QStringList captions;
    for (int row = 0; row < pane.attachments()->count(); ++row)
        captions << pane.attachments()->item(row)->text();
    EXPECT_EQ(captions,
              (QStringList{"Q1 report.pdf (12.1 kB)", QStringLiteral("Übersicht.xlsx (523 bytes)"),
                           "../../.bashrc (8 bytes)"}));

    QStringList suggested;
    pane.chooseSavePath = [&](const QString& name) {
        suggested << name;
        return folder.File("saved-" + name);
    };
    pane.attachments()->setCurrentRow(0);
    QTest::mouseClick(pane.saveAttachmentButton(), Qt::LeftButton);
    ASSERT_TRUE(pane.SaveAttachment(2));
    EXPECT_EQ(suggested, (QStringList{"Q1 report.pdf", "bashrc"}));
    QFile saved(folder.File("saved-Q1 report.pdf"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), pdf);

    // A file that cannot be written is said, and nothing half-written is left.
    env.files.failStep = platform::FileStep::Rename;
    EXPECT_FALSE(pane.SaveAttachment(1));
    EXPECT_TRUE(Main().logView()->toPlainText().contains(
        QStringLiteral("The attachment \"Übersicht.xlsx\" could not be saved as %1: ")
            .arg(folder.File(QStringLiteral("saved-Übersicht.xlsx")))));
    EXPECT_FALSE(QFile::exists(folder.File(QStringLiteral("saved-Übersicht.xlsx"))));
    // Choosing nowhere saves nothing.
    pane.chooseSavePath = [](const QString&) { return QString(); };
    EXPECT_FALSE(pane.SaveAttachment(0));
}

TEST(SafeFileNames, OnlyAPlainNameIsOffered) {
    EXPECT_EQ(SafeFileName("Q1 report.pdf"), "Q1 report.pdf");
    EXPECT_EQ(SafeFileName("../../.bashrc"), "bashrc");
    EXPECT_EQ(SafeFileName("C:\\Windows\\system32\\evil.dll"), "evil.dll");
    EXPECT_EQ(SafeFileName(QStringLiteral("a\u202Efdp.exe")), "afdp.exe") << "no direction marks";
    EXPECT_EQ(SafeFileName("what?*<>|:\".txt"), "what.txt");
    EXPECT_EQ(SafeFileName(".."), "attachment");
    EXPECT_EQ(SafeFileName(""), "attachment");
}

TEST_F(ReadingTest, ToCcAndBccAreEachOnTheirOwnLineAndBccOnlyWhereItIsKnown) {
    ClickFolder("Sent Items");
    // The list's To column joins To and CC, never BCC.
    Main().SelectSubjects({"Quarterly figures"});
    MessageView& pane = *Main().readingPane();
    EXPECT_EQ(pane.to()->text(), "pat.jones@example.com");
    EXPECT_EQ(pane.cc()->text(), "sam.carter@example.com");
    EXPECT_EQ(pane.bcc()->text(), "archive@example.com");
    EXPECT_TRUE(Visible(pane.cc()));
    EXPECT_TRUE(Visible(pane.bcc()));
    EXPECT_EQ(pane.from()->text(), "user@example.com");

    // A message with two To recipients and no copies: one To line, no Cc or
    // Bcc line.
    auto mail = client.Model()->NewMailItem();
    mail->setSubject("Two of them");
    mail->RecipientList()->AddRecipient(client::olTo, "pat@example.com");
    mail->RecipientList()->AddRecipient(client::olTo, "lee@example.com");
    client.Model()->Deliver(Folder(client::olFolderInbox), mail);
    ClickFolder("Inbox");
    Main().SelectSubjects({"Two of them"});
    EXPECT_EQ(pane.to()->text(), "pat@example.com; lee@example.com");
    EXPECT_FALSE(Visible(pane.cc()));
    EXPECT_FALSE(Visible(pane.bcc()));

    // The message window shows the same lines.
    MailIn(Folder(client::olFolderSentMail), "Quarterly figures")->Display();
    ASSERT_EQ(client.MessageWindows().size(), 1u);
    host::app::MessageWindow* window = client.MessageWindows().front();
    EXPECT_EQ(window->to()->text(), "pat.jones@example.com");
    EXPECT_EQ(window->cc()->text(), "sam.carter@example.com");
    EXPECT_EQ(window->bcc()->text(), "archive@example.com");
}

}  // namespace
