#include "store/CReminderItem.h"

#include <gtest/gtest.h>

#include "tests/store/StoreFixture.h"

namespace store_tests {
namespace {

using ::testing::ElementsAre;

const QString kSource = QStringLiteral("Chasewell.CReminderItem.LoadData");
const QString kExample = QStringLiteral(
    "EmailAddress: pat.jones|EntryId: 00AB12|StoreId: 00CD34|SentDate: 3/4/2024 9:15:00 AM|"
    "ReminderDate: 3/7/2024 8:00:00 AM|Color: 255|Subject: Quarterly figures|Note: call if no "
    "answer");

class ReminderItemTest : public StoreFixture {};

TEST_F(ReminderItemTest, RecordOfNewAndFilledItems) {
    CReminderItem item;
    EXPECT_EQ(
        item.SaveData(),
        "EmailAddress: |EntryId: |StoreId: |SentDate: |ReminderDate: |Color: 0|Subject: |Note: ");
    item.setEmailAddress("pat.jones");
    item.setEntryId("00AB12");
    item.setStoreId("00CD34");
    item.setSentDate("3/4/2024 9:15:00 AM");
    item.setReminderDate("3/7/2024 8:00:00 AM");
    item.setColor(255);
    item.setSubject("Quarterly figures");
    item.setNote("call if no answer");
    EXPECT_EQ(item.SaveData(), kExample);
    item.setColor(-16777216);
    EXPECT_TRUE(item.SaveData().contains("|Color: -16777216|"));
}

TEST_F(ReminderItemTest, LoadRestoresEveryValueAndTracesThem) {
    CReminderItem item;
    item.setIsDirty(true);
    EXPECT_TRUE(item.LoadData(kExample));
    EXPECT_EQ(item.SaveData(), kExample);
    EXPECT_EQ(item.StoreId(), "00CD34");
    EXPECT_EQ(item.SentDateText(), "3/4/2024 9:15:00 AM");
    EXPECT_EQ(item.Color(), 255);
    EXPECT_FALSE(item.IsDirty());
    EXPECT_TRUE(Errors().empty());
    ASSERT_EQ(log.Traces().size(), 1u);
    EXPECT_EQ(log.Traces()[0],
              (host::TraceLine{"Chasewell", kSource,
                               "Email Address: pat.jones\r\nEntryId: 00AB12\r\n"
                               "SentDate: 3/4/2024 9:15:00 AM\r\n"
                               "ReminderDate: 3/7/2024 8:00:00 AM\r\nColor: 255\r\n"
                               "Subject: Quarterly figures\r\nNote: call if no answer",
                               0}));
}

TEST_F(ReminderItemTest, FieldsInAnyOrderLastWinsUnnamedKeepTheirs) {
    CReminderItem item;
    item.setEmailAddress("kept");
    EXPECT_TRUE(item.LoadData(""));
    EXPECT_TRUE(item.LoadData("Note: x|Subject: RE: a: b |Color: 1|Color: 2|Note: "));
    EXPECT_EQ(item.SaveData(),
              "EmailAddress: kept|EntryId: |StoreId: |SentDate: |ReminderDate: |"
              "Color: 2|Subject: RE: a: b |Note: ");
    EXPECT_FALSE(item.IsDirty());
    EXPECT_EQ(log.Traces().size(), 2u);  // the empty record is traced too
}

TEST_F(ReminderItemTest, UnknownKeywordIsReportedAndSkipped) {
    CReminderItem item;
    EXPECT_FALSE(item.LoadData("color: 5| Color: 6|Subject: s"));
    EXPECT_EQ(item.Color(), 0);
    EXPECT_EQ(item.Subject(), "s");
    const QString unknown = "Error occurred.  Couldn't find keyword name/value: ";
    EXPECT_THAT(Errors(), ElementsAre(Report(unknown + "color 5", 1, kSource),
                                      Report(unknown + " Color 6", 1, kSource)));
    EXPECT_EQ(log.Traces().size(), 1u);  // parsing went on to the end
}

TEST_F(ReminderItemTest, PieceWithoutSeparatorStopsTheParse) {
    CReminderItem item;
    item.setIsDirty(true);
    EXPECT_FALSE(item.LoadData("EmailAddress: a|Color:5|Note: lost"));
    EXPECT_EQ(item.EmailAddress(), "a");
    EXPECT_EQ(item.Note(), "");
    EXPECT_TRUE(item.IsDirty());
    EXPECT_TRUE(log.Traces().empty());
    EXPECT_THAT(Errors(), ElementsAre(Report("Error occurred loading reminder data.  Reason: "
                                             "Invalid procedure call or argument",
                                             1, kSource)));
}

TEST_F(ReminderItemTest, ColorReadsWholeNumbersAsTheLocaleDoes) {
    const struct {
        const char* text;
        qint32 color;
        const char* error;
    } cases[] = {{"1.5", 2, nullptr},          {"2.5", 2, nullptr},
                 {" 7 ", 7, nullptr},          {"-2147483648", INT32_MIN, nullptr},
                 {"abc", 0, "Type mismatch"},  {"99999999999", 0, "Overflow"},
                 {"2147483648", 0, "Overflow"}};
    for (const auto& c : cases) {
        log.Clear();
        CReminderItem item;
        item.LoadData(QStringLiteral("Color: ") + c.text + "|Note: after");
        EXPECT_EQ(item.Color(), c.color) << c.text;
        if (c.error) {
            EXPECT_EQ(item.Note(), "") << c.text;
            EXPECT_THAT(Errors(),
                        ElementsAre(Report(QStringLiteral("Error occurred loading reminder "
                                                          "data.  Reason: ") +
                                               c.error,
                                           1, kSource)));
        } else {
            EXPECT_EQ(item.Note(), "after") << c.text;
            EXPECT_TRUE(Errors().empty()) << c.text;
        }
    }
}

TEST_F(ReminderItemTest, SettersMarkDirtyEvenWithTheSameValue) {
    CReminderItem item;
    item.setSubject("");
    EXPECT_TRUE(item.IsDirty());
    item.setIsDirty(false);
    item.setColor(0);
    EXPECT_TRUE(item.IsDirty());
    EXPECT_EQ(item.SaveData(), CReminderItem().SaveData());
}

TEST_F(ReminderItemTest, DatesReadInDisplayFormAndAreWrittenAsHeld) {
    CReminderItem item;
    EXPECT_EQ(item.SentDate(), "");
    item.setSentDate("3/7/2024 8:00:00 AM");
    item.setReminderDate("3/7/2024 1:05:59 PM");
    EXPECT_EQ(item.SentDate(), "3/7/2024 08:00 AM");
    EXPECT_EQ(item.ReminderDate(), "3/7/2024 01:05 PM");
    EXPECT_TRUE(item.SaveData().contains("|ReminderDate: 3/7/2024 1:05:59 PM|"));
    item.setReminderDate("next Tuesday");
    try {
        item.ReminderDate();
        ADD_FAILURE() << "no error";
    } catch (const platform::RuntimeError& error) {
        EXPECT_EQ(error.description(), "Type mismatch");
    }
    EXPECT_EQ(item.ReminderDateText(), "next Tuesday");
}

TEST_F(ReminderItemTest, SeparatorsAndLineBreaksInValuesRoundTrip) {
    const QString awkward = QStringLiteral("a|b\r\nc\rd\ne \uE000p \uE000");
    CReminderItem item;
    item.setSubject(awkward);
    item.setNote(awkward);
    const QString record = item.SaveData();
    EXPECT_EQ(record.count('|'), 7);
    EXPECT_FALSE(record.contains('\r') || record.contains('\n'));
    CReminderItem back;
    EXPECT_TRUE(back.LoadData(record));
    EXPECT_EQ(back.Subject(), awkward);
    EXPECT_EQ(back.Note(), awkward);
    EXPECT_TRUE(Errors().empty());
}

}  // namespace
}  // namespace store_tests
