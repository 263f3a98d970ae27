#include "platform/IniSettingsStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "tests/support/FakeEnv.h"

namespace {

using platform::FileStep;
using platform::IniSettingsStore;
using testing_support::EndedProcessId;
using testing_support::ErrorOf;
using testing_support::FaultyDataFiles;
using testing_support::TempFolder;

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "(unreadable)";
    return file.readAll();
}

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

TEST(IniSettingsStoreTest, MissingFileReadsAsDefaultsAndFirstSaveCreatesFolderAndFile) {
    TempFolder temp;
    IniSettingsStore store(temp.File("config/nested"));
    EXPECT_EQ(store.FilePath("Chasewell"), temp.File("config/nested/Chasewell.ini"));
    EXPECT_EQ(store.GetSetting("Chasewell", "Settings", "Days", "7"), "7");

    store.SaveSetting("Chasewell", "Settings", "Days", "9");
    EXPECT_EQ(ReadBytes(store.FilePath("Chasewell")), "[Settings]\nDays=9\n");
    EXPECT_EQ(ModeOf(store.FilePath("Chasewell")), 0600);
    // Nothing else is left beside it.
    EXPECT_EQ(QDir(temp.File("config/nested")).entryList(QDir::Files | QDir::Hidden),
              QStringList{"Chasewell.ini"});
    // Applications do not share files.
    EXPECT_EQ(store.GetSetting("Other", "Settings", "Days", "none"), "none");
    // A folder given with its separator at the end (the program's data
    // folder) is named with one separator, in messages too.
    IniSettingsStore trailing(temp.File("config/nested/"));
    EXPECT_EQ(trailing.FilePath("Chasewell"), temp.File("config/nested/Chasewell.ini"));
    EXPECT_EQ(trailing.Location("Chasewell"), temp.File("config/nested/Chasewell.ini"));
    EXPECT_EQ(trailing.GetSetting("Chasewell", "Settings", "Days", "7"), "9");
}

TEST(IniSettingsStoreTest, SectionAndKeyIgnoreLetterCaseAndKeepTheirStoredSpelling) {
    TempFolder temp;
    IniSettingsStore store(temp.Path());
    store.SaveSetting("App", "Settings", "TimeOfDay", "8:00 AM");
    store.SaveSetting("App", "SETTINGS", "timeofday", "9:00 AM");
    store.SaveSetting("App", "settings", "Days", "3");
    EXPECT_EQ(store.GetSetting("App", "sEtTiNgS", "TIMEOFDAY", ""), "9:00 AM");
    EXPECT_EQ(store.GetSetting("App", "Settings", "days", ""), "3");
    EXPECT_EQ(ReadBytes(store.FilePath("App")), "[Settings]\nTimeOfDay=9:00 AM\nDays=3\n");
    // The same key in another section is another value.
    store.SaveSetting("App", "Window", "Days", "left");
    EXPECT_EQ(store.GetSetting("App", "Settings", "Days", ""), "3");
    EXPECT_EQ(store.GetSetting("App", "Window", "Days", ""), "left");
    EXPECT_EQ(ReadBytes(store.FilePath("App")),
              "[Settings]\nTimeOfDay=9:00 AM\nDays=3\n\n[Window]\nDays=left\n");
}

TEST(IniSettingsStoreTest, AnyTextRoundTrips) {
    TempFolder temp;
    IniSettingsStore store(temp.Path());
    const QString values[] = {
        "a=b=c",
        "[NotASection]",
        "  leading and trailing blanks  ",
        "two\nlines\r\nand CR LF",
        "back\\slash and a literal \\n",
        "\\",
        QString::fromUtf8("Gr\u00fc\u00dfe \u65e5\u672c \U0001F600"),
        "",
        ";not a comment",
    };
    int i = 0;
    for (const QString& value : values)
        store.SaveSetting("App", "Values", QString("K%1").arg(i++), value);
    i = 0;
    for (const QString& value : values)
        EXPECT_EQ(store.GetSetting("App", "Values", QString("K%1").arg(i++), "(default)"), value);
    // Only backslash, CR and LF are escaped.
    const QByteArray file = ReadBytes(store.FilePath("App"));
    EXPECT_TRUE(file.contains("K3=two\\nlines\\r\\nand CR LF\n"));
    EXPECT_TRUE(file.contains("K4=back\\\\slash and a literal \\\\n\n"));
    EXPECT_TRUE(file.contains("K1=[NotASection]\n"));
}

TEST(IniSettingsStoreTest, ReadsAfreshAndKeepsEverythingItDoesNotChange) {
    TempFolder temp;
    IniSettingsStore store(temp.Path());
    IniSettingsStore other(temp.Path());  // the options page, another instance
    const QString path = store.FilePath("App");
    WriteBytes(path,
               "\xEF\xBB\xBF; a comment\r\n"
               "orphan=before any section\r\n"
               "[Settings]\r\n"
               "Days = 7\r\n"
               "junk line without equals\r\n"
               "=no key\r\n"
               "[broken\r\n"
               "\xFF\xFE not utf-8\r\n"
               "\r\n"
               "[Other]\r\n"
               "Key=\\q unknown escape\r\n");
    EXPECT_EQ(store.GetSetting("App", "Settings", "Days", ""), " 7");
    EXPECT_EQ(store.GetSetting("App", "Other", "Key", ""), "\\q unknown escape");
    EXPECT_EQ(store.GetSetting("App", "Settings", "orphan", "none"), "none");
    EXPECT_EQ(store.GetSetting("App", "Settings", "", "empty key"), "empty key");

    other.SaveSetting("App", "settings", "DAYS", "14");
    EXPECT_EQ(store.GetSetting("App", "Settings", "Days", ""), "14");
    other.SaveSetting("App", "Settings", "New", "x");
    EXPECT_EQ(ReadBytes(path),
              "; a comment\n"
              "orphan=before any section\n"
              "[Settings]\n"
              "Days =14\n"
              "junk line without equals\n"
              "=no key\n"
              "[broken\n"
              "\xFF\xFE not utf-8\n"
              "New=x\n"
              "\n"
              "[Other]\n"
              "Key=\\q unknown escape\n");

    // A change made behind the store's back is seen at the next read.
    WriteBytes(path, "[Settings]\nDays=21\n");
    EXPECT_EQ(store.GetSetting("App", "Settings", "Days", ""), "21");
    QFile::remove(path);
    EXPECT_EQ(store.GetSetting("App", "Settings", "Days", "7"), "7");
}

TEST(IniSettingsStoreTest, NamesThatCannotBeStoredFaithfullyAreRefused) {
    TempFolder temp;
    IniSettingsStore store(temp.Path());
    const char* invalid = "Invalid procedure call or argument";
    EXPECT_EQ(ErrorOf([&] { store.SaveSetting("App", "Settings", "a=b", "1"); }), invalid);
    EXPECT_EQ(ErrorOf([&] { store.SaveSetting("App", "Settings", "[k]", "1"); }), invalid);
    EXPECT_EQ(ErrorOf([&] { store.SaveSetting("App", "Settings", "", "1"); }), invalid);
    EXPECT_EQ(ErrorOf([&] { store.SaveSetting("App", "Two\nLines", "k", "1"); }), invalid);
    EXPECT_EQ(ErrorOf([&] { store.SaveSetting("App", " ", "k", "1"); }), invalid);
    // The application name is a file name and must stay in the folder.
    EXPECT_EQ(ErrorOf([&] { store.SaveSetting("../escape", "S", "k", "1"); }), invalid);
    EXPECT_EQ(ErrorOf([&] { store.SaveSetting("", "S", "k", "1"); }), invalid);
    EXPECT_EQ(ErrorOf([&] { store.SaveSetting("..", "S", "k", "1"); }), invalid);
    EXPECT_EQ(store.GetSetting("../escape", "S", "k", "default"), "default");
    EXPECT_TRUE(QDir(temp.Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(temp.Path() + "../escape.ini"));
}

TEST(IniSettingsStoreTest, AStoreThatCannotBeWrittenFailsAndLosesNothing) {
    TempFolder temp;
    // The folder would have to be made inside a file.
    WriteBytes(temp.File("plainfile"), "x");
    IniSettingsStore blocked(temp.File("plainfile/config"));
    EXPECT_EQ(ErrorOf([&] { blocked.SaveSetting("App", "S", "k", "v"); }),
              "Could not create " + temp.File("plainfile/config") + ": Not a directory");
    EXPECT_EQ(blocked.GetSetting("App", "S", "k", "default"), "default");

    // An existing settings file that cannot be read is never replaced by one
    // holding only the new value.
    IniSettingsStore store(temp.Path());
    ASSERT_TRUE(QDir().mkpath(store.FilePath("App")));  // a folder where the file should be
    EXPECT_EQ(ErrorOf([&] { store.SaveSetting("App", "S", "k", "v"); }),
              "Could not read " + store.FilePath("App") + ": Is a directory");
    EXPECT_TRUE(QFileInfo(store.FilePath("App")).isDir());
}

TEST(IniSettingsStoreTest, PermissionDeniedLeavesTheFileAsItWas) {
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    TempFolder temp;
    IniSettingsStore store(temp.Path());
    WriteBytes(store.FilePath("Locked"), "[S]\nkeep=me\n");
    QFile::setPermissions(store.FilePath("Locked"), QFileDevice::WriteOwner);
    EXPECT_EQ(ErrorOf([&] { store.SaveSetting("Locked", "S", "k", "v"); }),
              "Could not read " + store.FilePath("Locked") + ": Permission denied");
    QFile::setPermissions(store.FilePath("Locked"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(ReadBytes(store.FilePath("Locked")), "[S]\nkeep=me\n");

    QDir().mkpath(temp.File("readonly"));
    QFile::setPermissions(temp.File("readonly"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    IniSettingsStore readOnly(temp.File("readonly"));
    EXPECT_EQ(ErrorOf([&] { readOnly.SaveSetting("App", "S", "k", "v"); }),
              "Could not create a new file for App.ini in " + temp.File("readonly") +
                  ": Permission denied");
    QFile::setPermissions(temp.File("readonly"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// The add-in writes a setting at every start: a write that fails must never
// cost the others.
TEST(IniSettingsStoreTest, AFailedWriteAtAnyStepKeepsEveryOtherSetting) {
    TempFolder temp;
    FaultyDataFiles files;
    IniSettingsStore store(temp.Path(), &files);
    store.SaveSetting("Chasewell", "Chasewell", "Days", "3");
    store.SaveSetting("Chasewell", "Chasewell", "TimeOfDay", "8:00 AM");
    const QString path = store.FilePath("Chasewell");
    const QByteArray before = ReadBytes(path);
    for (const FileStep step : {FileStep::Create, FileStep::Write, FileStep::Flush, FileStep::Sync,
                                FileStep::Close, FileStep::Rename}) {
        files.failStep = step;
        files.failErrno = ENOSPC;
        const QString error =
            ErrorOf([&] { store.SaveSetting("Chasewell", "Chasewell", "Started", "1"); });
        EXPECT_TRUE(error.startsWith("Could not ")) << error.toStdString();
        // The new file is made in the folder; every later step names the file.
        const QString named =
            step == FileStep::Create ? "Chasewell.ini in " + QDir::cleanPath(temp.Path()) : path;
        EXPECT_TRUE(error.endsWith(named + ": No space left on device")) << error.toStdString();
        EXPECT_EQ(ReadBytes(path), before);
        EXPECT_EQ(store.GetSetting("Chasewell", "Chasewell", "TimeOfDay", ""), "8:00 AM");
    }
    files.failStep.reset();
    store.SaveSetting("Chasewell", "Chasewell", "Started", "1");
    EXPECT_EQ(ReadBytes(path), "[Chasewell]\nDays=3\nTimeOfDay=8:00 AM\nStarted=1\n");
    EXPECT_EQ(QDir(temp.Path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"Chasewell.ini"});
}

TEST(IniSettingsStoreTest, AWriteCutShortIsCleanedUpBeforeTheNextOne) {
    TempFolder temp;
    IniSettingsStore store(temp.Path());
    store.SaveSetting("Chasewell", "Chasewell", "Days", "3");
    // Left by a program killed half-way through a write, long gone.
    const QString leftover =
        temp.File(".Chasewell.ini.tmp-" + QString::number(EndedProcessId()) + "-00ff00ff");
    WriteBytes(leftover, "[Chasewell]\nDa");
    EXPECT_EQ(store.GetSetting("Chasewell", "Chasewell", "Days", ""), "3");
    store.SaveSetting("Chasewell", "Chasewell", "Days", "4");
    EXPECT_FALSE(QFileInfo::exists(leftover));
    EXPECT_EQ(ReadBytes(store.FilePath("Chasewell")), "[Chasewell]\nDays=4\n");
}

TEST(IniSettingsStoreTest, DefaultFolderIsTheUsersConfigurationFolder) {
    TempFolder temp;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const bool wasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(temp.File("xdg")));
    IniSettingsStore store;
    EXPECT_EQ(store.FilePath("Chasewell"), temp.File("xdg/Chasewell.ini"));
    if (wasSet)
        qputenv("XDG_CONFIG_HOME", saved);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

}  // namespace
