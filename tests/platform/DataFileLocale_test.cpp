#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "platform/DataFileLocale.h"
#include "tests/support/FakeEnv.h"

namespace {

using platform::DataFileLocale;
using testing_support::TempFolder;
using testing_support::TestEnv;

const QLocale kGerman(QLocale::German, QLocale::Germany);
const QLocale kUnitedStates(QLocale::English, QLocale::UnitedStates);
const QLocale kBritish(QLocale::English, QLocale::UnitedKingdom);

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

TEST(DataFileLocaleTest, NamesRoundTripAndUnknownNamesAreNoLanguage) {
    for (const QLocale& locale :
         {kGerman, kUnitedStates, kBritish,
          QLocale(QLocale::Serbian, QLocale::LatinScript, QLocale::Serbia),
          QLocale(QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::Taiwan)}) {
        const QString name = DataFileLocale::RecordName(locale);
        const QLocale back = DataFileLocale::FromRecordName(name);
        EXPECT_EQ(back, locale) << name.toStdString();
        EXPECT_EQ(back.dateFormat(QLocale::ShortFormat), locale.dateFormat(QLocale::ShortFormat));
    }
    EXPECT_EQ(DataFileLocale::RecordName(kGerman), "de_Latn_DE");
    for (const char* name : {"", "de_DE", "xx_Latn_DE", "de_Latn_XX", "C", "de_Latn_DE_x"})
        EXPECT_EQ(DataFileLocale::FromRecordName(QString::fromLatin1(name)).language(), QLocale::C)
            << name;
}

// The first start that holds the folder records its language; every later
// one gets that language, whatever its own; a start that only reads records
// nothing.
TEST(DataFileLocaleTest, TheFirstLanguageIsRecordedOnceAndKeptWhateverComesLater) {
    TestEnv env;
    TempFolder folder;
    const QString record = folder.File(DataFileLocale::kFileName);

    auto reading = DataFileLocale::For(folder.Path(), kGerman, false);
    EXPECT_EQ(reading.locale, kGerman);
    EXPECT_FALSE(reading.recorded);
    EXPECT_FALSE(QFile::exists(record));

    auto first = DataFileLocale::For(folder.Path(), kUnitedStates, true);
    EXPECT_EQ(first.locale, kUnitedStates);
    EXPECT_TRUE(first.recorded);
    EXPECT_EQ(first.problem, "");
    EXPECT_TRUE(Bytes(record).endsWith("\nen_Latn_US\n"));
    EXPECT_TRUE(Bytes(record).startsWith("# The language of the dates in ChasewellData.txt"));

    for (const bool holds : {true, false}) {
        auto later = DataFileLocale::For(folder.Path(), kGerman, holds);
        EXPECT_EQ(later.locale, kUnitedStates);
        EXPECT_TRUE(later.recorded);
    }
    EXPECT_TRUE(Bytes(record).endsWith("\nen_Latn_US\n")) << "recorded once";
}

TEST(DataFileLocaleTest, ARecordThatCannotBeReadOrWrittenIsSaidAndTheUsersLanguageServes) {
    TestEnv env;
    TempFolder folder;
    const QString record = folder.File(DataFileLocale::kFileName);
    Write(record, "# a comment\nKlingon\n");
    auto unknown = DataFileLocale::For(folder.Path(), kBritish, true);
    EXPECT_EQ(unknown.locale, kBritish);
    EXPECT_FALSE(unknown.recorded);
    EXPECT_EQ(unknown.problem, record +
                                   " does not name a language (it says \"Klingon\"); the dates "
                                   "of the reminder data file are read in the forms of "
                                   "en_Latn_GB until it does.");
    EXPECT_EQ(Bytes(record), "# a comment\nKlingon\n") << "left for the user to mend";

    QFile::remove(record);
    env.files.failStep = platform::FileStep::Write;
    env.files.failErrno = ENOSPC;
    auto full = DataFileLocale::For(folder.Path(), kBritish, true);
    EXPECT_EQ(full.locale, kBritish);
    EXPECT_FALSE(full.recorded);
    EXPECT_EQ(full.problem,
              "The language of the reminder data file's dates could not be read or "
              "recorded: Could not write " +
                  record +
                  ": No space left on device.  Its dates are read in the forms "
                  "of en_Latn_GB meanwhile.");
    EXPECT_FALSE(QFile::exists(record));
}

}  // namespace
