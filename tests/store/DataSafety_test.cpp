// A failed save never costs the old file, and a file that was not read
// completely is kept before it is saved over.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <cerrno>

#include "store/CReminderItems.h"
#include "tests/store/StoreFixture.h"

namespace store_tests {
namespace {

using ::testing::ElementsAre;

const QString kSaveSource = QStringLiteral("Chasewell.CReminderItems.SaveData");
const QByteArray kOld =
    "EmailAddress: a@x|EntryId: |StoreId: |SentDate: |ReminderDate: |Color: 0|"
    "Subject: Old|Note: \r\n";

class DataSafetyTest : public StoreFixture {
protected:
    void SetUp() override {
        WriteDataFile(kOld);
        items.Initialize();
        log.Clear();
    }
    QStringList KeptCopies() const {
        return QDir(folder.Path())
            .entryList({"ChasewellData.txt.unread-*"}, QDir::Files, QDir::Name);
    }

    CReminderItems items;
};

TEST_F(DataSafetyTest, FileWhoseReadingFailedIsKeptBeforeItIsSavedOver) {
    CReminderItems unread;
    env.files.failReads = true;
    unread.Initialize();
    env.files.failReads = false;
    EXPECT_FALSE(unread.Loaded());
    EXPECT_EQ(unread.Count(), 0);
    EXPECT_THAT(Errors(), ElementsAre(Report("Error occurred.  Reason: Could not read " +
                                                 DataFile() + ": Input/output error",
                                             0, "Chasewell.CReminderItems.LoadAllData")));

    log.Clear();
    unread.Add(std::make_shared<CReminderItem>());
    unread.SaveData();
    const QString copy = DataFile() + ".unread-20240307-100000";
    EXPECT_EQ(FileBytes(copy), kOld);
    EXPECT_THAT(Errors(),
                ElementsAre(Report("The reminder data file could not be read completely.  "
                                   "It was kept as " +
                                       copy + ".",
                                   1, kSaveSource)));
    EXPECT_TRUE(FileBytes(DataFile()).startsWith("EmailAddress: |"));

    // Once per file read: the next save just saves.
    unread.Add(std::make_shared<CReminderItem>());
    unread.SaveData();
    EXPECT_EQ(KeptCopies().size(), 1);
    EXPECT_EQ(Errors().size(), 1u);
}

TEST_F(DataSafetyTest, PartlyParsedLineIsKeptAsideAndCopiesNeverClash) {
    for (int round = 1; round <= 2; ++round) {
        WriteDataFile("EmailAddress: a@x|Subject: cut|here|Note: lost\r\n");
        CReminderItems partly;
        partly.Initialize();
        EXPECT_EQ(partly.Item(1)->Subject(), "cut");
        partly.SaveData();  // nothing changed: nothing written, nothing kept
        EXPECT_EQ(KeptCopies().size(), round - 1);
        partly.Item(1)->setNote("new");
    }
    // Both saves ran at the same (fake) second.
    EXPECT_EQ(KeptCopies(), QStringList({"ChasewellData.txt.unread-20240307-100000",
                                         "ChasewellData.txt.unread-20240307-100000-2"}));
    EXPECT_EQ(FileBytes(folder.File(KeptCopies()[1])),
              "EmailAddress: a@x|Subject: cut|here|Note: lost\r\n");
}

TEST_F(DataSafetyTest, FileThatCannotBeKeptIsNotSavedOver) {
    env.files.failReads = true;
    CReminderItems unread;
    unread.Initialize();
    env.files.failReads = false;
    log.Clear();
    // The disk is full: the copy cannot be written.
    env.files.failStep = platform::FileStep::Write;
    env.files.failErrno = ENOSPC;
    unread.Add(std::make_shared<CReminderItem>());
    unread.SaveData();
    env.files.failStep.reset();
    EXPECT_EQ(FileBytes(DataFile()), kOld);
    EXPECT_TRUE(unread.Dirty());
    EXPECT_THAT(Errors(), ElementsAre(Report(
                              "The reminder data file could not be read completely and "
                              "could not be kept aside, so it was not saved over.  "
                              "Reason: Could not write " +
                                  DataFile() + ".unread-20240307-100000: No space left on device",
                              1, kSaveSource)));
    EXPECT_EQ(QDir(folder.Path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"ChasewellData.txt"});

    // Room again: the copy is kept, then the file saved.
    log.Clear();
    unread.SaveData();
    EXPECT_EQ(KeptCopies().size(), 1);
    EXPECT_FALSE(unread.Dirty());
    EXPECT_TRUE(FileBytes(DataFile()).startsWith("EmailAddress: |"));
}

}  // namespace
}  // namespace store_tests
