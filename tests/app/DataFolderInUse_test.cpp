// Two real programs on one data folder: the second start is refused and the
// first keeps everything; a lock left by a killed program never keeps the
// next start out; only reading (a calendar export) runs beside the holder.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "host/engine/DataFolderLock.h"
#include "tests/app/RealProgram.h"

namespace {

using app_testing::RealProgram;
using testing_support::TempFolder;

class DataFolderInUseTest : public ::testing::Test {
protected:
    QString Data() const { return home.File("data-folder/"); }
    QString Script(const char* name, const QByteArray& lines) const {
        const QString path = home.File(QString::fromLatin1(name));
        RealProgram::WriteScript(path, lines);
        return path;
    }
    QString DataFile() const { return Data() + "ChasewellData.txt"; }
    // What a refused start says: who holds the folder, and what to do.
    QString Refusal(qint64 holder) const {
        return QStringLiteral(
                   "The data folder %1 is in use by the Chasewell program (process "
                   "%2).")
            .arg(QDir::cleanPath(Data()))
            .arg(holder);
    }
    static inline const QString kAdvice = QStringLiteral(
        " Chasewell does not start a second time on it: each would save over the reminders the "
        "other changed.  Close the other first, or start Chasewell with --data-folder DIR for "
        "another folder.");

    TempFolder home;
};

const QByteArray kHolding =
    "setting DisplayNext 0\n"
    "clock 2024-03-04 09:00\n"
    "compose\n"
    "fill to pat@example.com\n"
    "fill subject Budget\n"
    "send with reminder\n"
    "expect reminders 1\n"
    "say holding\n"
    "wait for input\n"
    "compose\n"
    "fill to lee@example.com\n"
    "fill subject Plans\n"
    "send with reminder\n"
    "expect reminders 2\n";

TEST_F(DataFolderInUseTest, ASecondStartIsRefusedAndTheFirstKeepsEverything) {
    RealProgram first(home);
    first.Start({"--data-folder", Data(), "--script", Script("first.script", kHolding)});
    ASSERT_TRUE(first.WaitForOutput("holding")) << first.Finish().err.toStdString();
    const QByteArray before = RealProgram::Bytes(DataFile());
    ASSERT_TRUE(before.contains("Subject: Budget"));

    // A second program that would add a reminder of its own is refused
    // before it touches anything.
    RealProgram second(home);
    const auto refused =
        second.Run({"--data-folder", Data(), "--script",
                    Script("second.script",
                           "setting DisplayNext 0\ncompose\nfill to kim@example.com\n"
                           "fill subject Intruder\nsend with reminder\n")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.ErrLines(), QStringList{Refusal(first.ProcessId()) + kAdvice});
    EXPECT_EQ(refused.out, "");
    RealProgram printing(home);
    const auto print = printing.Run({"--data-folder", Data(), "--print"});
    EXPECT_EQ(print.exitCode, 1);
    EXPECT_EQ(print.ErrLines(), QStringList{Refusal(first.ProcessId()) + kAdvice});
    EXPECT_EQ(RealProgram::Bytes(DataFile()), before) << "the refused programs wrote nothing";

    // An export only reads: it runs beside the program.
    RealProgram exporting(home);
    const auto exported =
        exporting.Run({"--data-folder", Data(), "--export-ics", home.File("reminders.ics")});
    EXPECT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    EXPECT_TRUE(RealProgram::Bytes(home.File("reminders.ics")).contains("Budget"));

    // The first goes on, and its data file holds all it made.
    first.Input("go on");
    const auto ended = first.Finish();
    EXPECT_EQ(ended.exitCode, 0) << ended.err.toStdString();
    const QByteArray after = RealProgram::Bytes(DataFile());
    EXPECT_TRUE(after.contains("Subject: Budget"));
    EXPECT_TRUE(after.contains("Subject: Plans"));
    EXPECT_FALSE(after.contains("Intruder"));

    // Once it has ended, the folder is free.
    RealProgram later(home);
    const auto next = later.Run(
        {"--data-folder", Data(), "--script", Script("later.script", "expect reminders 2\n")});
    EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
}

TEST_F(DataFolderInUseTest, AProgramKilledWhileHoldingTheFolderNeverKeepsTheNextStartOut) {
    RealProgram killed(home);
    killed.Start({"--data-folder", Data(), "--script", Script("first.script", kHolding)});
    ASSERT_TRUE(killed.WaitForOutput("holding"));
    const qint64 pid = killed.ProcessId();
    killed.Kill();
    // Its name is still in the lock file; the lock itself went with it.
    EXPECT_TRUE(RealProgram::Bytes(Data() + host::DataFolderLock::kFileName)
                    .startsWith(QByteArray::number(pid) + '\n'));

    RealProgram next(home);
    const auto started = next.Run({"--data-folder", Data(), "--script",
                                   Script("next.script",
                                          "expect reminders 1\nexpect reminder Budget due "
                                          "3/11/2024 08:00 AM\n")});
    EXPECT_EQ(started.exitCode, 0) << started.err.toStdString();
}

// A start that would open a window brings the running program's window to
// the front instead, and says so.
TEST_F(DataFolderInUseTest, ASecondWindowStartBringsTheRunningWindowToTheFront) {
    RealProgram first(home);
    first.Start({"--data-folder", Data(), "--script", Script("first.script", kHolding)});
    ASSERT_TRUE(first.WaitForOutput("holding"));
    RealProgram second(home);
    const auto window = second.Run({"--data-folder", Data()});
    EXPECT_EQ(window.exitCode, 0);
    EXPECT_EQ(window.ErrLines(),
              QStringList{Refusal(first.ProcessId()) + " Its window was brought to the front."});
    first.Input("");
    EXPECT_EQ(first.Finish().exitCode, 0);
}

}  // namespace
