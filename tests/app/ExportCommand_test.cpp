// Exporting the reminders to a calendar file: from the command line (a cron
// job) and from the main window's File menu.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QTimer>

#include "host/app/MailClient.h"
#include "host/app/MainMenu.h"
#include "host/app/MainWindow.h"
#include "host/app/ProgramSettings.h"
#include "host/engine/HxGlobal.h"
#include "host/engine/ModuleLoader.h"
#include "host/engine/Registration.h"
#include "host/mailhelper/QxMAPIUtils.h"
#include "schedule/Globals.h"
#include "schedule/RemindTimer.h"
#include "store/CReminderItems.h"
#include "tests/app/MailClientFixture.h"
#include "tests/app/ProgramFixture.h"

namespace {

const QByteArray kReminders =
    "EmailAddress: pat@example.com|EntryId: E1|StoreId: S1|SentDate: 3/4/2024 9:15:00 AM|"
    "ReminderDate: 3/9/2024 8:00:00 AM|Color: 255|Subject: Quarterly figures|Note: call\r\n"
    "EmailAddress: lee@example.com|EntryId: E2|StoreId: S1|SentDate: 3/4/2024 9:15:00 AM|"
    "ReminderDate: someday|Color: 0|Subject: Budget|Note: \r\n";

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QList<QWidget*> VisibleWindows() {
    QList<QWidget*> visible;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible())
            visible << window;
    return visible;
}

int Events(const QByteArray& calendar) {
    return static_cast<int>(calendar.count("BEGIN:VEVENT\r\n"));
}

class ExportCommandTest : public app_tests::ProgramFixture {};

TEST_F(ExportCommandTest, ExportsTheMailboxRemindersWithoutStartingTheAddInAndSaysWhatItSkipped) {
    WriteDataFile(kReminders);
    const QString target = folder.File("reminders.ics");
    const QList<QWidget*> visibleBefore = VisibleWindows();
    Result result = RunWith({"--data-folder", folder.Path(), "--export-ics", target});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "1 reminder exported to " + target + ".\n");
    EXPECT_EQ(result.err,
              "Not exported, because its reminder date is not a date:\n"
              "  lee@example.com \"Budget\": \"someday\"\n");
    const QByteArray calendar = FileBytes(target);
    EXPECT_EQ(Events(calendar), 1);
    EXPECT_TRUE(calendar.contains("SUMMARY:Follow up with pat@example.com: Quarterly figures\r\n"));
    // The reminder is overdue, yet no alarm came up, no timer was armed and
    // no mailbox was made: the add-in never started.
    EXPECT_TRUE(env.timers.ArmedTimers().empty());
    EXPECT_EQ(VisibleWindows(), visibleBefore);
    EXPECT_FALSE(QDir(folder.File("Mail")).exists());
    EXPECT_EQ(FileBytes(folder.File("ChasewellData.txt")), kReminders);

    // A Maildir tree's own reminders, which it has none of yet.
    QDir().mkpath(folder.File("tree/INBOX/cur"));
    result = RunWith(
        {"--data-folder", folder.Path(), "--maildir", folder.File("tree"), "--export-ics", target});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "0 reminders exported to " + target + ".\n");
    EXPECT_EQ(Events(FileBytes(target)), 0);
    result = RunWith(
        {"--data-folder", folder.Path(), "--maildir", folder.File("gone"), "--export-ics", target});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "The mailbox " + folder.File("gone") +
                              " cannot be found; nothing was exported to " + target + ".\n");
}

TEST_F(ExportCommandTest, AFileThatCannotBeWrittenEndsTheRunWithTheReason) {
    WriteDataFile(kReminders);
    const QString target = folder.File("missing/reminders.ics");
    const Result result = RunWith({"--data-folder", folder.Path(), "--export-ics", target});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(result.err.startsWith("The reminders could not be exported to " + target +
                                      ".  Could not create a new file for reminders.ics in " +
                                      folder.File("missing") +
                                      ": No such file or directory.  The file was left as it "
                                      "was.\n"))
        << result.err.toStdString();

    // Arguments that make no sense together are refused before anything runs.
    EXPECT_EQ(RunWith({"--export-ics", target, "--print"}).err.section('\n', 0, 0),
              "--export-ics cannot be used with --print or --script.");
    EXPECT_EQ(RunWith({"--export-ics", ""}).err.section('\n', 0, 0),
              "--export-ics needs a file name.");
}

TEST_F(ExportCommandTest, TheProgramExportsWithoutADisplayAsACronJobRunsIt) {
    WriteDataFile(kReminders);
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Cron gives no display and no session folders.
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"})
        environment.remove(name);
    environment.insert("XDG_CONFIG_HOME", folder.File("config"));
    program.setProcessEnvironment(environment);
    const QString target = folder.File("cron.ics");
    program.start(QCoreApplication::applicationDirPath() + "/chasewell",
                  {"--data-folder", folder.Path(), "--export-ics", target});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(program.readAllStandardOutput()),
              "1 reminder exported to " + target + ".\n");
    // Only what the user should hear of reaches the mail cron sends.
    EXPECT_EQ(QString::fromUtf8(program.readAllStandardError()),
              "Not exported, because its reminder date is not a date:\n"
              "  lee@example.com \"Budget\": \"someday\"\n");
    EXPECT_EQ(Events(FileBytes(target)), 1);
}

// The running program's File menu exports what the add-in holds now,
// changes not yet saved included.
class ExportMenuTest : public app_testing::MailClientTest {
protected:
    ExportMenuTest() : MailClientTest(false) {
        QFile file(folder.File("ChasewellData.txt"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kReminders);
        file.close();
        Start();
    }

    QAction* ExportCommand() { return client.Main()->findChild<QAction*>("actExportCalendar"); }
    // Triggers the command and plays the file dialog: notes the file it
    // offers, then chooses path (or cancels when path is empty).
    QString ChooseInDialog(const QString& path) {
        QString offered = "<no dialog>";
        QTimer player;
        int polls = 0;
        QObject::connect(&player, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) {
                if (++polls > 1000)
                    player.stop();
                return;
            }
            player.stop();
            offered = dialog->selectedFiles().value(0);
            if (path.isEmpty()) {
                dialog->reject();
                return;
            }
            // Typed, as a user would: selectFile may take effect only once
            // the dialog has read the folder.
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(name, nullptr);
            name->setText(path);
            static_cast<QDialog*>(dialog)->accept();
        });
        player.start(10);
        ExportCommand()->trigger();
        return offered;
    }
};

TEST_F(ExportMenuTest, TheFileMenuAsksForTheFileAndSaysWhatWasExported) {
    QMenu* file = client.Main()->menuBar()->findChild<QMenu*>("mnuFile");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->title(), "&File");
    EXPECT_EQ(client.Main()->menuBar()->actions().front(), file->menuAction());
    EXPECT_TRUE(file->actions().contains(ExportCommand()));
    EXPECT_EQ(ExportCommand()->text(), "&Export Reminders to Calendar...");
    EXPECT_EQ(ExportCommand()->shortcut(), QKeySequence("Ctrl+Shift+E"));

    // An unsaved change is exported as the add-in holds it.
    Globals::m_ReminderItems->Item(1)->setNote("changed, not saved");
    const QString target = folder.File("menu.ics");
    EXPECT_TRUE(ChooseInDialog(target).endsWith("/Chasewell reminders.ics"));
    ASSERT_EQ(env.messageBoxes.shown.size(), 1u);
    EXPECT_EQ(env.messageBoxes.shown[0].title, "Chasewell");
    EXPECT_EQ(env.messageBoxes.shown[0].text,
              "1 reminder exported to " + target +
                  ".\n\nNot exported, because its reminder date is not a date:\n"
                  "  lee@example.com \"Budget\": \"someday\"");
    EXPECT_TRUE(FileBytes(target).contains("DESCRIPTION:changed\\, not saved\r\n"));

    // The next time the dialog offers that file; cancelling does nothing.
    EXPECT_EQ(host::app::LastCalendarFile(), target);
    EXPECT_EQ(ChooseInDialog(QString()), target);
    EXPECT_EQ(env.messageBoxes.shown.size(), 1u);
}

TEST_F(ExportMenuTest, AFailedExportFromTheMenuIsSaid) {
    const QString target = folder.File("missing/menu.ics");
    EXPECT_FALSE(host::app::ExportRemindersToCalendar(target));
    ASSERT_EQ(env.messageBoxes.shown.size(), 1u);
    EXPECT_TRUE(env.messageBoxes.shown[0].text.startsWith(
        "The reminders could not be exported to " + target +
        ".  Could not create a new file for menu.ics in " + folder.File("missing") +
        ": No such file or directory.  The file was left as it was."))
        << env.messageBoxes.shown[0].text.toStdString();
}

}  // namespace
