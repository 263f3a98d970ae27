#include "host/engine/EngineLog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "tests/support/FakeEnv.h"

namespace {

using host::EngineLog;
using host::ErrorReportRecord;
using host::TraceLine;
using testing_support::TempFolder;
using testing_support::TestEnv;

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

TraceLine Trace(int n) {
    return {"Chasewell", "Proc", "line " + QString::number(n), 0};
}

TEST(EngineLogTest, KeepsOnlyTheMostRecentLinesInMemory) {
    TestEnv env;
    EngineLog log(3, 2);
    for (int n = 1; n <= 5; ++n) log.AddTrace(Trace(n));
    for (int n = 1; n <= 3; ++n) log.AddError({"report " + QString::number(n), n, "Source"});
    EXPECT_EQ(log.TraceMessages(), (std::vector<QString>{"line 3", "line 4", "line 5"}));
    EXPECT_EQ(log.Traces().front(), Trace(3));
    EXPECT_EQ(log.Errors(), (std::vector<ErrorReportRecord>{{"report 2", 2, "Source"},
                                                            {"report 3", 3, "Source"}}));
    log.Clear();
    EXPECT_TRUE(log.Traces().empty());
    EXPECT_TRUE(log.Errors().empty());
}

TEST(EngineLogTest, AppendsToItsFileAndRotatesItAtItsSize) {
    TestEnv env;
    TempFolder temp;
    const QString path = temp.File("Chasewell.log");
    EngineLog log;
    // A trace line here is 49 bytes: three fit under the limit.
    log.SetFile(path, 160);
    for (int n = 1; n <= 3; ++n) log.AddTrace(Trace(n));
    log.Flush();
    EXPECT_EQ(ReadBytes(path),
              "2024-03-07 10:00:00 TRACE Chasewell Proc: line 1\n"
              "2024-03-07 10:00:00 TRACE Chasewell Proc: line 2\n"
              "2024-03-07 10:00:00 TRACE Chasewell Proc: line 3\n");
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);  // addresses and subjects

    log.AddError({"Error occurred.  Reason: Overflow", 1, "Chasewell.X"});
    EXPECT_EQ(ReadBytes(path + ".1").count('\n'), 3);
    EXPECT_EQ(
        ReadBytes(path),
        "2024-03-07 10:00:00 ERROR Chasewell.X [flag 1]: Error occurred.  Reason: Overflow\n");
    // The next rotation replaces the older file; nothing more is kept.
    for (int n = 4; n <= 6; ++n) log.AddTrace(Trace(n));
    EXPECT_TRUE(ReadBytes(path + ".1").startsWith("2024-03-07 10:00:00 ERROR"));
    EXPECT_TRUE(ReadBytes(path + ".1").endsWith("line 4\n"));
    log.Flush();
    EXPECT_EQ(ReadBytes(path),
              "2024-03-07 10:00:00 TRACE Chasewell Proc: line 5\n"
              "2024-03-07 10:00:00 TRACE Chasewell Proc: line 6\n");
    EXPECT_EQ(QDir(temp.Path()).entryList(QDir::Files),
              (QStringList{"Chasewell.log", "Chasewell.log.1"}));

    // A file that is already too large is rotated at its first new line.
    EngineLog later;
    later.SetFile(path, 60);
    later.AddTrace(Trace(7));
    later.Flush();
    EXPECT_EQ(ReadBytes(path), "2024-03-07 10:00:00 TRACE Chasewell Proc: line 7\n");
}

TEST(EngineLogTest, AnUnwritableFileKeepsTheReportsAndSaysSoOnce) {
    TestEnv env;
    EngineLog log;
    std::vector<QString> told;
    // The disk is full.
    log.SetFile("/dev/full");
    ::testing::internal::CaptureStderr();
    log.AddTrace(Trace(1));
    log.AddError({"Error occurred.  Reason: Could not write x: No space left on device", 1,
                  "Chasewell.CReminderItems.SaveData"});
    log.AddTrace(Trace(2));
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(err,
              "Could not write the log file /dev/full: No space left on device\n"
              "2024-03-07 10:00:00 ERROR Chasewell.CReminderItems.SaveData [flag 1]: Error "
              "occurred.  Reason: Could not write x: No space left on device\n");
    EXPECT_EQ(log.Errors().size(), 1u);
    EXPECT_EQ(log.Traces().size(), 2u);

    // A handler set after the failure hears of it at once, and only once.
    log.SetFileProblemHandler([&](const QString& text) { told.push_back(text); });
    ::testing::internal::CaptureStderr();
    log.AddError({"again", 0, "S"});
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(told, std::vector<QString>{
                        "Could not write the log file /dev/full: No space left on device"});
    EXPECT_EQ(log.FileProblem(), told.front());

    // A folder that does not exist: said again for the new file, and the
    // problem is over once a line is written.
    TempFolder temp;
    const QString path = temp.File("gone/Chasewell.log");
    log.SetFile(path);
    ::testing::internal::CaptureStderr();
    log.AddTrace(Trace(3));
    ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told.back(), "Could not write the log file " + path + ": No such file or directory");
    ASSERT_TRUE(QDir().mkpath(temp.File("gone")));
    log.AddTrace(Trace(4));
    log.Flush();
    EXPECT_EQ(log.FileProblem(), "");
    EXPECT_EQ(ReadBytes(path), "2024-03-07 10:00:00 TRACE Chasewell Proc: line 4\n");
    EXPECT_EQ(told.size(), 2u);
}

TEST(EngineLogTest, TraceLinesAreWrittenTogetherAndReportsAtOnce) {
    TestEnv env;
    env.clock.Set("2024-01-02 03:04:05");
    TempFolder temp;
    const QString path = temp.File("Chasewell.log");
    const QByteArray first = "2024-01-02 03:04:05 TRACE Chasewell Proc: line 1\n";
    {
        EngineLog log;
        log.SetFile(path);
        log.AddTrace(Trace(1));
        EXPECT_EQ(ReadBytes(path), "");
        // When the event loop runs next.
        QCoreApplication::processEvents();
        EXPECT_EQ(ReadBytes(path), first);

        // A report goes out at once, with what was gathered before it, in
        // order.
        log.AddTrace(Trace(2));
        log.AddError({"Error occurred.  Reason: Overflow", 0, "Chasewell.X"});
        EXPECT_EQ(ReadBytes(path), first +
                                       "2024-01-02 03:04:05 TRACE Chasewell Proc: line 2\n"
                                       "2024-01-02 03:04:05 ERROR Chasewell.X [flag 0]: Error "
                                       "occurred.  Reason: Overflow\n");

        // Past the gathering size, without waiting for the event loop.
        const QByteArray before = ReadBytes(path);
        const QString longText(200, u'x');
        int lines = 0;
        while (ReadBytes(path) == before) {
            log.AddTrace({"Chasewell", "Proc", longText, 0});
            ASSERT_LT(++lines, 400);
        }
        EXPECT_GE(ReadBytes(path).size() - before.size(), EngineLog::kGatherBytes);
        log.AddTrace(Trace(3));
        EXPECT_FALSE(ReadBytes(path).endsWith("line 3\n"));
    }
    // Nothing is lost when the log goes.
    EXPECT_TRUE(ReadBytes(path).endsWith("TRACE Chasewell Proc: line 3\n"));
}

}  // namespace
