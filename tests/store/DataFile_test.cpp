// The data file: when it is read and written, and its exact bytes.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QFileInfo>

#include "store/CReminderItems.h"
#include "tests/store/StoreFixture.h"

namespace store_tests {
namespace {

using ::testing::ElementsAre;

const QString kLoadTrace = QStringLiteral("Chasewell.CReminderItems.LoadData");
const QByteArray kFirst =
    "EmailAddress: a@x|EntryId: E1|StoreId: S1|SentDate: 3/4/2024 9:15:00 AM|"
    "ReminderDate: 3/7/2024 8:00:00 AM|Color: 255|Subject: One|Note: n1";
const QByteArray kSecond =
    "EmailAddress: b@x|EntryId: |StoreId: |SentDate: |ReminderDate: |"
    "Color: -1|Subject: Two|Note: ";

class DataFileTest : public StoreFixture {
protected:
    QString LoadedTrace(int count) const {
        return QStringLiteral("Reminder data loaded (%1 items).  File found at %2")
            .arg(count)
            .arg(DataFile());
    }
};

TEST_F(DataFileTest, MissingFileGivesAnEmptyListAndNoFileUntilSomethingIsAdded) {
    CReminderItems items;
    items.Initialize();
    EXPECT_EQ(items.DataFilePath(), folder.Path() + "ChasewellData.txt");
    EXPECT_EQ(items.Count(), 0);
    EXPECT_FALSE(items.Loaded());
    EXPECT_THAT(log.TraceMessages(kLoadTrace),
                ElementsAre("Reminder data file not found.  Looking for " + DataFile()));
    items.SaveData();
    EXPECT_FALSE(QFileInfo::exists(DataFile()));

    auto item = std::make_shared<CReminderItem>();
    item->LoadData(kSecond);
    items.Add(item);
    items.SaveData();
    EXPECT_EQ(FileBytes(DataFile()), kSecond + "\r\n");
    struct stat status {};
    ASSERT_EQ(stat(QFile::encodeName(DataFile()).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST_F(DataFileTest, BlankLinesAreSkippedAndRecordsLoadInOrder) {
    WriteDataFile("\r\n" + kFirst + "\r\n\r\n\r\n" + kSecond + "\r\n\r\n");
    CReminderItems items;
    items.Initialize();
    ASSERT_EQ(items.Count(), 2);
    EXPECT_EQ(items.Item(1)->SaveData().toUtf8(), kFirst);
    EXPECT_EQ(items.Item(2)->SaveData().toUtf8(), kSecond);
    EXPECT_FALSE(items.Item(1)->IsDirty());
    EXPECT_TRUE(items.Loaded());
    EXPECT_FALSE(items.Dirty());
    EXPECT_EQ(log.TraceMessages(kLoadTrace).back(), LoadedTrace(2));

    // Nothing changed: the file is not touched. One note changed: all of it
    // is rewritten, each record ended by CR LF.
    items.SaveData();
    EXPECT_EQ(env.files.writesStarted, 0);
    items.Item(2)->setNote("n2");
    items.SaveData();
    EXPECT_EQ(FileBytes(DataFile()), kFirst + "\r\n" + kSecond + "n2\r\n");
    EXPECT_FALSE(items.Item(2)->IsDirty());
}

TEST_F(DataFileTest, OnlyCrLfEndsALineAndABlankLineIsAReminder) {
    WriteDataFile("Subject: a\nb\r\n   ");
    CReminderItems items;
    items.Initialize();
    ASSERT_EQ(items.Count(), 2);
    EXPECT_EQ(items.Item(1)->Subject(), "a\nb");
    EXPECT_EQ(items.Item(2)->SaveData(), CReminderItem().SaveData());
    EXPECT_EQ(Errors().size(), 1u);  // the blank line's parse
}

TEST_F(DataFileTest, RemovingTheLastReminderLeavesAFileWithoutRecords) {
    WriteDataFile(kFirst + "\r\n");
    {
        CReminderItems items;
        items.Initialize();
        items.Remove(items.Item(1));
        items.SaveData();
    }
    EXPECT_EQ(FileBytes(DataFile()), QByteArray());
    CReminderItems items;
    items.Initialize();
    EXPECT_EQ(items.Count(), 0);
    EXPECT_TRUE(items.Loaded());
    EXPECT_EQ(log.TraceMessages(kLoadTrace).back(), LoadedTrace(0));
}

TEST_F(DataFileTest, SecondInitializeStartsEmptyWithoutReading) {
    WriteDataFile(kFirst + "\r\n");
    CReminderItems items;
    items.Initialize();
    items.Initialize();
    EXPECT_EQ(items.Count(), 0);
    EXPECT_FALSE(items.Dirty());
    EXPECT_THAT(log.TraceMessages(kLoadTrace), ElementsAre(LoadedTrace(1)));
    items.SaveData();
    EXPECT_EQ(env.files.writesStarted, 0);
}

TEST_F(DataFileTest, ReleasingTheCollectionSaves) {
    {
        CReminderItems items;
        items.Initialize();
        items.Add(std::make_shared<CReminderItem>());
    }
    EXPECT_EQ(FileBytes(DataFile()),
              "EmailAddress: |EntryId: |StoreId: |SentDate: |ReminderDate: |Color: 0|Subject: "
              "|Note: \r\n");
}

TEST_F(DataFileTest, OlderWindows1252FileLoadsEveryCharacterAndIsRewrittenAsUtf8) {
    WriteDataFile("Subject: Caf\xE9 \x92quoted\x92|Note: \x80 \x9C \x81\r\n");
    CReminderItems items;
    items.Initialize();
    ASSERT_EQ(items.Count(), 1);
    EXPECT_EQ(items.Item(1)->Subject(), QStringLiteral(u"Café ’quoted’"));
    EXPECT_EQ(items.Item(1)->Note(), QStringLiteral(u"€ œ \u0081"));
    items.Item(1)->setEntryId("E");
    items.SaveData();
    EXPECT_TRUE(FileBytes(DataFile())
                    .contains(QStringLiteral(u"Subject: Café ’quoted’|Note: € œ").toUtf8()));

    WriteDataFile("\xEF\xBB\xBFSubject: Caf\xC3\xA9\r\n");
    CReminderItems utf8;
    utf8.Initialize();
    EXPECT_EQ(utf8.Item(1)->Subject(), QStringLiteral(u"Café"));
}

}  // namespace
}  // namespace store_tests
