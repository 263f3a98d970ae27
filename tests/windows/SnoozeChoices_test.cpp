#include <gtest/gtest.h>

#include <QComboBox>

#include "tests/support/EngineFixture.h"
#include "windows/alarm/SnoozeChoices.h"

namespace {

using SnoozeChoices::GetSnoozeDate;
using testing_support::EngineFixture;

class SnoozeChoicesTest : public EngineFixture {
protected:
    SnoozeChoicesTest() { env.clock.Set("2024-03-07T10:00:30"); }

    // The snooze date as "yyyy-MM-dd hh:mm:ss", or "not understood".
    QString Snoozed(const QString& text) {
        const auto date = GetSnoozeDate(text);
        return date ? date->toString("yyyy-MM-dd hh:mm:ss") : QStringLiteral("not understood");
    }
};

TEST_F(SnoozeChoicesTest, EveryOfferedChoiceIsUnderstoodInListOrder) {
    const std::vector<std::pair<QString, QString>> expected = {
        {"5 minutes", "2024-03-07 10:05:30"},  {"10 minutes", "2024-03-07 10:10:30"},
        {"15 minutes", "2024-03-07 10:15:30"}, {"30 minutes", "2024-03-07 10:30:30"},
        {"1 hour", "2024-03-07 11:00:30"},     {"2 hours", "2024-03-07 12:00:30"},
        {"4 hours", "2024-03-07 14:00:30"},    {"8 hours", "2024-03-07 18:00:30"},
        {"1 day", "2024-03-08 10:00:30"},      {"2 days", "2024-03-09 10:00:30"},
        {"4 days", "2024-03-11 10:00:30"},     {"1 week", "2024-03-14 10:00:30"},
        {"2 weeks", "2024-03-21 10:00:30"},    {"1 month", "2024-04-07 10:00:30"},
    };
    QStringList texts;
    for (const auto& [text, date] : expected) {
        texts << text;
        EXPECT_EQ(Snoozed(text), date) << text.toStdString();
    }
    EXPECT_EQ(SnoozeChoices::Choices(), texts);
}

TEST_F(SnoozeChoicesTest, UnitWordsIgnoreLetterCaseAndNumber) {
    EXPECT_EQ(Snoozed("1 Hour"), "2024-03-07 11:00:30");
    EXPECT_EQ(Snoozed("3 DAYS"), "2024-03-10 10:00:30");
    EXPECT_EQ(Snoozed("1 minutes"), "2024-03-07 10:01:30");
    EXPECT_EQ(Snoozed("2 Months"), "2024-05-07 10:00:30");
    EXPECT_EQ(Snoozed("3 week"), "2024-03-28 10:00:30");
}

TEST_F(SnoozeChoicesTest, AnythingButCountBlankUnitIsRefused) {
    for (const QString text :
         {"5minutes", " 5 minutes", "5  minutes", "five minutes", "5 mins", "1 fortnight", "",
          "5 minutes ", "5", "minutes", "5 minutes please", "5\tminutes", "x5 minutes"})
        EXPECT_EQ(Snoozed(text), "not understood") << '"' << text.toStdString() << '"';
}

TEST_F(SnoozeChoicesTest, AMonthOnTheThirtyFirstEndsOnTheLastDayOfAShorterMonth) {
    env.clock.Set("2024-01-31T09:15:20");
    EXPECT_EQ(Snoozed("1 month"), "2024-02-29 09:15:20");
    env.clock.Set("2023-01-31T09:15:20");
    EXPECT_EQ(Snoozed("1 month"), "2023-02-28 09:15:20");
    env.clock.Set("2024-03-31T09:15:20");
    EXPECT_EQ(Snoozed("1 month"), "2024-04-30 09:15:20");
}

TEST_F(SnoozeChoicesTest, ZeroAndNegativeCountsGiveNowOrEarlier) {
    EXPECT_EQ(Snoozed("0 minutes"), "2024-03-07 10:00:30");
    EXPECT_EQ(Snoozed("-5 minutes"), "2024-03-07 09:55:30");
    EXPECT_EQ(Snoozed("-1 month"), "2024-02-07 10:00:30");
}

TEST_F(SnoozeChoicesTest, CountsAreRoundedHalvesToEvenInTheLocale) {
    EXPECT_EQ(Snoozed("1.5 hours"), "2024-03-07 12:00:30");
    EXPECT_EQ(Snoozed("2.5 hours"), "2024-03-07 12:00:30");
    EXPECT_EQ(Snoozed("0.4 days"), "2024-03-07 10:00:30");
    EXPECT_EQ(Snoozed("1,440 minutes"), "2024-03-08 10:00:30") << "digit grouping";
}

TEST_F(SnoozeChoicesTest, CountsMustFitThirtyTwoBitsAndResultsTheYears100To9999) {
    // 2^31 - 1 minutes is about 4,083 years: still a date.
    EXPECT_EQ(Snoozed("2147483647 minutes"), "6107-03-31 12:07:30");
    EXPECT_EQ(Snoozed("2147483648 minutes"), "not understood");
    EXPECT_EQ(Snoozed("99999999999999999999 minutes"), "not understood");
    EXPECT_EQ(Snoozed("95000 months"), "9940-11-07 10:00:30");
    EXPECT_EQ(Snoozed("100000 months"), "not understood") << "beyond the year 9999";
    EXPECT_EQ(Snoozed("-1000000 days"), "not understood") << "before the year 100";
    EXPECT_EQ(Snoozed("2147483647 hours"), "not understood");
}

TEST_F(SnoozeChoicesTest, TheListShowsTheRememberedTextEvenWhenItIsNoChoice) {
    QComboBox list;
    list.setEditable(true);
    list.addItem("left over");
    SnoozeChoices::FillSnoozeList(list);
    QStringList items;
    for (int i = 0; i < list.count(); ++i) items << list.itemText(i);
    EXPECT_EQ(items, SnoozeChoices::Choices());
    EXPECT_EQ(list.currentText(), "5 minutes") << "the default";

    SnoozeChoices::RememberSnoozeTime("5  minutes ");
    EXPECT_EQ(Setting("Chasewell", "MRUSnoozeTime"), "5  minutes ") << "kept unchanged";
    SnoozeChoices::FillSnoozeList(list);
    EXPECT_EQ(list.count(), 14);
    EXPECT_EQ(list.currentText(), "5  minutes ");

    SnoozeChoices::RememberSnoozeTime("1 week");
    SnoozeChoices::FillSnoozeList(list);
    EXPECT_EQ(list.currentText(), "1 week");
    EXPECT_EQ(list.currentIndex(), 11) << "the matching choice is selected";
}

}  // namespace
