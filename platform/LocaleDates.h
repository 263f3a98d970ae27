#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <memory>
#include <optional>

namespace platform {

// Dates, times and numbers as the user's locale writes and reads them, the
// way the original's runtime did. All date values are wall-clock values (see
// Clock.h).
//
// Forms, shown for United States English:
//   short date    3/7/2024            (always a four-digit year: the data file
//                                      keeps dates as text, and a two-digit year
//                                      would not read back as the same date)
//   long time     8:00:00 AM          (the locale's, without a time zone)
//   general form  3/7/2024 8:00:00 AM (short date, a blank, long time; the date
//                                      alone at midnight, the time alone on the
//                                      zero date 12/30/1899)
//   display form  3/7/2024 08:00 AM   (short date, a blank, "hh:nn AMPM")
class LocaleDates {
public:
    enum class Interval { Second, Minute, Hour, Day, Week, Month, Year };

    explicit LocaleDates(const QLocale& locale);

    // The user's locale: the system's, or United States English where the
    // system names none (C or POSIX).
    static QLocale UserLocale();

    const QLocale& locale() const { return m_locale; }

    QString ShortDate(const QDate& date) const;
    QString LongTime(const QTime& time) const;
    QString GeneralForm(const QDateTime& value) const;
    QString DisplayForm(const QDateTime& value) const;

    // Lenient reading of date and time text: a short date with or without a
    // time, a time alone (on the zero date), 12- and 24-hour times, the AM/PM
    // designators in any letter case, surrounding blanks. Years outside 100
    // to 9999 are not dates. No value when the text is not a date.
    //
    // A date is three numbers separated by '/', '-', '.' or the locale's
    // separator, in the locale's order of day, month and year, or year first
    // when the first number has three or four digits; a year of one or two
    // digits is 2000-2029 for 0-29 and 1930-1999 for 30-99. A time is h, h:mm
    // or h:mm:ss with an optional AM/PM designator before or after it (also A
    // and P); an hour alone needs a designator. Whatever the forms above write
    // in this locale also reads back, literal words included.
    std::optional<QDateTime> ReadDate(const QString& text) const;
    bool IsDate(const QString& text) const { return ReadDate(text).has_value(); }
    // ReadDate, failing with "Type mismatch".
    QDateTime CDate(const QString& text) const;

    // A number in the locale: optional sign, digits with the locale's
    // grouping, the locale's decimal separator, surrounding blanks. No value
    // when the text is not a number.
    std::optional<double> ReadNumber(const QString& text) const;
    // Whole numbers, halves rounded to the even neighbour; "Type mismatch" for
    // text that is not a number, "Overflow" outside the type's range.
    qint16 CInt(const QString& text) const;
    qint32 CLng(const QString& text) const;
    double CDbl(const QString& text) const;
    // The words True and False in any letter case, or a number (0 is False).
    bool CBool(const QString& text) const;

    // Calendar arithmetic. Day, week and month steps keep the time of day; a
    // month step landing on a day the target month lacks gives the month's
    // last day. A result outside the years 100 to 9999 fails with
    // "Invalid procedure call or argument".
    static QDateTime DateAdd(Interval interval, qint64 count, const QDateTime& value);
    // Minute boundaries between two values: minute-of-epoch of `to` minus that
    // of `from`, seconds ignored on both sides. Fails with "Invalid procedure
    // call or argument" when either value is not a date.
    static qint64 DateDiffMinutes(const QDateTime& from, const QDateTime& to);
    // The nearest whole number, halves to the even neighbour.
    static double RoundHalfEven(double value);

    // The zero date, which a time read alone carries.
    static QDate ZeroDate() { return QDate(1899, 12, 30); }

private:
    QLocale m_locale;
    QString m_shortDateFormat;  // the locale's, with a four-digit year
    QString m_longTimeFormat;   // the locale's, without a time zone
    // What reading needs, prepared once from the locale (shared by copies).
    struct Reading;
    std::shared_ptr<const Reading> m_reading;
};

}  // namespace platform
