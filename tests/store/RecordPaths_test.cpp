// A record is read by one parser from Latin-1 bytes (the data file's ASCII
// lines) or from UTF-16. Both must do exactly what the rules of the record
// say, written out here the plain way (split at "|", find ": ", compare the
// key, read Color in the locale), for the same inputs: values, IsDirty, the
// result, error reports and trace lines alike.

#include <gtest/gtest.h>

#include <QStringList>
#include <random>

#include "addin/contracts/ErrorReport.h"
#include "platform/Env.h"
#include "store/CReminderItem.h"
#include "store/RecordEscape.h"
#include "tests/store/StoreFixture.h"

namespace store_tests {
namespace {

const QString kSource = QStringLiteral("Chasewell.CReminderItem.LoadData");

struct Held {
    QString values[7];
    qint32 color = 0;
    bool dirty = false;
    bool operator==(const Held&) const = default;
};

void PrintTo(const Held& held, std::ostream* out) {
    for (const QString& value : held.values) *out << '[' << value.toStdString() << "] ";
    *out << "color " << held.color << (held.dirty ? " dirty" : " clean");
}

Held Of(const CReminderItem& item) {
    return {{item.EmailAddress(), item.EntryId(), item.StoreId(), item.SentDateText(),
             item.ReminderDateText(), item.Subject(), item.Note()},
            item.Color(),
            item.IsDirty()};
}

// Values already held, so that what a record leaves alone shows.
Held Start() {
    return {
        {"old@x", "E0", "S0", "3/1/2024 9:00:00 AM", "3/2/2024 9:00:00 AM", "Old", "n0"}, 7, true};
}

void Fill(CReminderItem& item, const Held& held) {
    item.setEmailAddress(held.values[0]);
    item.setEntryId(held.values[1]);
    item.setStoreId(held.values[2]);
    item.setSentDate(held.values[3]);
    item.setReminderDate(held.values[4]);
    item.setSubject(held.values[5]);
    item.setNote(held.values[6]);
    item.setColor(held.color);
    item.setIsDirty(held.dirty);
}

// The rules of the record, followed step by step.
bool ReferenceLoad(Held& held, const QString& input) {
    static const QStringList kKeys = {"EmailAddress", "EntryId", "StoreId", "SentDate",
                                      "ReminderDate", "Subject", "Note"};
    bool complete = true;
    try {
        const QStringList pieces = input.isEmpty() ? QStringList() : input.split(u'|');
        for (const QString& piece : pieces) {
            const qsizetype separator = piece.indexOf(QStringLiteral(": "));
            if (separator < 0)
                throw platform::RuntimeError::InvalidProcedureCall();
            const QString key = piece.left(separator);
            const QString value = piece.mid(separator + 2);
            const qsizetype field = kKeys.indexOf(key);
            if (key == QLatin1String("Color")) {
                held.color = platform::Dates().CLng(value);
            } else if (field >= 0) {
                held.values[field] = store::UnescapeRecordValue(value);
            } else {
                complete = false;
                engine::ReportError("Error occurred.  Couldn't find keyword name/value: " + key +
                                        ' ' + store::UnescapeRecordValue(value),
                                    1, kSource);
            }
        }
        held.dirty = false;
        engine::WriteTrace(
            kSource, "Email Address: " + held.values[0] + "\r\nEntryId: " + held.values[1] +
                         "\r\nSentDate: " + held.values[3] + "\r\nReminderDate: " + held.values[4] +
                         "\r\nColor: " + QString::number(held.color) +
                         "\r\nSubject: " + held.values[5] + "\r\nNote: " + held.values[6]);
    } catch (...) {
        complete = false;
        engine::ReportError(
            "Error occurred loading reminder data.  Reason: " + platform::CurrentErrorDescription(),
            1, kSource);
    }
    return complete;
}

struct Outcome {
    Held held;
    bool complete = false;
    std::vector<host::ErrorReportRecord> errors;
    std::vector<host::TraceLine> traces;
};

class RecordPathsTest : public StoreFixture {
protected:
    template <class Load>
    Outcome Run(Load&& load) {
        log.Clear();
        Outcome outcome;
        outcome.complete = load(outcome.held);
        outcome.errors = log.Errors();
        outcome.traces = log.Traces();
        return outcome;
    }

    Outcome Reference(const QString& input) {
        return Run([&](Held& held) {
            held = Start();
            return ReferenceLoad(held, input);
        });
    }
    Outcome FromUtf16(const QString& input) {
        return Run([&](Held& held) {
            CReminderItem item;
            Fill(item, Start());
            const bool complete = item.LoadData(input);
            held = Of(item);
            return complete;
        });
    }
    Outcome FromLatin1(const QByteArray& input) {
        return Run([&](Held& held) {
            CReminderItem item;
            Fill(item, Start());
            const bool complete = item.LoadData(QLatin1StringView(input));
            held = Of(item);
            return complete;
        });
    }

    // Both parsers agree with the rules on a Latin-1 record.
    void ExpectSameForLatin1(const QByteArray& input) {
        const Outcome expected = Reference(QString::fromLatin1(input));
        ExpectSame(FromLatin1(input), expected, "Latin-1", QString::fromLatin1(input));
        ExpectSame(FromUtf16(QString::fromLatin1(input)), expected, "UTF-16",
                   QString::fromLatin1(input));
    }
    void ExpectSameForUtf16(const QString& input) {
        ExpectSame(FromUtf16(input), Reference(input), "UTF-16", input);
    }

    static void ExpectSame(const Outcome& got, const Outcome& expected, const char* path,
                           const QString& input) {
        const std::string what = std::string(path) + " parse of \"" + input.toStdString() + "\"";
        EXPECT_EQ(got.held, expected.held) << what;
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(got.held.values[i].isNull(), expected.held.values[i].isNull()) << what;
        EXPECT_EQ(got.complete, expected.complete) << what;
        EXPECT_EQ(got.errors, expected.errors) << what;
        EXPECT_EQ(got.traces, expected.traces) << what;
    }
};

TEST_F(RecordPathsTest, OddRecordsReadTheSameByEveryPath) {
    const char* const records[] = {
        "",
        "|",
        "Note: a|",
        "|Note: a",
        "Note: ",
        ": x",
        ": ",
        "Note:x",
        "Note :x",
        "Note:: x",
        "Note:  two blanks",
        "Subject: RE: a: b |Note: c:|Color: 3",
        "Subject: x|Subject: y|Color: 1|Color: -2",
        "color: 5| Color: 6|Subject : s|Notes: n|Note: kept",
        "EmailAddress: a|Color:5|Note: lost",
        "EmailAddress: a|Color: red|Note: lost",
        "Color: 1.5|Note: x",
        "Color: 2.5",
        "Color:  7 ",
        "Color: -0",
        "Color: 007",
        "Color: +5",
        "Color: 2147483647",
        "Color: -2147483648",
        "Color: 2147483648",
        "Color: 999999999",
        "Color: 9999999999",
        "Color: 1,000",
        "Color: ",
        "Color: -",
        "Subject: Caf\xE9 \xA0\xFF|Note: \x80\x9F",
        "EmailAddress: pat@x|EntryId: 00AB|StoreId: 00CD|SentDate: 3/4/2024 9:15:00 AM|"
        "ReminderDate: 3/7/2024 8:00:00 AM|Color: 255|Subject: Quarterly figures|Note: call",
        "EmailAddress: a\tb|Note: \x01\x02",
        "Other: x|EntryId: z",
        "EmailAddresses: x|ReminderDates: y|SentDat: z|Not: n|Colour: 1",
        "   ",
    };
    for (const char* record : records) ExpectSameForLatin1(QByteArray(record));
    // A NUL byte is a character like any other.
    ExpectSameForLatin1(QByteArray("Note: a\0b|Subject: c", 20));
    for (const QString& record :
         {QStringLiteral(u"Subject: a\uE000pb|Note: \uE000r\uE000n\uE000e\uE000x\uE000"),
          QStringLiteral(u"Th\uE000p: x|Note: \uE000"),
          QStringLiteral(u"Subject: \u20AC \U0001F600"), QStringLiteral(u"Color: \u0663"),
          QStringLiteral(u"Note:\u00A0x")})
        ExpectSameForUtf16(record);
}

// Records made of the pieces a record is made of, in every order and
// combination, with separators and values that are sometimes wrong.
TEST_F(RecordPathsTest, GeneratedRecordsReadTheSameByEveryPath) {
    std::mt19937 random(20240307);
    const auto pick = [&](const auto& choices) {
        return choices[std::uniform_int_distribution<size_t>(0, std::size(choices) - 1)(random)];
    };
    const char* const keys[] = {"EmailAddress", "EntryId", "StoreId", "SentDate",
                                "ReminderDate", "Color",   "Subject", "Note",
                                "color",        " Note",   "Colour",  ""};
    const char* const separators[] = {": ", ": ", ": ", ": ", ":", " ", "", ":  "};
    const char* const values[] = {"a",   "b c", ": ", ":",    "7",    "-12", "1.5",       "2.5",
                                  " 3 ", "",    "x",  "\xE9", "\x85", "0",   "9999999999"};
    const char16_t* const utf16Values[] = {u"\uE000p", u"\uE000", u"\u20AC", u"\uE000e\uE000q"};
    for (int n = 0; n < 400; ++n) {
        QByteArray record;
        QString withEscapes;
        const int pieces = std::uniform_int_distribution<int>(0, 9)(random);
        for (int p = 0; p < pieces; ++p) {
            QByteArray piece = QByteArray(pick(keys)) + pick(separators);
            for (int v = std::uniform_int_distribution<int>(0, 2)(random); v > 0; --v)
                piece += pick(values);
            if (p > 0) {
                record += '|';
                withEscapes += u'|';
            }
            record += piece;
            withEscapes += QString::fromLatin1(piece);
            if (random() % 4 == 0)
                withEscapes += QStringView(pick(utf16Values));
        }
        ExpectSameForLatin1(record);
        ExpectSameForUtf16(withEscapes);
    }
}

}  // namespace
}  // namespace store_tests
