// The data file keeps its dates across a change of language: written by the
// program started in one real language, read by the program started in
// another, every date reads the same and every alarm comes at its time.

#include <gtest/gtest.h>

#include <QFile>

#include "platform/DataFileLocale.h"
#include "tests/app/RealProgram.h"

namespace {

using app_testing::RealProgram;
using testing_support::TempFolder;

class DataFileLanguageTest : public ::testing::Test {
protected:
    QString Data() const { return home.File("data-folder/"); }
    // Runs a script in the program started with that LANG; fails the test
    // when the script does not run through.
    void RunIn(const char* lang, const QByteArray& script) {
        const QString path = home.File(QStringLiteral("script%1").arg(++m_scripts));
        RealProgram::WriteScript(path, script);
        RealProgram program(home, QString::fromLatin1(lang));
        const auto result = program.Run({"--data-folder", Data(), "--script", path});
        EXPECT_EQ(result.exitCode, 0) << lang << ":\n" << result.err.toStdString();
    }
    QByteArray DataFile() const { return RealProgram::Bytes(Data() + "ChasewellData.txt"); }
    QByteArray Record() const {
        return RealProgram::Bytes(Data() + platform::DataFileLocale::kFileName);
    }

    // A message sent with a reminder on 5 December 2030, due three days
    // later at 8:00.
    static inline const QByteArray kSendInDecember =
        "setting DisplayNext 0\n"
        "setting Days 3\n"
        "clock 2030-12-05 09:00\n"
        "compose\n"
        "fill to pat@example.com\n"
        "fill subject December\n"
        "send with reminder\n"
        "expect reminders 1\n";
    // The reminder comes up at 8:00 on 8 December and no earlier; a snooze
    // writes its new date in the file's forms.
    static QByteArray AlarmOnTheEighth(const QByteArray& due, const QByteArray& snoozed) {
        return "expect reminder December due " + due +
               "\n"
               "clock 2030-08-12 09:00\n"
               "expect window frmRemind closed\n"
               "clock 2030-12-08 07:59\n"
               "expect window frmRemind closed\n"
               "clock 2030-12-08 08:00\n"
               "expect window frmRemind open\n"
               "press frmRemind cmdSnooze\n"
               "expect datafile contains ReminderDate: " +
               snoozed + "\n";
    }

    TempFolder home;
    int m_scripts = 0;
};

TEST_F(DataFileLanguageTest, WrittenInUnitedStatesEnglishItReadsTheSameInGermanAndBritish) {
    RunIn("en_US.UTF-8", kSendInDecember +
                             "expect datafile contains ReminderDate: 12/8/2030 "
                             "08:00 AM|\n");
    EXPECT_TRUE(Record().endsWith("\nen_Latn_US\n")) << Record().toStdString();
    // In their own forms German and British English would take "12/8/2030"
    // for 12 August.
    RunIn("de_DE.UTF-8", AlarmOnTheEighth("12/8/2030 08:00 AM", "12/8/2030 8:05:00 AM"));
    RunIn("en_GB.UTF-8",
          "expect reminder December due 12/8/2030 08:05 AM\n"
          "clock 2030-12-08 08:04\n"
          "expect window frmRemind closed\n"
          "clock 2030-12-08 08:05\n"
          "expect window frmRemind open\n");
    EXPECT_TRUE(Record().endsWith("\nen_Latn_US\n")) << "recorded once";
}

TEST_F(DataFileLanguageTest, WrittenInGermanItReadsTheSameInUnitedStatesEnglish) {
    RunIn("de_DE.UTF-8", kSendInDecember +
                             "expect datafile contains ReminderDate: 08.12.2030 "
                             "08:00 AM|\n");
    EXPECT_TRUE(Record().endsWith("\nde_Latn_DE\n")) << Record().toStdString();
    RunIn("en_US.UTF-8", AlarmOnTheEighth("08.12.2030 08:00 AM", "08.12.2030 08:05:00"));
    EXPECT_TRUE(DataFile().contains("|ReminderDate: 08.12.2030 08:05:00|"));
}

// A data file written before its language was recorded is in the forms of
// the language its program ran in: the first start records its own, so the
// file goes on loading exactly as it did, and later starts in another
// language read it the same.
TEST_F(DataFileLanguageTest, AFileFromBeforeTheRecordLoadsAsItDidAndKeepsItsDates) {
    QDir().mkpath(Data());
    QFile file(Data() + "ChasewellData.txt");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "EmailAddress: pat@example.com|EntryId: |StoreId: |SentDate: 12/5/2030 9:00:00 "
        "AM|ReminderDate: 12/8/2030 8:00:00 AM|Color: 0|Subject: December|Note: \r\n");
    file.close();
    RunIn("en_US.UTF-8", "expect reminder December due 12/8/2030 08:00 AM\n");
    EXPECT_TRUE(Record().endsWith("\nen_Latn_US\n"));
    RunIn("en_GB.UTF-8", AlarmOnTheEighth("12/8/2030 08:00 AM", "12/8/2030 8:05:00 AM"));
}

}  // namespace
