// Closing a compose window keeps what was typed when the user wants it: the
// question, drafts on disk, going on with a draft, and the program ending.

#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStatusBar>

#include "tests/app/MailClientFixture.h"
#include "tests/windows/ModalPlayer.h"

namespace {

using namespace app_testing;
using Answer = ComposeWindow::CloseAnswer;

class ComposeTest : public MailClientTest {
protected:
    // A compose window whose question is answered with answer; asked
    // counts the questions.
    ComposeWindow* Typed(const QString& subject, Answer answer) {
        ComposeWindow* window = Compose("pat@example.com", subject);
        window->body()->setPlainText("Half a thought");
        window->askOnClose = [this, answer] {
            ++asked;
            return answer;
        };
        return window;
    }
    QByteArray FileOf(const std::shared_ptr<HostMailItem>& mail) {
        QFile file(client.Mailbox().FileOf(mail->EntryID()));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    int asked = 0;
};

TEST_F(ComposeTest, ClosingWithTypedTextAsksAndEachAnswerDoesWhatItSays) {
    auto drafts = Folder(host::kFolderDrafts);
    ComposeWindow* cancelled = Typed("Budget questions", Answer::Cancel);
    EXPECT_FALSE(cancelled->close());
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(cancelled->isVisible()) << "Cancel goes on writing";
    EXPECT_TRUE(drafts->Contents().empty());

    cancelled->askOnClose = [] { return Answer::Discard; };
    EXPECT_TRUE(cancelled->close());
    DeleteClosed();
    EXPECT_TRUE(drafts->Contents().empty()) << "Discard keeps nothing";
    EXPECT_TRUE(client.ComposeWindows().empty());

    ComposeWindow* kept = Typed("Budget questions", Answer::SaveDraft);
    kept->bcc()->setText("archive@example.com");
    EXPECT_TRUE(kept->close());
    DeleteClosed();
    auto draft = MailIn(drafts, "Budget questions");
    ASSERT_NE(draft, nullptr);
    EXPECT_EQ(draft->Body(), "Half a thought");
    EXPECT_FALSE(draft->SentOn().isValid());
    const QByteArray file = FileOf(draft);
    EXPECT_TRUE(file.contains("Subject: Budget questions"));
    EXPECT_TRUE(file.contains("Bcc: archive@example.com"));

    // A window with nothing typed, or nothing changed since it was saved,
    // closes without a question.
    asked = 0;
    ComposeWindow* empty = client.NewMessage();
    empty->askOnClose = [this] {
        ++asked;
        return Answer::Cancel;
    };
    EXPECT_TRUE(empty->close());
    ComposeWindow* saved = Typed("Saved first", Answer::Cancel);
    ASSERT_TRUE(saved->SaveDraft());
    EXPECT_EQ(saved->statusBar()->currentMessage(), "Saved in Drafts.");
    EXPECT_TRUE(saved->close());
    EXPECT_EQ(asked, 0);
}

TEST_F(ComposeTest, ADraftOpenedFromDraftsGoesOnAndIsSavedInPlaceThenSent) {
    ComposeWindow* first = Typed("Offsite agenda", Answer::SaveDraft);
    ASSERT_TRUE(first->close());
    DeleteClosed();
    asked = 0;
    auto drafts = Folder(host::kFolderDrafts);
    auto draft = MailIn(drafts, "Offsite agenda");
    ASSERT_NE(draft, nullptr);
    const QString id = draft->EntryID();
    const QString path = client.Mailbox().FileOf(id);

    ClickFolder("Drafts");
    EXPECT_EQ(Column(MainWindow::ColumnSubject), QStringList{"Offsite agenda"});
    Main().SelectSubjects({"Offsite agenda"});
    Main().OpenSelected();
    ASSERT_EQ(client.ComposeWindows().size(), 1u);
    ComposeWindow* again = client.ComposeWindows().front();
    EXPECT_EQ(again->Message(), draft) << "the very draft, going on";
    EXPECT_EQ(again->to()->text(), "pat@example.com");
    EXPECT_EQ(again->body()->toPlainText(), "Half a thought");

    again->subject()->setText("Offsite agenda, second try");
    again->askOnClose = [] { return Answer::SaveDraft; };
    ASSERT_TRUE(again->close());
    DeleteClosed();
    // Still one draft, with its id and file, now holding the new subject;
    // the list shows it.
    ASSERT_EQ(drafts->Contents().size(), 1u);
    EXPECT_EQ(draft->EntryID(), id);
    EXPECT_EQ(client.Mailbox().FileOf(id), path);
    EXPECT_TRUE(FileOf(draft).contains("Subject: Offsite agenda, second try"));
    EXPECT_EQ(Column(MainWindow::ColumnSubject), QStringList{"Offsite agenda, second try"});

    Main().SelectSubjects({"Offsite agenda, second try"});
    Main().OpenSelected();
    ASSERT_TRUE(client.ComposeWindows().front()->Send());
    EXPECT_TRUE(drafts->Contents().empty());
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_NE(MailIn(Folder(client::olFolderSentMail), "Offsite agenda, second try"), nullptr);
    EXPECT_EQ(asked, 0) << "a sent message asks nothing as its window closes";
}

TEST_F(ComposeTest, TheQuestionsButtonsHaveAcceleratorsAndEscapeCancels) {
    ComposeWindow* window = Compose("pat@example.com", "Keyboard only");
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QString question;
    testing_support::ModalPlayer escape;
    escape.Then("msgSaveDraft", [&](QWidget* box) {
        question = qobject_cast<QMessageBox*>(box)->text();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_FALSE(window->close());
    EXPECT_EQ(question, ComposeWindow::kCloseQuestion);
    EXPECT_EQ(question, "This message has not been sent. Do you want to keep it in Drafts?");
    EXPECT_TRUE(window->isVisible());

    EXPECT_FALSE(escape.TimedOut());

    // A player of its own: the next box may be made where the last one was.
    testing_support::ModalPlayer save;
    save.Then("msgSaveDraft", [](QWidget* box) {
        box->activateWindow();
        QTest::keyClick(box, Qt::Key_S, Qt::AltModifier);
    });
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(save.Done());
    EXPECT_FALSE(save.TimedOut());
    EXPECT_NE(MailIn(Folder(host::kFolderDrafts), "Keyboard only"), nullptr);
}

TEST_F(ComposeTest, TheProgramEndingKeepsTypedMessagesAndClosingTheMainWindowAsksFirst) {
    ComposeWindow* window = Typed("Unfinished", Answer::Cancel);
    Main().show();
    window->show();
    // The user closes the main window but goes on writing: both stay.
    bool ended = false;
    Main().onClosed = [&] { ended = true; };
    EXPECT_FALSE(Main().close());
    EXPECT_FALSE(ended);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(window->isVisible());
    // Stopped without a chance to ask (a signal), the text goes to Drafts.
    client.Stop();
    EXPECT_NE(MailIn(Folder(host::kFolderDrafts), "Unfinished"), nullptr);
}

}  // namespace
