#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>

#include "host/app/ComposeWindow.h"
#include "host/app/MailClient.h"
#include "host/app/MainWindow.h"
#include "host/app/MessageView.h"
#include "host/app/MessageWindow.h"
#include "host/app/SafeTextBrowser.h"
#include "host/engine/ModuleLoader.h"
#include "host/engine/Registration.h"
#include "host/mailhelper/QxMAPIUtils.h"
#include "platform/QtDialogs.h"
#include "schedule/Globals.h"
#include "schedule/RemindTimer.h"
#include "store/CReminderItem.h"
#include "store/CReminderItems.h"
#include "tests/app/MailClientFixture.h"
#include "tests/support/FakeEnv.h"

namespace {

using namespace app_testing;

TEST_F(MailClientTest, TheAddInsExplorerCommandsAreToolbarButtonsThatFollowTheirEnabledState) {
    QAction* view = Toolbar("View Reminders");
    QAction* add = Toolbar("Add Reminders");
    ASSERT_NE(view, nullptr);
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(view->toolTip(), "View Chasewell");
    EXPECT_EQ(add->toolTip(), "Add Reminders To Emails");

    // Folder switches reach the add-in, which enables Add Reminders only on
    // a mail folder holding messages.
    ClickFolder("Calendar");
    EXPECT_EQ(Main().Explorer()->Folder(), Folder(client::olFolderCalendar));
    EXPECT_FALSE(add->isEnabled());
    ClickFolder("Sent Items");
    EXPECT_TRUE(add->isEnabled());
    ClickFolder("Personal Folders");
    EXPECT_FALSE(add->isEnabled());
}

TEST_F(MailClientTest, TheListShowsTheFolderSortsDatesByValueAndSelectionReachesTheExplorer) {
    ClickFolder("Sent Items");
    EXPECT_EQ(Main().messageList()->model()->headerData(MainWindow::ColumnFromTo, Qt::Horizontal),
              "To");
    // The sample's sent messages are 3, 2 and 1 days old; newest first.
    EXPECT_EQ(Column(MainWindow::ColumnSubject),
              (QStringList{"Team offsite", "Budget 2025", "Quarterly figures"}));
    // BCC recipients are not shown.
    EXPECT_EQ(Column(MainWindow::ColumnFromTo).last(),
              "pat.jones@example.com; sam.carter@example.com");
    // A date that sorts wrongly as text (9 before 10) sorts by its value.
    auto old = client.Model()->NewMailItem();
    old->setSubject("Older");
    old->setSentOn(platform::MakeDateTime(QDate(2009, 12, 31), QTime(9, 0)));
    client.Model()->Deliver(Folder(client::olFolderSentMail), old);
    Main().messageList()->sortByColumn(MainWindow::ColumnDate, Qt::AscendingOrder);
    EXPECT_EQ(Column(MainWindow::ColumnSubject).first(), "Older");

    Main().SelectSubjects({"Budget 2025", "Team offsite"});
    QStringList selected;
    for (const auto& item : Main().Explorer()->SelectedItems())
        selected << std::dynamic_pointer_cast<HostMailItem>(item)->Subject();
    selected.sort();
    EXPECT_EQ(selected, (QStringList{"Budget 2025", "Team offsite"}));
}

TEST_F(MailClientTest, SubjectsAndSendersShowAsWrittenInTheListsTooltips) {
    ClickFolder("Inbox");
    auto mail = client.Model()->NewMailItem();
    mail->setSubject("<b>Win</b> a <a href='http://x'>prize</a>");
    mail->setSender(host::HostAddressEntry::ForAddress("<i>sly</i>@example.com"));
    client.Model()->Deliver(Folder(client::olFolderInbox), mail);
    const int row = Column(MainWindow::ColumnSubject).indexOf(mail->Subject());
    ASSERT_GE(row, 0);
    // The tip label renders what looks like markup as markup.
    const auto shown = [&](int column) {
        const QString tip =
            Main().messageList()->model()->index(row, column).data(Qt::ToolTipRole).toString();
        return Qt::mightBeRichText(tip) ? QTextDocumentFragment::fromHtml(tip).toPlainText() : tip;
    };
    EXPECT_EQ(shown(MainWindow::ColumnSubject), "<b>Win</b> a <a href='http://x'>prize</a>");
    EXPECT_EQ(shown(MainWindow::ColumnFromTo), "<i>sly</i>@example.com");
}

TEST_F(MailClientTest,
       TextColumnsSortWithoutLetterCaseAndArrivalsTakeTheirPlaceKeepingTheSelection) {
    ClickFolder("Inbox");
    for (const char* subject : {"beta", "Alpha", "alpha", "Gamma"}) {
        auto mail = client.Model()->NewMailItem();
        mail->setSubject(QString::fromLatin1(subject));
        mail->setSender(host::HostAddressEntry::ForAddress("x@example.com"));
        client.Model()->Deliver(Folder(client::olFolderInbox), mail);
    }
    Main().messageList()->sortByColumn(MainWindow::ColumnSubject, Qt::AscendingOrder);
    EXPECT_EQ(Column(MainWindow::ColumnSubject),
              (QStringList{"Alpha", "alpha", "beta", "Gamma", "RE: Team offsite",
                           "Welcome to your new mailbox"}));
    Main().SelectSubjects({"beta"});
    // A message that arrives goes to its place; the selection stays.
    auto late = client.Model()->NewMailItem();
    late->setSubject("Delta");
    client.Model()->Deliver(Folder(client::olFolderInbox), late);
    EXPECT_EQ(Column(MainWindow::ColumnSubject).indexOf("Delta"), 3);
    ASSERT_EQ(Main().SelectedMails().size(), 1u);
    EXPECT_EQ(Main().SelectedMails().front()->Subject(), "beta");
    // One that leaves is gone from the list, and from the pane if shown.
    client.Model()->Remove(Main().SelectedMails().front());
    EXPECT_FALSE(Column(MainWindow::ColumnSubject).contains("beta"));
    EXPECT_EQ(Main().readingPane()->Shown(), nullptr);
}

TEST_F(MailClientTest, TheReadingPaneSaysWhenAMessagesHeaderWasShortened) {
    auto shortened = client.Model()->NewMailItem();
    shortened->setSubject("Too long");
    shortened->setReadingNotice("Parts of this header were shortened.");
    client.Model()->Deliver(Folder(client::olFolderInbox), shortened);
    Main().SelectSubjects({"Too long"});
    EXPECT_EQ(Main().readingPane()->notice()->text(), "Parts of this header were shortened.");
    EXPECT_EQ(Column(MainWindow::ColumnSubject).count("Too long"), 1) << "and it is listed";
}

TEST_F(MailClientTest, CtrlEnterSendsAndTheSentCopyIsFiledInSentItems) {
    ComposeWindow* window = Compose("pat@example.com", "Plain send");
    window->body()->setFocus();
    platform::QtWindowEffects().SendKeys(window, "^{ENTER}", true);
    EXPECT_TRUE(SubjectsIn(Folder(client::olFolderSentMail)).contains("Plain send"));
    EXPECT_TRUE(client.ComposeWindows().empty() || !client.ComposeWindows().back()->isVisible());
    // No reminder without the add-in's command.
    EXPECT_EQ(Globals::m_ReminderItems->Count(), 0);
}

TEST_F(MailClientTest, SendWithReminderIsAButtonAndAnActionsItemAndMakesAReminderForTheSentCopy) {
    ComposeWindow* window = Compose(
        "pat@example.com; /o=Example/ou=Exchange/cn=Recipients/cn=lee.wong", "Contract renewal");
    window->cc()->setText("sam@example.com");
    auto* button = window->findChild<QAction*>("cmdSendWithReminder");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "Send With Reminder");
    ASSERT_EQ(window->actionsMenu()->title(), "&Actions");
    ASSERT_EQ(window->actionsMenu()->actions().size(), 1);
    EXPECT_EQ(window->actionsMenu()->actions().front()->text(), "Send With Reminder");

    button->trigger();
    auto sent = Folder(client::olFolderSentMail);
    ASSERT_TRUE(SubjectsIn(sent).contains("Contract renewal"));
    QString sentId;
    for (const auto& item : sent->Contents())
        if (item->Subject() == "Contract renewal")
            sentId = item->EntryID();
    // One reminder per To recipient (the directory address as its Internet
    // address), each naming the sent copy; nothing left in Drafts.
    auto& reminders = *Globals::m_ReminderItems;
    ASSERT_EQ(reminders.Count(), 2);
    EXPECT_EQ(reminders.Item(1)->EmailAddress(), "pat@example.com");
    EXPECT_EQ(reminders.Item(2)->EmailAddress(), "lee.wong@example.com");
    EXPECT_EQ(reminders.Item(1)->EntryId(), sentId);
    EXPECT_TRUE(Folder(host::kFolderDrafts)->Contents().empty());
    EXPECT_TRUE(client.Log().Errors().empty());

    // With automatic removal on, a reply from the first recipient ends that
    // reminder.
    env.settings.SaveSetting(host::kSettingsApplicationName, Globals::kSection, "Remove", "True");
    ClickFolder("Sent Items");
    Main().SelectSubjects({"Contract renewal"});
    Toolbar("Reply Arrives")->trigger();
    EXPECT_TRUE(SubjectsIn(Folder(client::olFolderInbox)).contains("RE: Contract renewal"));
    ASSERT_EQ(reminders.Count(), 1);
    EXPECT_EQ(reminders.Item(1)->EmailAddress(), "lee.wong@example.com");
}

TEST_F(MailClientTest, AReplyFromADirectoryRecipientComesFromItsInternetAddress) {
    std::shared_ptr<HostMailItem> budget;
    for (const auto& item : Folder(client::olFolderSentMail)->Contents())
        if (item->Subject() == "Budget 2025")
            budget = std::dynamic_pointer_cast<HostMailItem>(item);
    QString error;
    ASSERT_TRUE(client.MakeReplyArrive(budget, error));
    auto reply =
        std::dynamic_pointer_cast<HostMailItem>(Folder(client::olFolderInbox)->Contents().back());
    EXPECT_EQ(reply->Subject(), "RE: Budget 2025");
    EXPECT_EQ(reply->Sender()->Address(), "lee.wong@example.com");

    auto nobody = client.Model()->NewMailItem();
    nobody->setSubject("Nobody");
    EXPECT_FALSE(client.MakeReplyArrive(nobody, error));
    EXPECT_EQ(error, "The message \"Nobody\" has no recipient who could reply.");
}

TEST_F(MailClientTest, ErrorReportsAreShownInTheLogViewAndStatusBarButTracesAreNot) {
    client.Log().SetFile(folder.File("Chasewell.log"));
    client.Log().AddTrace({"Chasewell", "Proc", "a trace line", 1});
    client.Log().AddError(
        {"Error occurred at line number 4.  Reason: Overflow", 0, "Chasewell.AddChasewell"});
    EXPECT_TRUE(Main().logView()->toPlainText().endsWith(
        "Chasewell.AddChasewell: Error occurred at line number 4.  Reason: Overflow"));
    EXPECT_FALSE(Main().logView()->toPlainText().contains("a trace line"));
    EXPECT_EQ(Main().statusBar()->currentMessage(),
              "Chasewell.AddChasewell: Error occurred at line number 4.  Reason: Overflow");
    // Both reached the log file.
    QFile log(folder.File("Chasewell.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    EXPECT_TRUE(text.contains("a trace line"));
    EXPECT_TRUE(text.contains("Reason: Overflow"));
}

TEST_F(MailClientTest, AMessageThatCannotBeSentSaysWhyAndClosingTheWindowClosesItsInspector) {
    ComposeWindow* window = Compose("", "No one");
    auto inspector = window->Inspector();
    EXPECT_FALSE(window->Send());
    EXPECT_EQ(window->statusBar()->currentMessage(),
              "The message cannot be sent: it has no recipients.");
    EXPECT_FALSE(SubjectsIn(Folder(client::olFolderSentMail)).contains("No one"));
    // A second attempt reads the fields afresh, without doubling anyone.
    window->to()->setText("pat@example.com, sam@example.com");
    ASSERT_TRUE(window->Send());
    for (const auto& item : Folder(client::olFolderSentMail)->Contents())
        if (item->Subject() == "No one") {
            EXPECT_EQ(std::dynamic_pointer_cast<HostMailItem>(item)->RecipientList()->Count(), 2);
        }
    // The add-in's commands on that window are gone with it.
    const auto commands = client.Engine()->CommandsOn(inspector);
    ASSERT_FALSE(commands.empty());
    for (const auto& command : commands) EXPECT_TRUE(command.closed);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(client.ComposeWindows().empty());
}

TEST_F(MailClientTest, ADisplayedFollowUpIsReadyToSendAndAFiledMessageOpensForReading) {
    auto sent = std::dynamic_pointer_cast<HostMailItem>(
        Folder(client::olFolderSentMail)->Contents().front());
    ASSERT_TRUE(sent);
    // What the add-in does for a follow-up: a forward, addressed, with the
    // plain subject, displayed.
    auto followUp = std::dynamic_pointer_cast<HostMailItem>(sent->Forward());
    followUp->Recipients()->Add("pat@example.com");
    followUp->setSubject(sent->Subject());
    followUp->Display();
    ASSERT_EQ(client.ComposeWindows().size(), 1u);
    ComposeWindow* compose = client.ComposeWindows().front();
    EXPECT_TRUE(compose->isVisible());
    EXPECT_EQ(compose->to()->text(), "pat@example.com");
    EXPECT_EQ(compose->subject()->text(), sent->Subject());
    EXPECT_EQ(compose->body()->toPlainText(),
              "\n" + sent->ForwardedHeaderBlock() + "\n" + sent->Body());
    EXPECT_EQ(compose->Inspector()->CurrentItem(), followUp) << "the very message, not a new one";
    EXPECT_NE(compose->findChild<QAction*>("cmdSendWithReminder"), nullptr);
    ASSERT_TRUE(compose->Send());
    EXPECT_TRUE(followUp->SentOn().isValid());

    // A filed message opens in a message window, for reading.
    sent->Display();
    ASSERT_EQ(client.MessageWindows().size(), 1u);
    host::app::MessageWindow* reading = client.MessageWindows().front();
    EXPECT_TRUE(reading->isVisible());
    EXPECT_EQ(reading->subject()->text(), sent->Subject());
    EXPECT_EQ(reading->body()->toPlainText(), sent->Body());
    EXPECT_TRUE(reading->body()->isReadOnly());
    EXPECT_EQ(client.ComposeWindows().size(), 1u) << "no compose window for it";
    EXPECT_TRUE(client.ComposeWindows().front()->isHidden()) << "the sent follow-up closed";
    const size_t inspectors = client.Model()->Inspectors().size();
    reading->close();
    EXPECT_EQ(client.Model()->Inspectors().size(), inspectors - 1) << "its inspector closed";
}

}  // namespace
