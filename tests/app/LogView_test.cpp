// The program's log view and status bar: where a user sees what went wrong,
// even when the log file cannot be written.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextBlock>
#include <cerrno>

#include "host/app/MailClient.h"
#include "host/app/MainWindow.h"
#include "host/engine/ModuleLoader.h"
#include "host/engine/Registration.h"
#include "host/mailhelper/QxMAPIUtils.h"
#include "schedule/Globals.h"
#include "schedule/RemindTimer.h"
#include "store/CReminderItem.h"
#include "store/CReminderItems.h"
#include "tests/app/MailClientFixture.h"
#include "tests/support/FakeEnv.h"

namespace {

using host::app::MailClient;
using host::app::MainWindow;

// The add-in is started by each test, once the log is where it wants it.
class LogViewTest : public app_testing::MailClientTest {
protected:
    LogViewTest() : MailClientTest(false) {}
};

TEST_F(LogViewTest, AFailedSaveIsShownEvenWhenTheLogFileCannotBeWritten) {
    // The disk is full for the log file and for the data file alike.
    client.Log().SetFile("/dev/full");
    ::testing::internal::CaptureStderr();
    Start();
    env.files.failStep = platform::FileStep::Write;
    env.files.failErrno = ENOSPC;
    auto reminder = std::make_shared<CReminderItem>();
    reminder->setEmailAddress("pat@example.com");
    Globals::m_ReminderItems->Add(reminder);
    Globals::m_ReminderItems->SaveData();
    const std::string err = ::testing::internal::GetCapturedStderr();
    env.files.failStep.reset();

    const QString report =
        "Chasewell.CReminderItems.SaveData: Error occurred.  Reason: Could not "
        "write " +
        folder.File("ChasewellData.txt") + ": No space left on device";
    EXPECT_EQ(Main().statusBar()->currentMessage(), report);
    const QString shown = Main().logView()->toPlainText();
    EXPECT_TRUE(shown.contains("Could not write the log file /dev/full: No space left on device"))
        << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(report)) << shown.toStdString();
    EXPECT_EQ(shown.count("Could not write the log file"), 1);
    EXPECT_NE(err.find("ERROR Chasewell.CReminderItems.SaveData [flag 1]: Error occurred.  "
                       "Reason: Could not write"),
              std::string::npos)
        << err;
}

TEST_F(LogViewTest, TheLogViewKeepsTheRecentLines) {
    Start();
    const int lines = MainWindow::kLogViewLines;
    for (int n = 1; n <= lines + 5; ++n) Main().ShowProblem("problem " + QString::number(n));
    QPlainTextEdit* view = Main().logView();
    EXPECT_EQ(view->blockCount(), lines);
    EXPECT_TRUE(view->document()->firstBlock().text().endsWith("problem 6"));
    EXPECT_TRUE(
        view->document()->lastBlock().text().endsWith("problem " + QString::number(lines + 5)));
}

}  // namespace
