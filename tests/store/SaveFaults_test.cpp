// A save that fails at any step, a disk that is really full, and a program
// killed in the middle of a save: the data file is always whole, a failure is
// always reported, and what was not written is written by the next save.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <string>

#include "store/CReminderItems.h"
#include "tests/store/StoreFixture.h"

namespace store_tests {
namespace {

using platform::FileStep;
using ::testing::ElementsAre;

const QString kSaveSource = QStringLiteral("Chasewell.CReminderItems.SaveData");

// The two sizes that matter: a file the writer hands over whole at commit,
// and one larger than its buffer, written part by part before.
struct Size {
    const char* name;
    int reminders;
};
const Size kSizes[] = {{"under 16 KiB", 20}, {"over 64 KiB", 600}};

std::shared_ptr<CReminderItem> Reminder(int n) {
    auto item = std::make_shared<CReminderItem>();
    item->setEmailAddress(QStringLiteral("person%1@example.com").arg(n));
    item->setSubject(QStringLiteral("Quarterly figures for the northern region, part %1").arg(n));
    item->setNote(QStringLiteral("Call if nothing comes by Friday; the figures are due then."));
    return item;
}

class SaveFaultsTest : public StoreFixture {
protected:
    // A data file of that many reminders, saved, and the collection on it.
    void Start(int reminders) {
        QFile::remove(DataFile());
        items = std::make_unique<CReminderItems>();
        items->Initialize();
        for (int n = 1; n <= reminders; ++n) items->Add(Reminder(n));
        items->SaveData();
        ASSERT_FALSE(items->Dirty());
        log.Clear();
    }
    QStringList Entries() const {
        return QDir(folder.Path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    std::vector<QString> ErrorMessages() const {
        std::vector<QString> messages;
        for (const auto& report : Errors()) messages.push_back(report.message);
        return messages;
    }

    std::unique_ptr<CReminderItems> items;
};

TEST_F(SaveFaultsTest, AStepThatFailsLeavesTheOldFileAndTheNextSaveWritesAgain) {
    const struct {
        FileStep step;
        int error;
        const char* reason;
    } cases[] = {
        // The new file is made in the folder: that is what refused.
        {FileStep::Create, ENOSPC,
         "Could not create a new file for ChasewellData.txt in %1: No space left on device"},
        {FileStep::Write, ENOSPC, "Could not write %1: No space left on device"},
        {FileStep::Flush, ENOSPC, "Could not write %1: No space left on device"},
        {FileStep::Sync, EIO, "Could not sync %1: Input/output error"},
        {FileStep::Close, EIO, "Could not write %1: Input/output error"},
        {FileStep::Rename, EACCES, "Could not replace %1: Permission denied"},
    };
    for (const Size& size : kSizes) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(size.name) + ", " + c.reason);
            Start(size.reminders);
            const QByteArray before = FileBytes(DataFile());
            env.files.failStep = c.step;
            env.files.failErrno = c.error;
            items->Item(size.reminders)->setNote("changed");
            items->SaveData();
            EXPECT_EQ(FileBytes(DataFile()), before);
            EXPECT_TRUE(items->Dirty());
            const QString named =
                c.step == FileStep::Create ? QFileInfo(DataFile()).absolutePath() : DataFile();
            EXPECT_THAT(Errors(), ElementsAre(Report(
                                      "Error occurred.  Reason: " + QString(c.reason).arg(named), 1,
                                      kSaveSource)));
            EXPECT_EQ(Entries(), QStringList{"ChasewellData.txt"});

            env.files.failStep.reset();
            items->SaveData();
            EXPECT_FALSE(items->Dirty());
            EXPECT_TRUE(FileBytes(DataFile()).endsWith("|Note: changed\r\n"));
            EXPECT_EQ(Errors().size(), 1u);
        }
    }
}

TEST_F(SaveFaultsTest, AFolderThatCannotBeSyncedIsReportedAndSavedAgain) {
    Start(20);
    env.files.failStep = FileStep::SyncFolder;
    items->Item(1)->setNote("changed");
    items->SaveData();
    // The rename was made: the new file is in place, whole, but whether it
    // would survive a power cut is not known, so the save did not succeed.
    EXPECT_TRUE(FileBytes(DataFile()).contains("|Note: changed\r\n"));
    EXPECT_TRUE(items->Dirty());
    EXPECT_THAT(ErrorMessages(), ElementsAre("Error occurred.  Reason: Could not sync " +
                                             DataFile() + ": Input/output error"));
    env.files.failStep.reset();
    const int started = env.files.writesStarted;
    items->SaveData();
    EXPECT_EQ(env.files.writesStarted, started + 1);
    EXPECT_FALSE(items->Dirty());
    EXPECT_EQ(Entries(), QStringList{"ChasewellData.txt"});
}

// Runs body in a child process and returns the child's wait status. The
// child ends with _exit, so nothing of the test's own state is torn down
// there; what it must tell goes through `report`.
int InChild(const std::function<void(int report)>& body, std::string* said = nullptr) {
    int channel[2];
    if (::pipe(channel) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        body(channel[1]);
        ::_exit(0);
    }
    ::close(channel[1]);
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(channel[0], buffer, sizeof buffer)) > 0)
        if (said)
            said->append(buffer, static_cast<size_t>(got));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

QString Yes(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

void Say(int report, const QString& text) {
    const QByteArray bytes = (text + u'\n').toUtf8();
    if (::write(report, bytes.constData(), static_cast<size_t>(bytes.size())) < 0)
        ::_exit(3);
}

TEST_F(SaveFaultsTest, AProgramKilledDuringASaveLeavesAWholeFileAndTheNextStartTidiesUp) {
    const FileStep steps[] = {FileStep::Create,    FileStep::Write, FileStep::Flush,
                              FileStep::Sync,      FileStep::Close, FileStep::Rename,
                              FileStep::SyncFolder};
    for (const Size& size : kSizes) {
        for (const FileStep step : steps) {
            SCOPED_TRACE(std::string(size.name) + ", killed after step " +
                         std::to_string(int(step)));
            Start(size.reminders);
            const QByteArray before = FileBytes(DataFile());
            const int status = InChild([&](int) {
                env.files.killAfter = step;
                items->Item(1)->setNote("changed");
                items->SaveData();
            });
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;

            // Whole: the old file until the rename, the new one from then on.
            const QByteArray after = FileBytes(DataFile());
            const bool renamed = step == FileStep::Rename || step == FileStep::SyncFolder;
            if (renamed) {
                EXPECT_NE(after, before);
                EXPECT_EQ(after.size(), before.size() + QByteArray("changed").size() -
                                            Reminder(1)->Note().toUtf8().size());
            } else {
                EXPECT_EQ(after, before);
            }
            // A killed program leaves its temporary file behind...
            EXPECT_EQ(Entries().size(), renamed ? 1 : 2) << Entries().join(", ").toStdString();

            // ...which the next start removes, loading every reminder.
            items.reset();
            CReminderItems next;
            next.Initialize();
            EXPECT_EQ(Entries(), QStringList{"ChasewellData.txt"});
            ASSERT_EQ(next.Count(), size.reminders);
            EXPECT_EQ(next.Item(1)->Note(), renamed ? "changed" : Reminder(1)->Note());
            EXPECT_TRUE(Errors().empty());
        }
    }
}

// A real full disk: a 64 KiB file system, filled up. Mounting needs the
// superuser; the mount lives in a mount namespace of the child's own, so it
// ends with the child whatever happens.
TEST_F(SaveFaultsTest, ARealFullDiskLeavesTheOldFileAndSaysSo) {
    std::string said;
    const int status = InChild(
        [&](int report) {
            if (::unshare(CLONE_NEWNS) != 0 ||
                ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                ::mount("tmpfs", QFile::encodeName(folder.Path()).constData(), "tmpfs", 0,
                        "size=64k") != 0) {
                Say(report, QStringLiteral("skip: cannot mount a 64 KiB tmpfs here: %1")
                                .arg(QString::fromLocal8Bit(std::strerror(errno))));
                ::_exit(77);
            }
            for (const Size& size : kSizes) {
                // 600 reminders make about 100 KiB: too many for this disk.
                const int reminders = size.reminders == 20 ? 20 : 150;
                Start(reminders);
                const QByteArray before = FileBytes(DataFile());
                {
                    QFile filler(folder.File("filler"));
                    filler.open(QIODevice::WriteOnly);
                    const QByteArray block(4096, 'f');
                    while (filler.write(block) == block.size() && filler.flush()) {
                    }
                }
                for (int n = 1; n <= reminders; ++n)
                    items->Item(n)->setNote("a longer note " + QString::number(n));
                items->SaveData();
                Say(report, QStringLiteral("%1 bytes: %2, same: %3, dirty: %4, left: %5")
                                .arg(before.size())
                                .arg(ErrorMessages().empty() ? QStringLiteral("no report")
                                                             : ErrorMessages().front())
                                .arg(Yes(FileBytes(DataFile()) == before))
                                .arg(Yes(items->Dirty()))
                                .arg(Entries().join(u' ')));
                QFile::remove(folder.File("filler"));
            }
        },
        &said);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
        GTEST_SKIP() << said;
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << said;
    const QStringList lines = QString::fromStdString(said).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << said;
    const QString expected = "Error occurred.  Reason: Could not write " + DataFile() +
                             ": No space left on device, same: true, dirty: true, left: "
                             "ChasewellData.txt filler";
    for (const QString& line : lines) {
        EXPECT_TRUE(line.endsWith(expected)) << line.toStdString();
    }
    // One file under 16 KiB, one over.
    EXPECT_LT(lines[0].section(u' ', 0, 0).toInt(), 16 * 1024);
    EXPECT_GT(lines[1].section(u' ', 0, 0).toInt(), 16 * 1024);
}

}  // namespace
}  // namespace store_tests
