#include "platform/DataFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>

#include "tests/support/FakeEnv.h"

namespace {

using platform::FileError;
using platform::FileStep;
using platform::LocalDataFiles;
using platform::NewFileError;
using platform::RuntimeError;
using testing_support::ErrorOf;
using testing_support::FaultyDataFiles;
using testing_support::TempFolder;

int ModeOf(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return -1;
    return int(status.st_mode & 07777);
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// The number of the RuntimeError that call() throws, or 0.
template <class Call>
int NumberOf(Call&& call) {
    try {
        call();
    } catch (const RuntimeError& error) {
        return error.number();
    }
    return 0;
}

QByteArray Sized(qsizetype bytes, char fill) {
    QByteArray content;
    for (int line = 0; content.size() < bytes; ++line)
        content += "reminder " + QByteArray::number(line) + " " + QByteArray(40, fill) + "\r\n";
    content.truncate(bytes);
    return content;
}

const char kRaw[] = "line one\r\nline\0two\n\xFF\xFE end";
const QByteArray kBinary(kRaw, sizeof kRaw - 1);

TEST(FileErrorTest, SaysWhatFailedWhyAndWhereWithTheRuntimesNumbers) {
    const QString path = "/home/pat/.local/share/Chasewell/ChasewellData.txt";
    const struct {
        FileStep step;
        int error;
        const char* description;
        int number;
    } cases[] = {
        {FileStep::Write, ENOSPC, "Could not write %1: No space left on device", 61},
        {FileStep::Flush, EDQUOT, "Could not write %1: Disk quota exceeded", 61},
        {FileStep::Close, EIO, "Could not write %1: Input/output error", 57},
        {FileStep::Create, EACCES, "Could not create %1: Permission denied", 70},
        {FileStep::Create, ENOENT, "Could not create %1: No such file or directory", 76},
        {FileStep::Read, ENOENT, "Could not read %1: No such file or directory", 53},
        {FileStep::Read, EISDIR, "Could not read %1: Is a directory", 57},
        {FileStep::Sync, EIO, "Could not sync %1: Input/output error", 57},
        {FileStep::SyncFolder, EROFS, "Could not sync %1: Read-only file system", 70},
        {FileStep::Rename, EXDEV, "Could not replace %1: Invalid cross-device link", 57},
        {FileStep::Create, ENOTDIR, "Could not create %1: Not a directory", 76},
    };
    for (const auto& c : cases) {
        const RuntimeError error = FileError(c.step, path, c.error);
        EXPECT_EQ(error.description(), QString(c.description).arg(path));
        EXPECT_EQ(error.number(), c.number) << c.description;
    }
    // The new file that is to replace it is made in its folder.
    const RuntimeError refused = NewFileError(path, EACCES);
    EXPECT_EQ(refused.description(),
              "Could not create a new file for ChasewellData.txt in "
              "/home/pat/.local/share/Chasewell: Permission denied");
    EXPECT_EQ(refused.number(), 70);
}

TEST(LocalDataFilesTest, ReadsWholeFilesAndSaysWhyItCannot) {
    TempFolder temp;
    LocalDataFiles files;
    WriteBytes(temp.File("data.txt"), kBinary);
    EXPECT_TRUE(files.Exists(temp.File("data.txt")));
    EXPECT_FALSE(files.Exists(temp.File("missing.txt")));
    EXPECT_FALSE(files.Exists(temp.Path()));  // a folder is not a data file
    EXPECT_EQ(files.ReadAll(temp.File("data.txt")), kBinary);
    WriteBytes(temp.File("empty.txt"), "");
    EXPECT_EQ(files.ReadAll(temp.File("empty.txt")), QByteArray());
    const QByteArray large = Sized(300 * 1024, 'x');
    WriteBytes(temp.File("large.txt"), large);
    EXPECT_EQ(files.ReadAll(temp.File("large.txt")), large);
    // A file that holds more than its size says.
    EXPECT_TRUE(files.ReadAll("/proc/self/status").contains("\nPid:\t"));

    EXPECT_EQ(ErrorOf([&] { files.ReadAll(temp.File("missing.txt")); }),
              "Could not read " + temp.File("missing.txt") + ": No such file or directory");
    EXPECT_EQ(NumberOf([&] { files.ReadAll(temp.File("missing.txt")); }), 53);
    EXPECT_EQ(ErrorOf([&] { files.ReadAll(temp.Path()); }),
              "Could not read " + temp.Path() + ": Is a directory");
}

TEST(LocalDataFilesTest, PermissionsAreReportedAsSuch) {
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    TempFolder temp;
    LocalDataFiles files;
    WriteBytes(temp.File("data.txt"), "secret");
    QFile::setPermissions(temp.File("data.txt"), QFileDevice::WriteOwner);
    EXPECT_EQ(ErrorOf([&] { files.ReadAll(temp.File("data.txt")); }),
              "Could not read " + temp.File("data.txt") + ": Permission denied");

    // A file its owner made read-only is not replaced.
    QFile::setPermissions(temp.File("data.txt"), QFileDevice::ReadOwner);
    EXPECT_EQ(ErrorOf([&] { files.NewWritableFile(temp.File("data.txt")); }),
              "Could not replace " + temp.File("data.txt") + ": Permission denied");

    QDir().mkpath(temp.File("readonly"));
    QFile::setPermissions(temp.File("readonly"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(ErrorOf([&] { files.NewWritableFile(temp.File("readonly/data.txt")); }),
              "Could not create a new file for data.txt in " + temp.File("readonly") +
                  ": Permission denied");
    QFile::setPermissions(temp.File("readonly"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(LocalDataFilesTest, ANewFileReplacesTheOldOnlyWhenCommitted) {
    TempFolder temp;
    LocalDataFiles files;
    const QString target = temp.File("ChasewellData.txt");
    WriteBytes(target, "old contents\n");
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ReadGroup | QFileDevice::ReadOther);
    {
        auto file = files.NewWritableFile(target);
        file->Append("new ");
        file->Append(kBinary);
        // Half-way through, the old file is whole.
        EXPECT_EQ(files.ReadAll(target), "old contents\n");
        file->Commit();
        EXPECT_EQ(ErrorOf([&] { file->Append("more"); }), "Invalid procedure call or argument");
        EXPECT_EQ(ErrorOf([&] { file->Commit(); }), "Invalid procedure call or argument");
    }
    EXPECT_EQ(files.ReadAll(target), "new " + kBinary);
    // Addresses and subjects: readable and writable by the owner only.
    EXPECT_EQ(ModeOf(target), 0600);
    EXPECT_EQ(Entries(temp.Path()), QStringList{"ChasewellData.txt"});

    // Abandoned without commit: the target stays as it was, no debris left.
    {
        auto file = files.NewWritableFile(target);
        file->Append(Sized(200 * 1024, 'a'));
    }
    EXPECT_EQ(files.ReadAll(target), "new " + kBinary);
    EXPECT_EQ(Entries(temp.Path()), QStringList{"ChasewellData.txt"});

    // A brand-new file is created owner-only too, whatever the umask.
    const mode_t umask = ::umask(0);
    auto fresh = files.NewWritableFile(temp.File("fresh.txt"));
    fresh->Commit();
    ::umask(umask);
    EXPECT_EQ(files.ReadAll(temp.File("fresh.txt")), QByteArray());
    EXPECT_EQ(ModeOf(temp.File("fresh.txt")), 0600);

    EXPECT_EQ(ErrorOf([&] { files.NewWritableFile(temp.File("missing/data.txt")); }),
              "Could not create a new file for data.txt in " + temp.File("missing") +
                  ": No such file or directory");
    EXPECT_EQ(NumberOf([&] { files.NewWritableFile(temp.File("missing/data.txt")); }), 76);
    EXPECT_EQ(Entries(temp.Path()), (QStringList{"ChasewellData.txt", "fresh.txt"}));
}

TEST(LocalDataFilesTest, ALinkedFileIsReplacedAndTheLinkKept) {
    TempFolder temp;
    LocalDataFiles files;
    QDir().mkpath(temp.File("real"));
    WriteBytes(temp.File("real/data.txt"), "old\n");
    ASSERT_TRUE(QFile::link(temp.File("real/data.txt"), temp.File("link.txt")));
    auto file = files.NewWritableFile(temp.File("link.txt"));
    file->Append("new\n");
    file->Commit();
    EXPECT_TRUE(QFileInfo(temp.File("link.txt")).isSymLink());
    EXPECT_EQ(files.ReadAll(temp.File("real/data.txt")), "new\n");
    EXPECT_EQ(Entries(temp.File("real")), QStringList{"data.txt"});
}

TEST(LocalDataFilesTest, CopyKeepsTheBytesAndReplacesTheTarget) {
    TempFolder temp;
    LocalDataFiles files;
    const QByteArray large = Sized(400 * 1024, 'c') + kBinary;
    WriteBytes(temp.File("from.txt"), large);
    WriteBytes(temp.File("to.txt"), "previous");
    files.Copy(temp.File("from.txt"), temp.File("to.txt"));
    EXPECT_EQ(files.ReadAll(temp.File("to.txt")), large);
    files.Copy(temp.File("from.txt"), temp.File("new.txt"));
    EXPECT_EQ(files.ReadAll(temp.File("new.txt")), large);
    EXPECT_EQ(files.ReadAll(temp.File("from.txt")), large);
    EXPECT_EQ(ModeOf(temp.File("new.txt")), 0600);

    EXPECT_EQ(ErrorOf([&] { files.Copy(temp.File("missing.txt"), temp.File("x.txt")); }),
              "Could not read " + temp.File("missing.txt") + ": No such file or directory");
    EXPECT_EQ(ErrorOf([&] { files.Copy(temp.File("from.txt"), temp.File("none/x.txt")); }),
              "Could not create a new file for x.txt in " + temp.File("none") +
                  ": No such file or directory");
    EXPECT_EQ(Entries(temp.Path()), (QStringList{"from.txt", "new.txt", "to.txt"}));
}

// The bytes are written and checked before the file is synced, closed and
// renamed, and the folder is synced last; a file smaller than the buffer is
// written whole at commit.
TEST(LocalDataFilesTest, EveryStepRunsInOrderAndWritesSurviveInterruptions) {
    TempFolder temp;
    FaultyDataFiles files;
    const QString target = temp.File("data.txt");
    auto small = files.NewWritableFile(target);
    small->Append(Sized(4 * 1024, 's'));
    small->Commit();
    EXPECT_EQ(files.steps,
              (std::vector<FileStep>{FileStep::Create, FileStep::Flush, FileStep::Sync,
                                     FileStep::Close, FileStep::Rename, FileStep::SyncFolder}));

    // Writes cut short and interrupted: every byte still arrives, in order.
    files.steps.clear();
    files.choppyWrites = 1000;
    const QByteArray content = Sized(LocalDataFiles::kBufferBytes + 5000, 'l');
    auto large = files.NewWritableFile(target);
    large->Append(content.left(100));
    large->Append(content.mid(100));
    large->Commit();
    EXPECT_EQ(files.ReadAll(target), content);
    ASSERT_GT(files.steps.size(), 6u);
    EXPECT_EQ(files.steps.front(), FileStep::Create);
    EXPECT_EQ(files.steps[1], FileStep::Write);
    const std::vector<FileStep> tail(files.steps.end() - 5, files.steps.end());
    EXPECT_EQ(tail, (std::vector<FileStep>{FileStep::Flush, FileStep::Sync, FileStep::Close,
                                           FileStep::Rename, FileStep::SyncFolder}));
    EXPECT_EQ(Entries(temp.Path()), QStringList{"data.txt"});
}

TEST(LocalDataFilesTest, AFailedStepLeavesTheTargetByteIdenticalAndNothingBesideIt) {
    TempFolder temp;
    const QString target = temp.File("data.txt");
    const QByteArray old = Sized(3000, 'o');
    const struct {
        FileStep step;
        int error;
        const char* description;
    } cases[] = {
        // The new file is made in the folder: that is what refused.
        {FileStep::Create, EACCES,
         "Could not create a new file for data.txt in %1: Permission denied"},
        {FileStep::Write, ENOSPC, "Could not write %1: No space left on device"},
        {FileStep::Flush, ENOSPC, "Could not write %1: No space left on device"},
        {FileStep::Sync, EIO, "Could not sync %1: Input/output error"},
        {FileStep::Close, EDQUOT, "Could not write %1: Disk quota exceeded"},
        {FileStep::Rename, EXDEV, "Could not replace %1: Invalid cross-device link"},
    };
    for (const qsizetype size : {qsizetype(4 * 1024), qsizetype(200 * 1024)}) {
        for (const auto& c : cases) {
            WriteBytes(target, old);
            FaultyDataFiles files;
            files.failStep = c.step;
            files.failErrno = c.error;
            const QString error = ErrorOf([&] {
                auto file = files.NewWritableFile(target);
                file->Append(Sized(size, 'n'));
                file->Commit();
            });
            const QString named =
                c.step == FileStep::Create ? QFileInfo(target).absolutePath() : target;
            EXPECT_EQ(error, QString(c.description).arg(named)) << size;
            EXPECT_EQ(files.ReadAll(target), old) << c.description << " " << size;
            EXPECT_EQ(Entries(temp.Path()), QStringList{"data.txt"}) << c.description;
        }
    }

    // After the rename the new file is in place; that its folder could not
    // be synced is still a failure the caller hears of.
    FaultyDataFiles files;
    files.failStep = FileStep::SyncFolder;
    auto file = files.NewWritableFile(target);
    file->Append("new\n");
    EXPECT_EQ(ErrorOf([&] { file->Commit(); }),
              "Could not sync " + target + ": Input/output error");
    EXPECT_EQ(files.ReadAll(target), "new\n");
    EXPECT_EQ(Entries(temp.Path()), QStringList{"data.txt"});
}

TEST(LocalDataFilesTest, RemoveLeftoversRemovesOnlyOurAbandonedTemporaryFiles) {
    TempFolder temp;
    LocalDataFiles files;
    const QString dead = QString::number(testing_support::EndedProcessId());
    const QString running = QString::number(::getppid());
    const QString ours = QString::number(::getpid());

    const QStringList removed = {
        ".ChasewellData.txt.tmp-" + dead + "-0123abcd",
        ".ChasewellData.txt.tmp-" + ours + "-89abcdef",
        // a copy kept beside the data file, cut short too
        ".ChasewellData.txt.unread-20240307-100000.tmp-" + dead + "-deadbeef",
    };
    const QStringList kept = {
        ".ChasewellData.txt.tmp-" + running + "-0123abcd",  // may still be written
        ".Chasewell.ini.tmp-" + dead + "-0123abcd",         // another file's
        ".ChasewellData.txt.tmp-" + dead + "-0123ABCD",     // not our naming
        ".ChasewellData.txt.tmp-" + dead + "-0123abc",
        "ChasewellData.txt.tmp-" + dead + "-0123abcd",
        "ChasewellData.txt",
        "ChasewellData.txt.unread-20240307-100000",
    };
    for (const QString& name : removed + kept) WriteBytes(temp.File(name), "x");
    // A replacement under way in this process is not a leftover.
    auto writing = files.NewWritableFile(temp.File("ChasewellData.txt"));
    writing->Append("new\n");
    const QStringList withWriting = Entries(temp.Path());

    EXPECT_EQ(files.RemoveLeftovers(temp.File("ChasewellData.txt")), 3);
    QStringList expected = withWriting;
    for (const QString& name : removed) expected.removeOne(name);
    EXPECT_EQ(Entries(temp.Path()), expected);
    writing->Commit();
    EXPECT_EQ(files.ReadAll(temp.File("ChasewellData.txt")), "new\n");

    EXPECT_EQ(files.RemoveLeftovers(temp.File("ChasewellData.txt")), 0);
    EXPECT_EQ(files.RemoveLeftovers(temp.File("missing/ChasewellData.txt")), 0);
    QStringList left = kept;
    left.sort();
    EXPECT_EQ(Entries(temp.Path()), left);
}

}  // namespace
