#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <csignal>

#include "host/engine/DataFolderLock.h"
#include "tests/support/FakeEnv.h"

namespace {

using host::DataFolderLock;
using State = DataFolderLock::State;
using testing_support::TempFolder;

QByteArray LockFileBytes(const TempFolder& folder) {
    QFile file(folder.File(DataFolderLock::kFileName));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

TEST(DataFolderLockTest, TheFirstHoldsTheFolderAndASecondIsToldWhoDoes) {
    TempFolder folder;
    const QString name = QDir::cleanPath(folder.Path());
    {
        DataFolderLock first(folder.Path(), "the Chasewell program");
        ASSERT_EQ(first.state(), State::Held);
        EXPECT_EQ(first.Folder(), name) << "without the separator at its end";
        EXPECT_EQ(first.Refusal(), "");
        EXPECT_EQ(LockFileBytes(folder),
                  QByteArray::number(qint64(::getpid())) + "\nthe Chasewell program\n");

        // Refused, in this process too: the lock is the object's.
        DataFolderLock second(folder.Path(), "Chasewell in Thunderbird");
        EXPECT_EQ(second.state(), State::InUse);
        EXPECT_FALSE(second.Held());
        EXPECT_EQ(second.HolderName(), "the Chasewell program");
        EXPECT_EQ(second.HolderProcessId(), qint64(::getpid()));
        EXPECT_EQ(second.Refusal(), QStringLiteral("The data folder %1 is in use by the Chasewell "
                                                   "program (process %2).")
                                        .arg(name)
                                        .arg(::getpid()));
        // Its refusal changed nothing of the holder's.
        EXPECT_EQ(LockFileBytes(folder),
                  QByteArray::number(qint64(::getpid())) + "\nthe Chasewell program\n");
    }
    // Released with its holder: the next takes it and names itself.
    DataFolderLock next(folder.File(""), "Chasewell in Thunderbird");
    EXPECT_TRUE(next.Held());
    EXPECT_EQ(LockFileBytes(folder),
              QByteArray::number(qint64(::getpid())) + "\nChasewell in Thunderbird\n");
}

TEST(DataFolderLockTest, AHolderThatNamedNothingYetIsAnotherProgramAndAMissingFolderFails) {
    TempFolder folder;
    DataFolderLock first(folder.Path(), "the Chasewell program");
    ASSERT_TRUE(first.Held());
    // The moment between taking the lock and writing the name.
    QFile(folder.File(DataFolderLock::kFileName)).resize(0);
    DataFolderLock second(folder.Path(), "x");
    EXPECT_EQ(second.state(), State::InUse);
    EXPECT_EQ(second.HolderProcessId(), 0);
    EXPECT_EQ(second.Refusal(), "The data folder " + QDir::cleanPath(folder.Path()) +
                                    " is in use by another program.");

    DataFolderLock missing(folder.File("no such folder"), "the Chasewell program");
    EXPECT_EQ(missing.state(), State::Failed);
    EXPECT_EQ(missing.Refusal(), "The data folder " + folder.File("no such folder") +
                                     " cannot be locked: No such file or directory.");
}

// The kernel drops the lock of a process however it ends: a holder killed
// with SIGKILL never keeps the next start out.
TEST(DataFolderLockTest, ALockOfAKilledProcessIsTakenOver) {
    TempFolder folder;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        DataFolderLock held(folder.Path(), "the Chasewell program");
        const char answer = held.Held() ? 'y' : 'n';
        [[maybe_unused]] const ssize_t written = ::write(ready[1], &answer, 1);
        for (;;) ::pause();
    }
    ::close(ready[1]);
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ::close(ready[0]);
    ASSERT_EQ(answer, 'y');
    {
        DataFolderLock refused(folder.Path(), "the Chasewell program");
        EXPECT_EQ(refused.HolderProcessId(), qint64(child));
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    // Its name is still in the file, but the folder is free.
    EXPECT_TRUE(LockFileBytes(folder).startsWith(QByteArray::number(qint64(child)) + '\n'));
    DataFolderLock next(folder.Path(), "the Chasewell program");
    EXPECT_TRUE(next.Held());
}

// A program the holder starts (a sendmail command that outlives it, say)
// must not keep the folder once the holder is gone.
TEST(DataFolderLockTest, ProgramsTheHolderStartsDoNotInheritTheLock) {
    TempFolder folder;
    QProcess child;
    {
        DataFolderLock held(folder.Path(), "the Chasewell program");
        ASSERT_TRUE(held.Held());
        child.start("/bin/sh", {"-c", "read line"});
        ASSERT_TRUE(child.waitForStarted());
    }
    DataFolderLock next(folder.Path(), "the Chasewell program");
    EXPECT_TRUE(next.Held());
    child.closeWriteChannel();
    EXPECT_TRUE(child.waitForFinished());
}

}  // namespace
