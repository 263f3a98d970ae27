#include "platform/DataFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "tests/support/FakeEnv.h"

namespace {

using platform::LocalDataFiles;
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

const char kRaw[] = "line one\r\nline\0two\n\xFF\xFE end";
const QByteArray kBinary(kRaw, sizeof kRaw - 1);

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

    EXPECT_EQ(ErrorOf([&] { files.ReadAll(temp.File("missing.txt")); }), "File not found");
    EXPECT_EQ(ErrorOf([&] { files.ReadAll(temp.File("no/such/folder.txt")); }), "File not found");
    EXPECT_EQ(ErrorOf([&] { files.ReadAll(temp.Path()); }), "Device I/O error");
}

TEST(LocalDataFilesTest, PermissionsAreReportedAsSuch) {
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    TempFolder temp;
    LocalDataFiles files;
    WriteBytes(temp.File("data.txt"), "secret");
    QFile::setPermissions(temp.File("data.txt"), QFileDevice::WriteOwner);
    EXPECT_EQ(ErrorOf([&] { files.ReadAll(temp.File("data.txt")); }), "Permission denied");

    QDir().mkpath(temp.File("readonly"));
    QFile::setPermissions(temp.File("readonly"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(ErrorOf([&] { files.NewWritableFile(temp.File("readonly/data.txt")); }),
              "Permission denied");
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
        // Half-way through, the old file is whole and nothing else is visible
        // under its name.
        EXPECT_EQ(files.ReadAll(target), "old contents\n");
        file->Commit();
        EXPECT_EQ(ErrorOf([&] { file->Append("more"); }), "Invalid procedure call or argument");
    }
    EXPECT_EQ(files.ReadAll(target), "new " + kBinary);
    // Addresses and subjects: readable and writable by the owner only.
    EXPECT_EQ(ModeOf(target), 0600);
    EXPECT_EQ(Entries(temp.Path()), QStringList{"ChasewellData.txt"});

    // Abandoned without commit: the target stays as it was, no debris left.
    {
        auto file = files.NewWritableFile(target);
        file->Append("half a file");
    }
    EXPECT_EQ(files.ReadAll(target), "new " + kBinary);
    EXPECT_EQ(Entries(temp.Path()), QStringList{"ChasewellData.txt"});

    // A brand-new file is created owner-only too.
    auto fresh = files.NewWritableFile(temp.File("fresh.txt"));
    fresh->Commit();
    EXPECT_EQ(files.ReadAll(temp.File("fresh.txt")), QByteArray());
    EXPECT_EQ(ModeOf(temp.File("fresh.txt")), 0600);

    EXPECT_EQ(ErrorOf([&] { files.NewWritableFile(temp.File("missing/data.txt")); }),
              "Path not found");
    EXPECT_EQ(Entries(temp.Path()), (QStringList{"ChasewellData.txt", "fresh.txt"}));
}

TEST(LocalDataFilesTest, CopyKeepsTheBytesAndReplacesTheTarget) {
    TempFolder temp;
    LocalDataFiles files;
    QByteArray large;
    for (int i = 0; i < 20000; ++i) large += "reminder " + QByteArray::number(i) + "|\r\n";
    WriteBytes(temp.File("from.txt"), large + kBinary);
    WriteBytes(temp.File("to.txt"), "previous");
    files.Copy(temp.File("from.txt"), temp.File("to.txt"));
    EXPECT_EQ(files.ReadAll(temp.File("to.txt")), large + kBinary);
    files.Copy(temp.File("from.txt"), temp.File("new.txt"));
    EXPECT_EQ(files.ReadAll(temp.File("new.txt")), large + kBinary);
    EXPECT_EQ(files.ReadAll(temp.File("from.txt")), large + kBinary);

    EXPECT_EQ(ErrorOf([&] { files.Copy(temp.File("missing.txt"), temp.File("x.txt")); }),
              "File not found");
    EXPECT_EQ(ErrorOf([&] { files.Copy(temp.File("from.txt"), temp.File("none/x.txt")); }),
              "Path not found");
    EXPECT_EQ(Entries(temp.Path()), (QStringList{"from.txt", "new.txt", "to.txt"}));
}

TEST(FaultyDataFilesTest, InjectedFaultsLeaveTheTargetWhole) {
    TempFolder temp;
    FaultyDataFiles files;
    const QString target = temp.File("data.txt");
    WriteBytes(target, "old\n");

    files.failAppendAfterBytes = 5;
    {
        auto file = files.NewWritableFile(target);
        file->Append("1234");
        EXPECT_EQ(ErrorOf([&] { file->Append("5678"); }), "Device I/O error");
    }
    EXPECT_EQ(files.ReadAll(target), "old\n");
    files.failAppendAfterBytes.reset();

    files.failCommit = true;
    {
        auto file = files.NewWritableFile(target);
        file->Append("complete\n");
        EXPECT_EQ(ErrorOf([&] { file->Commit(); }), "Device I/O error");
    }
    EXPECT_EQ(files.ReadAll(target), "old\n");
    files.failCommit = false;

    files.failReads = true;
    EXPECT_EQ(ErrorOf([&] { files.ReadAll(target); }), "Device I/O error");
    files.failReads = false;

    auto file = files.NewWritableFile(target);
    file->Append("new\n");
    file->Commit();
    EXPECT_EQ(files.ReadAll(target), "new\n");
    EXPECT_EQ(files.writesStarted, 3);
    EXPECT_EQ(Entries(temp.Path()), QStringList{"data.txt"});
}

}  // namespace
