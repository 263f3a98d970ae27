// Each mailbox keeps its own reminders, and the program opens the mailbox the
// user chose last.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>
#include <QWidget>

#include "host/app/ProgramSettings.h"
#include "host/engine/HxGlobal.h"
#include "tests/app/ProgramFixture.h"

namespace {

using host::HxGlobal;

const QByteArray kSampleReminder =
    "EmailAddress: pat@example.com|EntryId: E1|StoreId: S1|SentDate: 3/4/2024 9:15:00 AM|"
    "ReminderDate: 3/9/2099 8:00:00 AM|Color: 255|Subject: Sample figures|Note: \r\n";
const QByteArray kTreeReminder =
    "EmailAddress: lee@example.com|EntryId: T1|StoreId: S1|SentDate: 3/4/2024 9:15:00 AM|"
    "ReminderDate: 3/9/2099 8:00:00 AM|Color: 255|Subject: Tree budget|Note: \r\n";

class MailboxesTest : public app_tests::ProgramFixture {
protected:
    MailboxesTest() { QDir().mkpath(Tree() + "/INBOX/cur"); }

    QString Tree() const { return folder.File("real mail"); }
    QString Remembered() const {
        return env.settings.Value(host::app::kProgramSettingsName, "Mailbox", "Maildir")
            .value_or("<missing>");
    }
    // The data file --print says the add-in read, and the subjects it loaded.
    static QString DataFileOf(const Result& result) {
        const auto match =
            QRegularExpression("^Data file: (.*)$", QRegularExpression::MultilineOption)
                .match(result.out);
        return match.hasMatch() ? match.captured(1) : "<none> " + result.out + result.err;
    }
    static int RemindersOf(const Result& result) {
        const auto match =
            QRegularExpression("^Reminders loaded: (\\d+)$", QRegularExpression::MultilineOption)
                .match(result.out);
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    }
    // A run that opens the window, as a user starting the program; the
    // window is closed as soon as it is up.
    Result RunWindowWith(const QStringList& arguments) {
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (window->objectName() == "MainWindow" && window->isVisible())
                    window->close();
        });
        closer.start(10);
        return RunWith(arguments);
    }
};

TEST_F(MailboxesTest, AMaildirTreeHasRemindersOfItsOwnAndTheOwnMailboxKeepsItsFile) {
    WriteDataFile(kSampleReminder);
    Result result = RunWith({"--print", "--data-folder", folder.Path(), "--maildir", Tree()});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QString treeFolder = HxGlobal::MailboxDataFolder(folder.Path(), Tree());
    EXPECT_TRUE(treeFolder.startsWith(folder.File("Mailboxes/real_mail-")))
        << treeFolder.toStdString();
    EXPECT_EQ(DataFileOf(result), treeFolder + "ChasewellData.txt");
    EXPECT_EQ(RemindersOf(result), 0);
    EXPECT_TRUE(QFile::exists(treeFolder + "Chasewell.log"));

    // The tree's reminders come back however the tree is written.
    WriteFile(treeFolder + "ChasewellData.txt", kTreeReminder);
    ASSERT_TRUE(QFile::link(Tree(), folder.File("link")));
    for (const QString& spelling : {Tree() + "/", Tree() + "/INBOX/..", folder.File("link")}) {
        result = RunWith({"--print", "--data-folder", folder.Path(), "--maildir", spelling});
        EXPECT_EQ(DataFileOf(result), treeFolder + "ChasewellData.txt") << spelling.toStdString();
        EXPECT_TRUE(result.out.contains("\"Tree budget\"")) << result.out.toStdString();
        EXPECT_FALSE(result.out.contains("Sample figures"));
    }

    // The own mailbox still has its reminder where it always was.
    result = RunWith({"--print", "--data-folder", folder.Path()});
    EXPECT_EQ(DataFileOf(result), folder.File("ChasewellData.txt"));
    EXPECT_TRUE(result.out.contains("\"Sample figures\"")) << result.out.toStdString();
    EXPECT_FALSE(result.out.contains("Tree budget"));

    // Another tree of the same name is another mailbox.
    const QString twin = folder.File("elsewhere/real mail");
    QDir().mkpath(twin + "/INBOX/cur");
    EXPECT_NE(HxGlobal::MailboxDataFolder(folder.Path(), twin), treeFolder);
}

TEST(MailboxDataFolderTest, NamesAreSafeFolderNames) {
    EXPECT_EQ(HxGlobal::MailboxDataFolder("/data/", ""), "/data/");
    const QRegularExpression form("^/data/Mailboxes/([A-Za-z0-9._-]+)-[0-9a-f]{16}/$");
    for (const auto& [tree, name] :
         std::vector<std::pair<QString, QString>>{{"/home/pat/.maildir", "maildir"},
                                                  {"/home/pat/Mail ü/", "Mail__"},
                                                  {"/", "mailbox"},
                                                  {"/home/pat/..mail", "mail"},
                                                  {"/m/" + QString(60, 'x'), QString(40, 'x')}}) {
        const auto match = form.match(HxGlobal::MailboxDataFolder("/data", tree));
        ASSERT_TRUE(match.hasMatch()) << HxGlobal::MailboxDataFolder("/data", tree).toStdString();
        EXPECT_EQ(match.captured(1), name) << tree.toStdString();
    }
}

TEST_F(MailboxesTest, TheMailboxChosenInAWindowRunIsOpenedNextTimeUntilChanged) {
    WriteDataFile(kSampleReminder);
    const QString treeFile =
        HxGlobal::MailboxDataFolder(folder.Path(), Tree()) + "ChasewellData.txt";
    // Printing or exporting with a mailbox does not change the choice.
    ASSERT_EQ(RunWith({"--print", "--data-folder", folder.Path(), "--maildir", Tree()}).exitCode,
              0);
    EXPECT_EQ(Remembered(), "<missing>");

    Result result = RunWindowWith({"--data-folder", folder.Path(), "--maildir", Tree()});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(Remembered(), Tree());
    EXPECT_EQ(DataFileOf(RunWith({"--print", "--data-folder", folder.Path()})), treeFile);
    // For one run only, and for good.
    EXPECT_EQ(DataFileOf(RunWith({"--print", "--data-folder", folder.Path(), "--sample-mailbox"})),
              folder.File("ChasewellData.txt"));
    EXPECT_EQ(Remembered(), Tree());
    ASSERT_EQ(RunWindowWith({"--data-folder", folder.Path(), "--maildir", ""}).exitCode, 0);
    EXPECT_EQ(Remembered(), "");
    EXPECT_EQ(DataFileOf(RunWith({"--print", "--data-folder", folder.Path()})),
              folder.File("ChasewellData.txt"));

    // A choice that cannot be stored is said, and the run goes on.
    env.settings.failWrites = true;
    result = RunWindowWith({"--data-folder", folder.Path(), "--sample-mailbox"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err,
              "The mailbox chosen could not be remembered for the next start: Permission "
              "denied\n");
}

TEST_F(MailboxesTest, ARememberedTreeThatIsGoneIsSaidAndAWindowRunOpensTheOwnMailbox) {
    ASSERT_EQ(RunWindowWith({"--data-folder", folder.Path(), "--maildir", Tree()}).exitCode, 0);
    ASSERT_TRUE(QDir(Tree()).removeRecursively());
    const QString why = "The mailbox you opened last, " + Tree() + ", cannot be opened: " + Tree() +
                        " holds no Maildir Inbox: expected INBOX/ or Inbox/, or cur/ and new/ in "
                        "the folder itself.\nStart Chasewell with --maildir DIR for another one, "
                        "or with --sample-mailbox for its own.";
    Result result = RunWith({"--print", "--data-folder", folder.Path()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, why + "\n");
    EXPECT_TRUE(env.messageBoxes.shown.empty());

    result = RunWindowWith({"--data-folder", folder.Path()});
    EXPECT_EQ(result.exitCode, 0);
    ASSERT_EQ(env.messageBoxes.shown.size(), 1u);
    EXPECT_EQ(env.messageBoxes.shown[0].text, why + "\n\nChasewell opens its own mailbox now.");
    EXPECT_EQ(env.messageBoxes.shown[0].title, "Chasewell");
    EXPECT_TRUE(QDir(folder.File("Mail/Inbox")).exists());
    // Kept: the tree may be on a disk that is not there yet.
    EXPECT_EQ(Remembered(), Tree());
}

}  // namespace
