#include <gtest/gtest.h>
#include <QFile>
#include <QPlainTextEdit>
#include <QTreeWidget>

#include "host/app/Program.h"
#include "host/app/StartupWindow.h"
#include "tests/support/FakeEnv.h"

namespace {

using testing_support::TempFolder;
using testing_support::TestEnv;

class ProgramTest : public ::testing::Test {
protected:
    struct Result {
        int exitCode;
        QString out;
        QString err;
    };

    Result RunWith(const QStringList& arguments) {
        QString message;
        int exitCode = -1;
        auto options =
            host::app::ParseArguments(QStringList{"chasewell"} + arguments, message, exitCode);
        if (!options)
            return {exitCode, QString(), message};
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        const int code = host::app::Run(*options, outStream, errStream);
        outStream.flush();
        errStream.flush();
        return {code, out, err};
    }

    void WriteDataFile(const QByteArray& bytes) {
        QFile file(folder.File("ChasewellData.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    TestEnv env;
    TempFolder folder;
};

TEST_F(ProgramTest, PrintsTheRemindersLoadedAndTheCommandsAddedThenStopsTheAddIn) {
    WriteDataFile(
        "EmailAddress: pat@example.com|EntryId: E1|StoreId: S1|SentDate: 3/4/2024 9:15:00 AM|"
        "ReminderDate: 3/9/2024 8:00:00 AM|Color: 255|Subject: Quarterly figures|Note: call\r\n");
    const Result result = RunWith({"--print", "--data-folder", folder.Path()});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, "Data file: " + folder.File("ChasewellData.txt") +
                              "\n"
                              "Reminders loaded: 1\n"
                              "  1. pat@example.com  \"Quarterly figures\"  sent 3/4/2024 09:15 AM "
                              " due 3/9/2024 08:00 AM"
                              "  note: call\n"
                              "Next alarm: 3/9/2024 08:00 AM\n"
                              "Commands added: 2\n"
                              "  Explorer (Inbox): 1 \"View Reminders\" (View Chasewell)\n"
                              "  Explorer (Inbox): 4 \"Add Reminders\" (Add Reminders To Emails)\n"
                              "Problems reported: 0\n");
    // The add-in was shut down: its trace reached the log file.
    QFile log(folder.File("Chasewell.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("Shutdown: Chasewell is stopping"));
    EXPECT_TRUE(env.timers.ArmedTimers().empty());
}

TEST_F(ProgramTest, ProblemsAreShownAndALibraryThatCannotLoadIsSaidPlainly) {
    WriteDataFile("EmailAddress: pat@example.com|Color: red\r\n");
    Result result = RunWith({"--print", "--data-folder", folder.Path()});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(
        result.out.contains("Problems reported: 1\n  Chasewell.CReminderItem.LoadData (flag 1): "
                            "Error occurred loading reminder data.  Reason: Type mismatch\n"))
        << result.out.toStdString();

    result =
        RunWith({"--print", "--data-folder", folder.Path(), "--module", folder.File("missing.so")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.startsWith("Cannot load the module library \"" +
                                      folder.File("missing.so") + "\"."))
        << result.err.toStdString();
}

TEST_F(ProgramTest, ArgumentsAreCheckedWithUsage) {
    Result result = RunWith({"--help"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.err.startsWith("Usage: chasewell"));
    result = RunWith({"--frobnicate"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.startsWith("Unknown argument: --frobnicate\n\nUsage:"));
    result = RunWith({"--data-folder"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.startsWith("--data-folder needs a value."));
}

TEST_F(ProgramTest, TheWindowListsWhatTheReportHolds) {
    host::app::StartupReport report;
    report.dataFile = "/data/ChasewellData.txt";
    report.reminders.push_back(
        {"pat@example.com", "Budget", "3/4/2024 09:15 AM", "3/9/2024 08:00 AM", ""});
    report.commands.push_back(
        {"Inspector", 3, "Send With Reminder", "Send with Chasewell", "&Actions"});
    host::app::StartupWindow window(report);
    auto* reminders = window.findChild<QTreeWidget*>("treeReminders");
    ASSERT_NE(reminders, nullptr);
    ASSERT_EQ(reminders->topLevelItemCount(), 1);
    EXPECT_EQ(reminders->topLevelItem(0)->text(1), "Budget");
    auto* commands = window.findChild<QTreeWidget*>("treeCommands");
    ASSERT_EQ(commands->topLevelItemCount(), 1);
    EXPECT_EQ(commands->topLevelItem(0)->text(4), "&Actions");
    EXPECT_EQ(window.findChild<QPlainTextEdit*>("txtProblems")->toPlainText(), "None.");
}

}  // namespace
