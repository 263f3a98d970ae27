#include "platform/LocaleDates.h"

#include <QList>
#include <QStringView>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

#include "platform/Clock.h"
#include "platform/RuntimeError.h"

namespace platform {

namespace {

// ---------------------------------------------------------------------------
// Qt date and time format strings as tokens, so that the locale's formats can
// be adjusted (four-digit year, no time zone) and read back field by field.

enum class Field {
    Literal,
    Day,
    DayName,
    Month,
    MonthName,
    Year,
    Hour12,
    Hour24,
    Minute,
    Second,
    Fraction,
    AmPm,
    TimeZone,
};

struct Token {
    Field field;
    int width = 0;  // letters in the format
    QString text;   // a literal's text
};

using Tokens = QList<Token>;

void AddLiteral(Tokens& tokens, const QString& text) {
    if (text.isEmpty())
        return;
    if (!tokens.isEmpty() && tokens.back().field == Field::Literal)
        tokens.back().text += text;
    else
        tokens.append(Token{Field::Literal, 0, text});
}

Field FieldOf(QChar letter, int width) {
    switch (letter.unicode()) {
        case 'd':
            return width >= 3 ? Field::DayName : Field::Day;
        case 'M':
            return width >= 3 ? Field::MonthName : Field::Month;
        case 'y':
            return Field::Year;
        case 'h':
            return Field::Hour12;
        case 'H':
            return Field::Hour24;
        case 'm':
            return Field::Minute;
        case 's':
            return Field::Second;
        case 'z':
            return Field::Fraction;
        case 't':
            return Field::TimeZone;
        default:
            return Field::Literal;
    }
}

// Qt's format syntax: runs of field letters; 'text' quoted, '' a quote;
// "AP", "ap", "Ap", "aP", "A" and "a" the designator; anything else literal.
Tokens Tokenize(const QString& format) {
    Tokens tokens;
    const qsizetype n = format.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            if (i + 1 < n && format.at(i + 1) == u'\'') {
                AddLiteral(tokens, QStringLiteral("'"));
                i += 2;
                continue;
            }
            QString quoted;
            qsizetype j = i + 1;
            while (j < n) {
                if (format.at(j) == u'\'') {
                    if (j + 1 < n && format.at(j + 1) == u'\'') {
                        quoted += u'\'';
                        j += 2;
                        continue;
                    }
                    break;
                }
                quoted += format.at(j++);
            }
            AddLiteral(tokens, quoted);
            i = j + 1;
            continue;
        }
        if (c == u'a' || c == u'A') {
            const bool pair = i + 1 < n && (format.at(i + 1) == u'p' || format.at(i + 1) == u'P');
            tokens.append(Token{Field::AmPm, pair ? 2 : 1, {}});
            i += pair ? 2 : 1;
            continue;
        }
        qsizetype run = 1;
        while (i + run < n && format.at(i + run) == c) ++run;
        const Field field = FieldOf(c, int(run));
        if (field == Field::Literal) {
            AddLiteral(tokens, QString(c));
            ++i;
            continue;
        }
        tokens.append(Token{field, int(run), {}});
        i += run;
    }
    return tokens;
}

QChar LetterOf(Field field) {
    switch (field) {
        case Field::Day:
        case Field::DayName:
            return u'd';
        case Field::Month:
        case Field::MonthName:
            return u'M';
        case Field::Year:
            return u'y';
        case Field::Hour12:
            return u'h';
        case Field::Hour24:
            return u'H';
        case Field::Minute:
            return u'm';
        case Field::Second:
            return u's';
        case Field::Fraction:
            return u'z';
        case Field::TimeZone:
            return u't';
        case Field::Literal:
        case Field::AmPm:
            break;
    }
    return QChar();
}

// Back to a format string for QLocale::toString. The designator becomes
// "Ap": the locale's own text, in its own letter case.
QString Serialize(const Tokens& tokens) {
    QString format;
    for (const Token& token : tokens) {
        if (token.field == Field::Literal) {
            const bool plain = std::none_of(token.text.begin(), token.text.end(),
                                            [](QChar c) { return c.isLetter() || c == u'\''; });
            if (plain) {
                format += token.text;
            } else {
                QString quoted = token.text;
                quoted.replace(u'\'', QLatin1String("''"));
                format += u'\'' + quoted + u'\'';
            }
        } else if (token.field == Field::AmPm) {
            format += QLatin1String("Ap");
        } else {
            format += QString(token.width, LetterOf(token.field));
        }
    }
    return format;
}

// Every year written with four digits: a two-digit year in the data file
// would read back in another century.
Tokens WithFourDigitYear(Tokens tokens) {
    for (Token& token : tokens)
        if (token.field == Field::Year)
            token.width = 4;
    return tokens;
}

bool IsBlank(QChar c) {
    return c.isSpace();
}

// The time zone goes, with the blank, comma or bracket that joined it to
// the rest ("h:mm:ss AP t", "H:mm:ss (t)", "t HH:mm:ss"): the values are
// wall-clock times without a zone.
Tokens WithoutTimeZone(Tokens tokens) {
    for (qsizetype k = 0; k < tokens.size();) {
        if (tokens[k].field != Field::TimeZone) {
            ++k;
            continue;
        }
        bool removedBefore = false;
        if (k > 0 && tokens[k - 1].field == Field::Literal) {
            QString& text = tokens[k - 1].text;
            qsizetype keep = text.size();
            while (keep > 0 && (IsBlank(text.at(keep - 1)) || text.at(keep - 1) == u',' ||
                                text.at(keep - 1) == u'(' || text.at(keep - 1) == u'['))
                --keep;
            removedBefore = keep < text.size();
            text.truncate(keep);
        }
        if (k + 1 < tokens.size() && tokens[k + 1].field == Field::Literal) {
            QString& text = tokens[k + 1].text;
            qsizetype drop = 0;
            while (drop < text.size() &&
                   (text.at(drop) == u')' || text.at(drop) == u']' ||
                    (!removedBefore && (IsBlank(text.at(drop)) || text.at(drop) == u','))))
                ++drop;
            text.remove(0, drop);
        }
        tokens.removeAt(k);
        tokens.erase(std::remove_if(tokens.begin(), tokens.end(),
                                    [](const Token& t) {
                                        return t.field == Field::Literal && t.text.isEmpty();
                                    }),
                     tokens.end());
    }
    if (!tokens.isEmpty() && tokens.front().field == Field::Literal) {
        QString& text = tokens.front().text;
        while (!text.isEmpty() && IsBlank(text.front())) text.remove(0, 1);
    }
    if (!tokens.isEmpty() && tokens.back().field == Field::Literal) {
        QString& text = tokens.back().text;
        while (!text.isEmpty() && IsBlank(text.back())) text.chop(1);
    }
    tokens.erase(std::remove_if(
                     tokens.begin(), tokens.end(),
                     [](const Token& t) { return t.field == Field::Literal && t.text.isEmpty(); }),
                 tokens.end());
    return tokens;
}

// Invisible direction and joining marks (some locales put them between the
// fields of a date) take no part in reading.
bool IsFormatMark(QChar c) {
    return c.category() == QChar::Other_Format;
}

QString WithoutFormatMarks(const QString& text) {
    if (std::none_of(text.begin(), text.end(), IsFormatMark))
        return text;
    QString stripped;
    stripped.reserve(text.size());
    for (QChar c : text)
        if (!IsFormatMark(c))
            stripped += c;
    return stripped;
}

Tokens WithoutFormatMarks(Tokens tokens) {
    for (Token& token : tokens)
        if (token.field == Field::Literal)
            token.text = WithoutFormatMarks(token.text);
    tokens.erase(std::remove_if(
                     tokens.begin(), tokens.end(),
                     [](const Token& t) { return t.field == Field::Literal && t.text.isEmpty(); }),
                 tokens.end());
    return tokens;
}

struct Name {
    QString text;
    int value;  // month 1-12, 1 for PM and 0 for AM, unused for day names
};

// Longest first, so that "AM" is tried before "A" and "March" before "Mar".
void SortLongestFirst(QList<Name>& names) {
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const Name& name) { return name.text.isEmpty(); }),
                names.end());
    std::stable_sort(names.begin(), names.end(),
                     [](const Name& a, const Name& b) { return a.text.size() > b.text.size(); });
}

// Whole-number text of a field read from the input.
struct Number {
    int value = 0;
    int digits = 0;
};

struct DateFields {
    Number year;
    int month = 0;
    int day = 0;
};

struct TimeFields {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int designator = -1;  // -1 none, 0 AM, 1 PM
};

enum class NumberStatus { Number, NotANumber, TooLarge };

struct NumberReading {
    NumberStatus status = NumberStatus::NotANumber;
    double value = 0;
};

// The text continues with one of the strings at pos.
qsizetype MatchAt(QStringView text, qsizetype pos, const QStringList& candidates) {
    for (const QString& candidate : candidates)
        if (!candidate.isEmpty() && text.mid(pos).startsWith(candidate))
            return candidate.size();
    return 0;
}

constexpr int kFirstYear = 100;
constexpr int kLastYear = 9999;

std::optional<QDate> BuildDate(const DateFields& fields) {
    int year = fields.year.value;
    // Two-digit years fall in a window around the present century.
    if (fields.year.digits <= 2)
        year += year < 30 ? 2000 : 1900;
    if (year < kFirstYear || year > kLastYear)
        return std::nullopt;
    if (!QDate::isValid(year, fields.month, fields.day))
        return std::nullopt;
    return QDate(year, fields.month, fields.day);
}

std::optional<QTime> BuildTime(const TimeFields& fields) {
    int hour = fields.hour;
    if (fields.designator >= 0) {
        if (hour < 1 || hour > 12)
            return std::nullopt;
        hour = hour % 12 + (fields.designator == 1 ? 12 : 0);
    } else if (hour > 23) {
        return std::nullopt;
    }
    if (fields.minute > 59 || fields.second > 59)
        return std::nullopt;
    return QTime(hour, fields.minute, fields.second);
}

// A position in the text being read.
struct Cursor {
    QStringView text;
    qsizetype pos = 0;

    bool AtEnd() const { return pos >= text.size(); }
    qsizetype SkipBlanks() {
        const qsizetype start = pos;
        while (!AtEnd() && IsBlank(text.at(pos))) ++pos;
        return pos - start;
    }
    // A run of digits (any script) of at most maxDigits; a longer run is not
    // split, it fails.
    std::optional<Number> ReadNumber(int maxDigits) {
        Number number;
        qsizetype end = pos;
        while (end < text.size() && text.at(end).isDigit()) {
            if (++number.digits > maxDigits)
                return std::nullopt;
            number.value = number.value * 10 + text.at(end).digitValue();
            ++end;
        }
        if (number.digits == 0)
            return std::nullopt;
        pos = end;
        return number;
    }
    bool ReadAnyOf(const QString& characters) {
        if (AtEnd() || !characters.contains(text.at(pos)))
            return false;
        ++pos;
        return true;
    }
    // The first (longest) of the names the text continues with, any letter case.
    const Name* Match(const QList<Name>& names) {
        for (const Name& name : names) {
            if (text.size() - pos < name.text.size())
                continue;
            if (text.mid(pos, name.text.size()).compare(name.text, Qt::CaseInsensitive) == 0) {
                pos += name.text.size();
                return &name;
            }
        }
        return nullptr;
    }
};

}  // namespace

// What reading needs from the locale, and the readers themselves.
struct LocaleDates::Reading {
    Tokens shortDate;  // as written, without format marks
    Tokens longTime;
    QString dateOrder;  // the order of the numeric fields: "Mdy", "dMy", "yMd"
    QString dateSeparators;
    QString timeSeparators;
    QList<Name> designators;
    QList<Name> monthNames;
    QList<Name> dayNames;

    // Numbers.
    QString decimal;
    QStringList groups;  // the locale's separator, and the plain blank where it is a blank
    QStringList minus;
    QStringList plus;

    Reading(const QLocale& locale, const Tokens& shortDateTokens, const Tokens& longTimeTokens);

    std::optional<QDateTime> ReadDate(QStringView text) const;
    NumberReading ReadNumber(QStringView text) const;

    // Each reader moves the cursor past what it read, and leaves it anywhere
    // when it fails.
    bool ReadNumericDate(Cursor& cursor, DateFields& fields) const;
    bool ReadNumericTime(Cursor& cursor, TimeFields& fields) const;
    bool ReadFormatted(Cursor& cursor, const Tokens& tokens, DateFields* date,
                       TimeFields* time) const;
    bool ReadDatePart(int alternative, Cursor& cursor, DateFields& fields) const;
    bool ReadTimePart(int alternative, Cursor& cursor, TimeFields& fields) const;
};

LocaleDates::Reading::Reading(const QLocale& locale, const Tokens& shortDateTokens,
                              const Tokens& longTimeTokens)
    : shortDate(WithoutFormatMarks(shortDateTokens)), longTime(WithoutFormatMarks(longTimeTokens)) {
    dateSeparators = QStringLiteral("/-.");
    for (const Token& token : shortDate) {
        switch (token.field) {
            case Field::Day:
            case Field::Month:
            case Field::MonthName:
            case Field::Year: {
                const QChar letter = LetterOf(token.field);
                if (!dateOrder.contains(letter))
                    dateOrder += letter;
                break;
            }
            case Field::Literal:
                for (QChar c : token.text)
                    if (!IsBlank(c) && !c.isLetter() && !dateSeparators.contains(c))
                        dateSeparators += c;
                break;
            default:
                break;
        }
    }
    if (dateOrder.size() != 3)
        dateOrder = QStringLiteral("Mdy");

    // The locale's time separator is the literal between hour and minute.
    timeSeparators = QStringLiteral(":");
    for (qsizetype k = 0; k + 2 < longTime.size(); ++k) {
        const bool hour = longTime[k].field == Field::Hour12 || longTime[k].field == Field::Hour24;
        if (hour && longTime[k + 1].field == Field::Literal &&
            longTime[k + 2].field == Field::Minute) {
            for (QChar c : longTime[k + 1].text)
                if (!IsBlank(c) && !c.isLetter() && !timeSeparators.contains(c))
                    timeSeparators += c;
        }
    }

    designators = {{WithoutFormatMarks(locale.amText()).trimmed(), 0},
                   {WithoutFormatMarks(locale.pmText()).trimmed(), 1},
                   {QStringLiteral("AM"), 0},
                   {QStringLiteral("PM"), 1},
                   {QStringLiteral("A"), 0},
                   {QStringLiteral("P"), 1}};
    SortLongestFirst(designators);

    for (int month = 1; month <= 12; ++month) {
        for (auto format : {QLocale::LongFormat, QLocale::ShortFormat}) {
            monthNames.append({WithoutFormatMarks(locale.monthName(month, format)), month});
            monthNames.append(
                {WithoutFormatMarks(locale.standaloneMonthName(month, format)), month});
        }
    }
    SortLongestFirst(monthNames);
    for (int day = 1; day <= 7; ++day) {
        for (auto format : {QLocale::LongFormat, QLocale::ShortFormat}) {
            dayNames.append({WithoutFormatMarks(locale.dayName(day, format)), day});
            dayNames.append({WithoutFormatMarks(locale.standaloneDayName(day, format)), day});
        }
    }
    SortLongestFirst(dayNames);

    decimal = WithoutFormatMarks(locale.decimalPoint());
    const QString group = WithoutFormatMarks(locale.groupSeparator());
    if (!group.isEmpty())
        groups.append(group);
    // Grouping written with a (narrow) no-break space is typed with a blank.
    if (group.size() == 1 && group.at(0).isSpace())
        groups.append(QStringLiteral(" "));
    minus = {QStringLiteral("-"), QString(QChar(0x2212))};
    const QString localeMinus = WithoutFormatMarks(locale.negativeSign());
    if (!localeMinus.isEmpty() && !minus.contains(localeMinus))
        minus.append(localeMinus);
    plus = {QStringLiteral("+")};
    const QString localePlus = WithoutFormatMarks(locale.positiveSign());
    if (!localePlus.isEmpty() && !plus.contains(localePlus))
        plus.append(localePlus);
}

// Three numbers with separators between; blanks may surround a separator.
bool LocaleDates::Reading::ReadNumericDate(Cursor& cursor, DateFields& fields) const {
    Number numbers[3];
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            cursor.SkipBlanks();
            if (!cursor.ReadAnyOf(dateSeparators))
                return false;
            cursor.SkipBlanks();
        }
        const auto number = cursor.ReadNumber(4);
        if (!number)
            return false;
        numbers[i] = *number;
    }
    // A first number of three or four digits can only be a year: 2024-03-07.
    const QString order = numbers[0].digits >= 3 ? QStringLiteral("yMd") : dateOrder;
    for (int i = 0; i < 3; ++i) {
        const QChar field = order.at(i);
        if (field == u'y') {
            fields.year = numbers[i];
        } else {
            if (numbers[i].digits > 2)
                return false;
            (field == u'd' ? fields.day : fields.month) = numbers[i].value;
        }
    }
    return true;
}

// h, h:mm or h:mm:ss, with a designator before or after.
bool LocaleDates::Reading::ReadNumericTime(Cursor& cursor, TimeFields& fields) const {
    int before = -1;
    if (const Name* designator = cursor.Match(designators)) {
        before = designator->value;
        cursor.SkipBlanks();
    }
    const auto hour = cursor.ReadNumber(2);
    if (!hour)
        return false;
    int parts[3] = {hour->value, 0, 0};
    int count = 1;
    while (count < 3 && cursor.pos + 1 < cursor.text.size() &&
           timeSeparators.contains(cursor.text.at(cursor.pos)) &&
           cursor.text.at(cursor.pos + 1).isDigit()) {
        ++cursor.pos;
        const auto part = cursor.ReadNumber(2);
        if (!part)
            return false;
        parts[count++] = part->value;
    }
    int after = -1;
    const qsizetype beforeBlanks = cursor.pos;
    cursor.SkipBlanks();
    if (const Name* designator = cursor.Match(designators))
        after = designator->value;
    else
        cursor.pos = beforeBlanks;
    if (before >= 0 && after >= 0)
        return false;
    fields.designator = before >= 0 ? before : after;
    // "8" alone is a number, not a time; "8 AM" is a time.
    if (count == 1 && fields.designator < 0)
        return false;
    fields.hour = parts[0];
    fields.minute = parts[1];
    fields.second = parts[2];
    return true;
}

// The text as one of the locale's own formats writes it.
bool LocaleDates::Reading::ReadFormatted(Cursor& cursor, const Tokens& tokens, DateFields* date,
                                         TimeFields* time) const {
    for (const Token& token : tokens) {
        switch (token.field) {
            case Field::Literal: {
                bool blank = false;
                for (QChar c : token.text) {
                    if (IsBlank(c)) {
                        blank = true;
                        continue;
                    }
                    if (blank && cursor.SkipBlanks() == 0)
                        return false;
                    blank = false;
                    if (cursor.AtEnd() ||
                        cursor.text.at(cursor.pos).toCaseFolded() != c.toCaseFolded())
                        return false;
                    ++cursor.pos;
                }
                if (blank && cursor.SkipBlanks() == 0)
                    return false;
                break;
            }
            case Field::Day:
            case Field::Month:
            case Field::Year: {
                const auto number = cursor.ReadNumber(token.field == Field::Year ? 4 : 2);
                if (!number || !date)
                    return false;
                if (token.field == Field::Year)
                    date->year = *number;
                else
                    (token.field == Field::Day ? date->day : date->month) = number->value;
                break;
            }
            case Field::MonthName: {
                const Name* name = cursor.Match(monthNames);
                if (!name || !date)
                    return false;
                date->month = name->value;
                break;
            }
            case Field::DayName:
                // The weekday follows from the date; it is only skipped.
                if (!cursor.Match(dayNames))
                    return false;
                break;
            case Field::Hour12:
            case Field::Hour24:
            case Field::Minute:
            case Field::Second: {
                const auto number = cursor.ReadNumber(2);
                if (!number || !time)
                    return false;
                if (token.field == Field::Minute)
                    time->minute = number->value;
                else if (token.field == Field::Second)
                    time->second = number->value;
                else
                    time->hour = number->value;
                break;
            }
            case Field::Fraction:
                if (!cursor.ReadNumber(3))
                    return false;
                break;
            case Field::AmPm: {
                const Name* name = cursor.Match(designators);
                if (!name || !time)
                    return false;
                time->designator = name->value;
                break;
            }
            case Field::TimeZone:
                return false;
        }
    }
    return true;
}

// Alternative 0 is the lenient numeric form, 1 the locale's own.
bool LocaleDates::Reading::ReadDatePart(int alternative, Cursor& cursor, DateFields& fields) const {
    return alternative == 0 ? ReadNumericDate(cursor, fields)
                            : ReadFormatted(cursor, shortDate, &fields, nullptr);
}

bool LocaleDates::Reading::ReadTimePart(int alternative, Cursor& cursor, TimeFields& fields) const {
    return alternative == 0 ? ReadNumericTime(cursor, fields)
                            : ReadFormatted(cursor, longTime, nullptr, &fields);
}

std::optional<QDateTime> LocaleDates::Reading::ReadDate(QStringView text) const {
    QString stripped;
    if (std::any_of(text.begin(), text.end(), IsFormatMark)) {
        stripped = WithoutFormatMarks(text.toString());
        text = stripped;
    }
    text = text.trimmed();
    if (text.isEmpty())
        return std::nullopt;

    // A date, alone or followed by blanks and a time.
    for (int dateForm = 0; dateForm < 2; ++dateForm) {
        Cursor cursor{text};
        DateFields dateFields;
        if (!ReadDatePart(dateForm, cursor, dateFields))
            continue;
        const auto date = BuildDate(dateFields);
        if (!date)
            continue;
        if (cursor.AtEnd())
            return MakeDateTime(*date, QTime(0, 0));
        if (cursor.SkipBlanks() == 0)
            continue;
        const qsizetype timeStart = cursor.pos;
        for (int timeForm = 0; timeForm < 2; ++timeForm) {
            cursor.pos = timeStart;
            TimeFields timeFields;
            if (!ReadTimePart(timeForm, cursor, timeFields) || !cursor.AtEnd())
                continue;
            if (const auto time = BuildTime(timeFields))
                return MakeDateTime(*date, *time);
        }
    }
    // A time alone.
    for (int timeForm = 0; timeForm < 2; ++timeForm) {
        Cursor cursor{text};
        TimeFields timeFields;
        if (!ReadTimePart(timeForm, cursor, timeFields) || !cursor.AtEnd())
            continue;
        if (const auto time = BuildTime(timeFields))
            return MakeDateTime(LocaleDates::ZeroDate(), *time);
    }
    return std::nullopt;
}

// Sign, digits with grouping, decimal separator, fraction and exponent, as
// text in the locale; the digits are gathered in the C form and converted
// without regard to the process's C locale.
NumberReading LocaleDates::Reading::ReadNumber(QStringView text) const {
    QString stripped;
    if (std::any_of(text.begin(), text.end(), IsFormatMark)) {
        stripped = WithoutFormatMarks(text.toString());
        text = stripped;
    }
    text = text.trimmed();
    const qsizetype n = text.size();
    qsizetype pos = 0;
    std::string c;
    if (qsizetype length = MatchAt(text, pos, minus)) {
        c += '-';
        pos += length;
    } else if (qsizetype plusLength = MatchAt(text, pos, plus)) {
        pos += plusLength;
    }

    int integerDigits = 0;  // significant digits before the separator
    int leadingFractionZeros = 0;
    bool anyDigit = false;
    bool nonZeroSeen = false;
    while (pos < n) {
        const QChar ch = text.at(pos);
        if (ch.isDigit()) {
            const int digit = ch.digitValue();
            c += char('0' + digit);
            anyDigit = true;
            if (digit != 0)
                nonZeroSeen = true;
            if (nonZeroSeen)
                ++integerDigits;
            ++pos;
            continue;
        }
        // A group separator stands between two digits.
        const qsizetype group = MatchAt(text, pos, groups);
        if (group > 0 && anyDigit && pos + group < n && text.at(pos + group).isDigit() &&
            (decimal.isEmpty() || !text.mid(pos).startsWith(decimal))) {
            pos += group;
            continue;
        }
        break;
    }
    if (pos < n && !decimal.isEmpty() && text.mid(pos).startsWith(decimal)) {
        pos += decimal.size();
        c += '.';
        bool significant = nonZeroSeen;
        while (pos < n && text.at(pos).isDigit()) {
            const int digit = text.at(pos).digitValue();
            c += char('0' + digit);
            anyDigit = true;
            if (digit != 0)
                significant = true;
            if (!significant)
                ++leadingFractionZeros;
            ++pos;
        }
    }
    if (!anyDigit)
        return {};
    long long exponent = 0;
    if (pos < n && (text.at(pos) == u'e' || text.at(pos) == u'E')) {
        ++pos;
        c += 'e';
        bool negative = false;
        if (qsizetype length = MatchAt(text, pos, minus)) {
            negative = true;
            c += '-';
            pos += length;
        } else if (qsizetype plusLength = MatchAt(text, pos, plus)) {
            pos += plusLength;
        }
        const qsizetype digitsStart = pos;
        while (pos < n && text.at(pos).isDigit()) {
            const int digit = text.at(pos).digitValue();
            c += char('0' + digit);
            exponent = std::min<long long>(exponent * 10 + digit, 1'000'000'000);
            ++pos;
        }
        if (pos == digitsStart)
            return {};
        if (negative)
            exponent = -exponent;
    }
    if (pos != n)
        return {};

    NumberReading reading;
    const auto [end, error] = std::from_chars(c.data(), c.data() + c.size(), reading.value);
    if (end != c.data() + c.size())
        return {};
    if (error == std::errc::result_out_of_range) {
        // Too large, or so small that it is zero.
        const long long magnitude =
            (integerDigits > 0 ? integerDigits : -leadingFractionZeros) + exponent;
        if (magnitude > 0)
            return {NumberStatus::TooLarge, 0};
        reading.value = c.front() == '-' ? -0.0 : 0.0;
    } else if (error != std::errc()) {
        return {};
    }
    if (!std::isfinite(reading.value))
        return {NumberStatus::TooLarge, 0};
    reading.status = NumberStatus::Number;
    return reading;
}

// ---------------------------------------------------------------------------

LocaleDates::LocaleDates(const QLocale& locale) : m_locale(locale) {
    const Tokens shortDate = WithFourDigitYear(Tokenize(locale.dateFormat(QLocale::ShortFormat)));
    const Tokens longTime = WithoutTimeZone(Tokenize(locale.timeFormat(QLocale::LongFormat)));
    m_shortDateFormat = Serialize(shortDate);
    m_longTimeFormat = Serialize(longTime);
    m_reading = std::make_shared<const Reading>(locale, shortDate, longTime);
}

QLocale LocaleDates::UserLocale() {
    const QLocale system = QLocale::system();
    // A system that names no language (C, POSIX) gets the forms the original
    // was written against.
    if (system.language() == QLocale::C || system.language() == QLocale::AnyLanguage)
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return system;
}

QString LocaleDates::ShortDate(const QDate& date) const {
    if (!date.isValid())
        return QString();
    return m_locale.toString(date, m_shortDateFormat);
}

QString LocaleDates::LongTime(const QTime& time) const {
    if (!time.isValid())
        return QString();
    return m_locale.toString(QTime(time.hour(), time.minute(), time.second()), m_longTimeFormat);
}

QString LocaleDates::GeneralForm(const QDateTime& value) const {
    if (!value.isValid())
        return QString();
    const QDate date = value.date();
    const QTime time = value.time();
    // The zero date is "no date": a time read alone writes back alone, even
    // at midnight.
    if (date == ZeroDate())
        return LongTime(time);
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return ShortDate(date);
    return ShortDate(date) + u' ' + LongTime(time);
}

QString LocaleDates::DisplayForm(const QDateTime& value) const {
    if (!value.isValid())
        return QString();
    const QTime time = value.time();
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    const QString designator = time.hour() < 12 ? m_locale.amText() : m_locale.pmText();
    const QString text = ShortDate(value.date()) + u' ' +
                         QStringLiteral("%1:%2")
                             .arg(hour12, 2, 10, QChar(u'0'))
                             .arg(time.minute(), 2, 10, QChar(u'0')) +
                         u' ' + designator;
    return text.trimmed();
}

std::optional<QDateTime> LocaleDates::ReadDate(const QString& text) const {
    return m_reading->ReadDate(text);
}

QDateTime LocaleDates::CDate(const QString& text) const {
    const auto value = ReadDate(text);
    if (!value)
        throw RuntimeError::TypeMismatch();
    return *value;
}

std::optional<double> LocaleDates::ReadNumber(const QString& text) const {
    const NumberReading reading = m_reading->ReadNumber(text);
    if (reading.status != NumberStatus::Number)
        return std::nullopt;
    return reading.value;
}

double LocaleDates::CDbl(const QString& text) const {
    const NumberReading reading = m_reading->ReadNumber(text);
    if (reading.status == NumberStatus::TooLarge)
        throw RuntimeError::Overflow();
    if (reading.status != NumberStatus::Number)
        throw RuntimeError::TypeMismatch();
    return reading.value;
}

namespace {
template <class Whole>
Whole ToWhole(double value) {
    const double rounded = LocaleDates::RoundHalfEven(value);
    if (rounded < double(std::numeric_limits<Whole>::min()) ||
        rounded > double(std::numeric_limits<Whole>::max()))
        throw RuntimeError::Overflow();
    return static_cast<Whole>(rounded);
}
}  // namespace

qint16 LocaleDates::CInt(const QString& text) const {
    return ToWhole<qint16>(CDbl(text));
}

qint32 LocaleDates::CLng(const QString& text) const {
    return ToWhole<qint32>(CDbl(text));
}

bool LocaleDates::CBool(const QString& text) const {
    const QString word = text.trimmed();
    if (word.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    return CDbl(text) != 0;
}

double LocaleDates::RoundHalfEven(double value) {
    if (!std::isfinite(value))
        return value;
    const double below = std::floor(value);
    const double fraction = value - below;  // exact for every double
    if (fraction < 0.5)
        return below;
    if (fraction > 0.5)
        return below + 1;
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

QDateTime LocaleDates::DateAdd(Interval interval, qint64 count, const QDateTime& value) {
    if (!value.isValid())
        throw RuntimeError::InvalidProcedureCall();
    // Counts beyond these cannot land inside the years 100 to 9999 from
    // anywhere; refusing them first keeps the multiplications below in range.
    constexpr qint64 kSpanSeconds = 320'000'000'000;  // a little over 9,900 years
    constexpr qint64 kSpanDays = kSpanSeconds / 86400;
    const auto within = [count](qint64 limit) { return count >= -limit && count <= limit; };
    const QDateTime base = MakeDateTime(value.date(), value.time());
    QDateTime result;
    switch (interval) {
        case Interval::Second:
            if (within(kSpanSeconds))
                result = base.addSecs(count);
            break;
        case Interval::Minute:
            if (within(kSpanSeconds / 60))
                result = base.addSecs(count * 60);
            break;
        case Interval::Hour:
            if (within(kSpanSeconds / 3600))
                result = base.addSecs(count * 3600);
            break;
        case Interval::Day:
            if (within(kSpanDays))
                result = base.addDays(count);
            break;
        case Interval::Week:
            if (within(kSpanDays / 7))
                result = base.addDays(count * 7);
            break;
        case Interval::Month:
            // QDate::addMonths gives the month's last day when the day is missing.
            if (within(12 * 10'000))
                result = base.addMonths(int(count));
            break;
        case Interval::Year:
            if (within(10'000))
                result = base.addYears(int(count));
            break;
    }
    if (!result.isValid() || result.date().year() < kFirstYear || result.date().year() > kLastYear)
        throw RuntimeError::InvalidProcedureCall();
    return result;
}

namespace {
qint64 FloorDiv(qint64 numerator, qint64 denominator) {
    const qint64 quotient = numerator / denominator;
    return (numerator % denominator != 0 && (numerator < 0) != (denominator < 0)) ? quotient - 1
                                                                                  : quotient;
}

// Seconds since 1970-01-01 00:00 of the value's own date and time, negative
// before it; the value's zone plays no part.
qint64 WallClockSeconds(const QDateTime& value) {
    const qint64 days = value.date().toJulianDay() - QDate(1970, 1, 1).toJulianDay();
    return days * 86400 + value.time().msecsSinceStartOfDay() / 1000;
}
}  // namespace

qint64 LocaleDates::DateDiffMinutes(const QDateTime& from, const QDateTime& to) {
    if (!from.isValid() || !to.isValid())
        throw RuntimeError::InvalidProcedureCall();
    return FloorDiv(WallClockSeconds(to), 60) - FloorDiv(WallClockSeconds(from), 60);
}

}  // namespace platform
