#include "platform/LocaleDates.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/Clock.h"
#include "tests/support/FakeEnv.h"

namespace {

using platform::LocaleDates;
using platform::MakeDateTime;
using testing_support::ErrorOf;
using Interval = LocaleDates::Interval;

QDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return MakeDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

QDateTime TimeOnly(int h, int mi = 0, int s = 0) {
    return MakeDateTime(LocaleDates::ZeroDate(), QTime(h, mi, s));
}

const LocaleDates& Us() {
    static const LocaleDates dates{QLocale(QLocale::English, QLocale::UnitedStates)};
    return dates;
}
const LocaleDates& Gb() {
    static const LocaleDates dates{QLocale(QLocale::English, QLocale::UnitedKingdom)};
    return dates;
}
const LocaleDates& De() {
    static const LocaleDates dates{QLocale(QLocale::German, QLocale::Germany)};
    return dates;
}

TEST(LocaleDatesFormsTest, UnitedStatesWritesFourDigitYearsAndNoTimeZone) {
    EXPECT_EQ(Us().ShortDate(QDate(2024, 3, 7)), "3/7/2024");
    EXPECT_EQ(Us().ShortDate(QDate(1999, 12, 31)), "12/31/1999");
    EXPECT_EQ(Us().LongTime(QTime(8, 0, 0)), "8:00:00 AM");
    EXPECT_EQ(Us().LongTime(QTime(17, 30, 5)), "5:30:05 PM");
    EXPECT_EQ(Us().LongTime(QTime(0, 5, 0)), "12:05:00 AM");
    EXPECT_EQ(Us().LongTime(QTime(12, 0, 0)), "12:00:00 PM");

    EXPECT_EQ(Us().GeneralForm(At(2024, 3, 7, 8)), "3/7/2024 8:00:00 AM");
    EXPECT_EQ(Us().GeneralForm(At(2024, 3, 7)), "3/7/2024");
    EXPECT_EQ(Us().GeneralForm(TimeOnly(17, 30)), "5:30:00 PM");
    // The zero date at midnight is still a time, as a time read alone is.
    EXPECT_EQ(Us().GeneralForm(TimeOnly(0)), "12:00:00 AM");
    // Milliseconds are never written.
    EXPECT_EQ(Us().GeneralForm(MakeDateTime(QDate(2024, 3, 7), QTime(8, 0, 0, 999))),
              "3/7/2024 8:00:00 AM");
    EXPECT_EQ(Us().GeneralForm(MakeDateTime(QDate(2024, 3, 7), QTime(0, 0, 0, 500))), "3/7/2024");

    EXPECT_EQ(Us().DisplayForm(At(2024, 3, 7, 8)), "3/7/2024 08:00 AM");
    EXPECT_EQ(Us().DisplayForm(At(2024, 3, 7, 17, 30, 59)), "3/7/2024 05:30 PM");
    EXPECT_EQ(Us().DisplayForm(At(2024, 3, 7)), "3/7/2024 12:00 AM");
    EXPECT_EQ(Us().DisplayForm(At(2024, 3, 7, 12, 1)), "3/7/2024 12:01 PM");
    EXPECT_EQ(Us().DisplayForm(At(2024, 12, 31, 23, 59)), "12/31/2024 11:59 PM");

    EXPECT_EQ(Us().GeneralForm(QDateTime()), "");
    EXPECT_EQ(Us().DisplayForm(QDateTime()), "");
}

TEST(LocaleDatesFormsTest, OtherLocalesUseTheirOwnOrderSeparatorsAndDesignators) {
    EXPECT_EQ(Gb().GeneralForm(At(2024, 3, 7, 17, 30, 5)), "07/03/2024 17:30:05");
    EXPECT_EQ(Gb().GeneralForm(At(2024, 3, 7)), "07/03/2024");
    EXPECT_EQ(Gb().GeneralForm(TimeOnly(8)), "08:00:00");
    EXPECT_EQ(Gb().DisplayForm(At(2024, 3, 7, 17, 30)), "07/03/2024 05:30 pm");

    // Qt's German short date has a two-digit year; ours never does.
    EXPECT_EQ(De().ShortDate(QDate(2024, 3, 7)), "07.03.2024");
    EXPECT_EQ(De().GeneralForm(At(2024, 3, 7, 8, 5, 9)), "07.03.2024 08:05:09");
    EXPECT_EQ(De().GeneralForm(TimeOnly(23, 59, 59)), "23:59:59");
    EXPECT_EQ(De().DisplayForm(At(2024, 3, 7, 0, 15)), "07.03.2024 12:15 AM");
}

TEST(LocaleDatesReadTest, UnitedStatesDatesWithAndWithoutTimes) {
    EXPECT_EQ(Us().ReadDate("3/7/2024"), At(2024, 3, 7));
    EXPECT_EQ(Us().ReadDate("  3/7/2024   8:00 AM "), At(2024, 3, 7, 8));
    EXPECT_EQ(Us().ReadDate("03/07/2024 8:00:00 AM"), At(2024, 3, 7, 8));
    EXPECT_EQ(Us().ReadDate("03-07-2024 17:30"), At(2024, 3, 7, 17, 30));
    EXPECT_EQ(Us().ReadDate("3.7.2024 5:30:15 pm"), At(2024, 3, 7, 17, 30, 15));
    EXPECT_EQ(Us().ReadDate("3 / 7 / 2024"), At(2024, 3, 7));
    EXPECT_EQ(Us().ReadDate("3/7/2024 12:00:00 AM"), At(2024, 3, 7));
    EXPECT_EQ(Us().ReadDate("3/7/2024 12:15 PM"), At(2024, 3, 7, 12, 15));
    EXPECT_EQ(Us().ReadDate("3/7/2024 8PM"), At(2024, 3, 7, 20));
    // A first number of four digits is a year.
    EXPECT_EQ(Us().ReadDate("2024-03-07"), At(2024, 3, 7));
    EXPECT_EQ(Us().ReadDate("2024/3/7 8:05"), At(2024, 3, 7, 8, 5));
    // Short years fall in 1930 to 2029.
    EXPECT_EQ(Us().ReadDate("3/7/24"), At(2024, 3, 7));
    EXPECT_EQ(Us().ReadDate("3/7/0"), At(2000, 3, 7));
    EXPECT_EQ(Us().ReadDate("3/7/29"), At(2029, 3, 7));
    EXPECT_EQ(Us().ReadDate("3/7/30"), At(1930, 3, 7));
    EXPECT_EQ(Us().ReadDate("3/7/99"), At(1999, 3, 7));
    // The edges of the calendar.
    EXPECT_EQ(Us().ReadDate("1/1/100"), At(100, 1, 1));
    EXPECT_EQ(Us().ReadDate("12/31/9999 11:59:59 PM"), At(9999, 12, 31, 23, 59, 59));
    EXPECT_EQ(Us().ReadDate("2/29/2024"), At(2024, 2, 29));
}

TEST(LocaleDatesReadTest, TimesAloneLandOnTheZeroDate) {
    EXPECT_EQ(Us().ReadDate("8:00 AM"), TimeOnly(8));
    EXPECT_EQ(Us().ReadDate("8 AM"), TimeOnly(8));
    EXPECT_EQ(Us().ReadDate("8am"), TimeOnly(8));
    EXPECT_EQ(Us().ReadDate("8 a"), TimeOnly(8));
    EXPECT_EQ(Us().ReadDate("8P"), TimeOnly(20));
    EXPECT_EQ(Us().ReadDate("12 AM"), TimeOnly(0));
    EXPECT_EQ(Us().ReadDate("12:30 pm"), TimeOnly(12, 30));
    EXPECT_EQ(Us().ReadDate("pm 5:30"), TimeOnly(17, 30));
    EXPECT_EQ(Us().ReadDate("17:45"), TimeOnly(17, 45));
    EXPECT_EQ(Us().ReadDate("0:00"), TimeOnly(0));
    EXPECT_EQ(Us().ReadDate("23:59:59"), TimeOnly(23, 59, 59));
    EXPECT_EQ(Us().CDate("8:00 AM"), TimeOnly(8));
}

TEST(LocaleDatesReadTest, RejectsWhatIsNotADate) {
    for (const char* text : {"",
                             "   ",
                             "8",
                             "abc",
                             "2/30/2024",
                             "2/29/2023",
                             "13/1/2024",
                             "0/1/2024",
                             "1/32/2024",
                             "1/0/2024",
                             "3/7/2024 25:00",
                             "3/7/2024 24:00",
                             "3/7/2024 8:60",
                             "3/7/2024 8:00:60",
                             "13:00 PM",
                             "0:30 AM",
                             "3/7/2024 8:00 AMX",
                             "3/7/2024x",
                             "3/7/2024 8:00 AM PM",
                             "AM 8:00 PM",
                             "3/7/99999",
                             "1/1/0099",
                             "3/7/10000",
                             "3/7",
                             "3/7/2024/1",
                             "3//7/2024",
                             "8:00:00:00",
                             "3/7/2024 8",
                             "3/7/20248:00",
                             "8:",
                             ":30",
                             "8:5:",
                             "1/1/2024 -1:00",
                             "3/7/2024,8:00"}) {
        EXPECT_FALSE(Us().ReadDate(text).has_value()) << text;
        EXPECT_FALSE(Us().IsDate(text)) << text;
    }
    EXPECT_EQ(ErrorOf([] { Us().CDate("abc"); }), "Type mismatch");
    EXPECT_EQ(ErrorOf([] { Us().CDate("2/30/2024"); }), "Type mismatch");
}

TEST(LocaleDatesReadTest, FieldOrderFollowsTheLocale) {
    EXPECT_EQ(Gb().ReadDate("7/3/2024"), At(2024, 3, 7));
    EXPECT_EQ(Gb().ReadDate("07/03/2024 17:30:00"), At(2024, 3, 7, 17, 30));
    EXPECT_EQ(Gb().ReadDate("07/03/2024 05:30 PM"), At(2024, 3, 7, 17, 30));
    EXPECT_FALSE(Gb().ReadDate("3/13/2024").has_value());
    EXPECT_EQ(Us().ReadDate("3/13/2024"), At(2024, 3, 13));
    EXPECT_FALSE(Us().ReadDate("13/3/2024").has_value());

    EXPECT_EQ(De().ReadDate("7.3.2024"), At(2024, 3, 7));
    EXPECT_EQ(De().ReadDate("07.03.24 8:05"), At(2024, 3, 7, 8, 5));
    EXPECT_EQ(De().ReadDate("2024-03-07 23:00"), At(2024, 3, 7, 23));
}

TEST(LocaleDatesReadTest, EverythingWrittenReadsBack) {
    const QDateTime values[] = {
        At(2024, 3, 7, 8),
        At(2024, 3, 7, 17, 30, 5),
        At(2024, 3, 7),
        At(2024, 3, 7, 12),
        At(2024, 3, 7, 0, 5),
        At(1999, 12, 31, 23, 59, 59),
        At(100, 1, 1, 1, 2, 3),
        At(9999, 12, 31, 23, 59, 59),
        At(2029, 2, 28, 11, 59, 59),
        At(1930, 1, 1, 12, 59, 1),
        TimeOnly(8),
        TimeOnly(0),
        TimeOnly(23, 59, 59),
        TimeOnly(12, 0, 1),
    };
    // The three locales the tests pin, and others whose forms carry words,
    // other digits, direction marks or the designator first.
    const char* locales[] = {"en_US", "en_GB", "de_DE", "fr_FR", "ja_JP", "ko_KR",
                             "zh_CN", "ar_EG", "fi_FI", "hu_HU", "es_ES", "fa_IR",
                             "th_TH", "bg_BG", "sq_AL", "he_IL", "en_CA", "da_DK"};
    for (const char* name : locales) {
        const LocaleDates dates{QLocale(QString::fromLatin1(name))};
        for (const QDateTime& value : values) {
            const QString general = dates.GeneralForm(value);
            EXPECT_EQ(dates.ReadDate(general), value) << name << " " << general.toStdString();
            const QString display = dates.DisplayForm(value);
            const QDateTime toTheMinute =
                MakeDateTime(value.date(), QTime(value.time().hour(), value.time().minute()));
            EXPECT_EQ(dates.ReadDate(display), toTheMinute) << name << " " << display.toStdString();
        }
    }
}

TEST(LocaleDatesNumberTest, ReadsNumbersInTheLocale) {
    EXPECT_EQ(Us().ReadNumber("42"), 42.0);
    EXPECT_EQ(Us().ReadNumber(" -1,234.5 "), -1234.5);
    EXPECT_EQ(Us().ReadNumber("+3"), 3.0);
    EXPECT_EQ(Us().ReadNumber(".5"), 0.5);
    EXPECT_EQ(Us().ReadNumber("5."), 5.0);
    EXPECT_EQ(Us().ReadNumber("1e3"), 1000.0);
    EXPECT_EQ(Us().ReadNumber("1,000,000"), 1e6);
    EXPECT_EQ(Us().ReadNumber("1e-400"), 0.0);
    for (const char* text : {"", " ", "abc", "1,,000", ",5", "1,", "1.2.3", "NaN", "nan", "inf",
                             "Infinity", "1e", "--1", "1 2", "0x10", "1e400", "-", ".", "1,.5"}) {
        EXPECT_FALSE(Us().ReadNumber(text).has_value()) << text;
    }

    // German: a dot groups, a comma separates the fraction.
    EXPECT_EQ(De().ReadNumber("1.234,5"), 1234.5);
    EXPECT_EQ(De().ReadNumber("1,5"), 1.5);
    EXPECT_EQ(De().ReadNumber("1.5"), 15.0);
    // French groups with a narrow no-break space; people type a blank.
    const LocaleDates fr{QLocale(QLocale::French, QLocale::France)};
    EXPECT_EQ(fr.ReadNumber("1 234,5"), 1234.5);
    EXPECT_EQ(fr.ReadNumber(QString::fromUtf8("1\u202F234,5")), 1234.5);
    EXPECT_FALSE(fr.ReadNumber("1.5").has_value());
}

TEST(LocaleDatesNumberTest, WholeNumbersRoundHalvesToEvenAndCheckRange) {
    EXPECT_EQ(Us().CInt("1.5"), 2);
    EXPECT_EQ(Us().CInt("2.5"), 2);
    EXPECT_EQ(Us().CInt("3.5"), 4);
    EXPECT_EQ(Us().CInt("-2.5"), -2);
    EXPECT_EQ(Us().CInt("-1.5"), -2);
    EXPECT_EQ(Us().CInt("0.5"), 0);
    EXPECT_EQ(Us().CInt("2.500001"), 3);
    EXPECT_EQ(Us().CInt(" 7 "), 7);
    EXPECT_EQ(Us().CInt("32767"), 32767);
    EXPECT_EQ(Us().CInt("-32768.5"), -32768);
    EXPECT_EQ(ErrorOf([] { Us().CInt("abc"); }), "Type mismatch");
    EXPECT_EQ(ErrorOf([] { Us().CInt(""); }), "Type mismatch");
    EXPECT_EQ(ErrorOf([] { Us().CInt("40000"); }), "Overflow");
    EXPECT_EQ(ErrorOf([] { Us().CInt("32767.5"); }), "Overflow");
    EXPECT_EQ(ErrorOf([] { Us().CInt("-32769"); }), "Overflow");

    EXPECT_EQ(Us().CLng("2147483647"), 2147483647);
    EXPECT_EQ(Us().CLng("-2147483648"), std::numeric_limits<qint32>::min());
    EXPECT_EQ(Us().CLng("-1"), -1);
    EXPECT_EQ(ErrorOf([] { Us().CLng("2147483648"); }), "Overflow");
    EXPECT_EQ(ErrorOf([] { Us().CLng("1e400"); }), "Overflow");
    EXPECT_EQ(ErrorOf([] { Us().CLng("12 PM"); }), "Type mismatch");

    EXPECT_EQ(Us().CDbl("2.25"), 2.25);
    EXPECT_EQ(ErrorOf([] { Us().CDbl("1e400"); }), "Overflow");
    EXPECT_EQ(ErrorOf([] { Us().CDbl("two"); }), "Type mismatch");

    EXPECT_EQ(LocaleDates::RoundHalfEven(0.5), 0.0);
    EXPECT_EQ(LocaleDates::RoundHalfEven(1.5), 2.0);
    EXPECT_EQ(LocaleDates::RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(LocaleDates::RoundHalfEven(-2.5), -2.0);
    EXPECT_EQ(LocaleDates::RoundHalfEven(-3.5), -4.0);
    EXPECT_EQ(LocaleDates::RoundHalfEven(2.4999999), 2.0);
    EXPECT_EQ(LocaleDates::RoundHalfEven(-0.6), -1.0);
    EXPECT_EQ(LocaleDates::RoundHalfEven(4503599627370497.0), 4503599627370497.0);
}

TEST(LocaleDatesNumberTest, BooleansAreWordsOrNumbers) {
    EXPECT_TRUE(Us().CBool("True"));
    EXPECT_TRUE(Us().CBool(" TRUE "));
    EXPECT_FALSE(Us().CBool("false"));
    EXPECT_FALSE(Us().CBool("0"));
    EXPECT_FALSE(Us().CBool("0.0"));
    EXPECT_TRUE(Us().CBool("-1"));
    EXPECT_TRUE(Us().CBool("0.4"));
    EXPECT_EQ(ErrorOf([] { Us().CBool("yes"); }), "Type mismatch");
    EXPECT_EQ(ErrorOf([] { Us().CBool(""); }), "Type mismatch");
}

TEST(LocaleDatesArithmeticTest, MonthStepsLandOnTheMonthsLastDayWhenTheDayIsMissing) {
    const QDateTime jan31 = At(2024, 1, 31, 10, 15, 30);
    EXPECT_EQ(LocaleDates::DateAdd(Interval::Month, 1, jan31), At(2024, 2, 29, 10, 15, 30));
    EXPECT_EQ(LocaleDates::DateAdd(Interval::Month, 1, At(2023, 1, 31, 9)), At(2023, 2, 28, 9));
    EXPECT_EQ(LocaleDates::DateAdd(Interval::Month, 1, At(2024, 3, 31)), At(2024, 4, 30));
    EXPECT_EQ(LocaleDates::DateAdd(Interval::Month, -1, At(2024, 3, 31)), At(2024, 2, 29));
    EXPECT_EQ(LocaleDates::DateAdd(Interval::Month, 13, jan31), At(2025, 2, 28, 10, 15, 30));
    EXPECT_EQ(LocaleDates::DateAdd(Interval::Year, 1, At(2024, 2, 29, 8)), At(2025, 2, 28, 8));
    EXPECT_EQ(LocaleDates::DateAdd(Interval::Day, 1, jan31), At(2024, 2, 1, 10, 15, 30));
    EXPECT_EQ(LocaleDates::DateAdd(Interval::Week, 1, At(2024, 2, 26, 8)), At(2024, 3, 4, 8));
    EXPECT_EQ(LocaleDates::DateAdd(Interval::Week, -2, At(2024, 3, 7)), At(2024, 2, 22));
    EXPECT_EQ(LocaleDates::DateAdd(Interval::Hour, 25, At(2024, 3, 7, 8)), At(2024, 3, 8, 9));
    EXPECT_EQ(LocaleDates::DateAdd(Interval::Minute, -61, At(2024, 3, 7, 0, 30)),
              At(2024, 3, 6, 23, 29));
    EXPECT_EQ(LocaleDates::DateAdd(Interval::Second, 3600, At(2024, 12, 31, 23, 30)),
              At(2025, 1, 1, 0, 30));
    // A wall-clock hour is an hour even across a daylight-saving change.
    EXPECT_EQ(LocaleDates::DateAdd(Interval::Hour, 1, At(2024, 3, 10, 1, 30)),
              At(2024, 3, 10, 2, 30));
    // A value in the local zone is taken by its date and time.
    const QDateTime local(QDate(2024, 3, 7), QTime(8, 0), Qt::LocalTime);
    EXPECT_EQ(LocaleDates::DateAdd(Interval::Day, 1, local), At(2024, 3, 8, 8));
}

TEST(LocaleDatesArithmeticTest, ResultsOutsideTheCalendarFail) {
    const char* invalid = "Invalid procedure call or argument";
    EXPECT_EQ(ErrorOf([] { LocaleDates::DateAdd(Interval::Day, 1, At(9999, 12, 31)); }), invalid);
    EXPECT_EQ(ErrorOf([] { LocaleDates::DateAdd(Interval::Second, -1, At(100, 1, 1)); }), invalid);
    EXPECT_EQ(ErrorOf([] { LocaleDates::DateAdd(Interval::Day, 1, QDateTime()); }), invalid);
    EXPECT_EQ(LocaleDates::DateAdd(Interval::Year, 7975, At(2024, 3, 7)), At(9999, 3, 7));
    const qint64 extremes[] = {std::numeric_limits<qint64>::max(),
                               std::numeric_limits<qint64>::min(), qint64(1) << 40,
                               -(qint64(1) << 40)};
    for (auto interval : {Interval::Second, Interval::Minute, Interval::Hour, Interval::Day,
                          Interval::Week, Interval::Month, Interval::Year}) {
        for (qint64 count : extremes) {
            EXPECT_EQ(ErrorOf([&] { LocaleDates::DateAdd(interval, count, At(2024, 3, 7)); }),
                      invalid)
                << int(interval) << " " << count;
        }
    }
}

TEST(LocaleDatesArithmeticTest, MinuteDifferencesCountMinuteBoundaries) {
    EXPECT_EQ(LocaleDates::DateDiffMinutes(At(2024, 3, 7, 10, 0, 30), At(2024, 3, 7, 10, 5, 0)), 5);
    EXPECT_EQ(LocaleDates::DateDiffMinutes(At(2024, 3, 7, 10, 0, 59), At(2024, 3, 7, 10, 1, 0)), 1);
    EXPECT_EQ(LocaleDates::DateDiffMinutes(At(2024, 3, 7, 10, 0, 0), At(2024, 3, 7, 10, 0, 59)), 0);
    EXPECT_EQ(LocaleDates::DateDiffMinutes(At(2024, 3, 7, 10, 5, 0), At(2024, 3, 7, 10, 0, 30)),
              -5);
    EXPECT_EQ(LocaleDates::DateDiffMinutes(At(2024, 3, 7, 23, 59), At(2024, 3, 8, 0, 1)), 2);
    // Before 1970 the seconds since then are negative; boundaries still count.
    EXPECT_EQ(LocaleDates::DateDiffMinutes(At(1969, 12, 31, 23, 59, 30), At(1970, 1, 1, 0, 0, 10)),
              1);
    EXPECT_EQ(LocaleDates::DateDiffMinutes(TimeOnly(10, 0, 30), TimeOnly(10, 5, 0)), 5);
    EXPECT_EQ(LocaleDates::DateDiffMinutes(TimeOnly(10, 0, 59), TimeOnly(10, 1, 0)), 1);
    EXPECT_EQ(LocaleDates::DateDiffMinutes(TimeOnly(10, 0, 1), TimeOnly(10, 0, 59)), 0);
    EXPECT_EQ(LocaleDates::DateDiffMinutes(TimeOnly(8), At(2024, 3, 7, 8)),
              qint64(QDate(1899, 12, 30).daysTo(QDate(2024, 3, 7))) * 1440);
    EXPECT_EQ(ErrorOf([] { LocaleDates::DateDiffMinutes(QDateTime(), At(2024, 3, 7)); }),
              "Invalid procedure call or argument");
}

TEST(LocaleDatesTest, UserLocaleIsTheSystemsOrUnitedStatesEnglishForC) {
    const QLocale user = LocaleDates::UserLocale();
    if (QLocale::system().language() == QLocale::C) {
        EXPECT_EQ(user, QLocale(QLocale::English, QLocale::UnitedStates));
    } else {
        EXPECT_EQ(user, QLocale::system());
    }
    EXPECT_NE(user.language(), QLocale::C);
}

}  // namespace
