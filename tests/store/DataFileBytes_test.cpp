// The data file's bytes as the collection reads and writes them: lines found
// in the bytes give what decoding the whole file and splitting it gives, and
// a record written straight to UTF-8 is its text, encoded.

#include <gtest/gtest.h>

#include <QStringEncoder>
#include <random>

#include "store/CReminderItem.h"
#include "store/DataFileText.h"
#include "tests/store/StoreFixture.h"

namespace store_tests {
namespace {

using store::DataFileLines;

// What the lines must be: the whole file decoded, split at every CR LF,
// without the empty lines.
QStringList ExpectedLines(const QByteArray& bytes) {
    return store::DecodeDataFileText(bytes).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

QStringList LinesRead(const QByteArray& bytes) {
    QStringList lines;
    DataFileLines reader(bytes);
    while (reader.Next()) {
        EXPECT_EQ(reader.IsAscii(), reader.Line().toLatin1() == reader.AsciiLine().toString() &&
                                        !reader.AsciiLine().isEmpty());
        lines << reader.Line();
    }
    return lines;
}

TEST(DataFileLinesTest, OddFilesGiveTheLinesOfTheDecodedText) {
    const QByteArray files[] = {
        "",
        "\r\n\r\n",
        "a",
        "a\r\nb",
        "a\r\nb\r\n",
        "a\rb\nc\r\n",
        "a\r\r\nb\r",
        "\r",
        "\n\r\n\r",
        "   \r\n \r\n",
        QByteArray("a\0b\r\n\0", 6),
        "\xEF\xBB\xBF",
        "\xEF\xBB\xBF\r\nSubject: x",
        "\xEF\xBB\xBF\xEF\xBB\xBFSubject: x\r\n\xEF\xBB\xBFNote: y",
        "\xEF\xBB",
        "Subject: Caf\xC3\xA9\r\nNote: \xE2\x82\xAC",
        // The encoding is the whole file's: valid UTF-8 on one line, a byte
        // that is not on a later one, and all of it is Windows-1252.
        "Subject: Caf\xC3\xA9\r\nplain\r\nNote: \xE9",
        "Subject: Caf\xE9 \x92quoted\x92|Note: \x80 \x9C \x81\r\n",
        "\xC3\r\n\xA9",
        "\xF0\x9F\x98\x80\r\n\xED\xA0\x80",
    };
    for (const QByteArray& file : files)
        EXPECT_EQ(LinesRead(file), ExpectedLines(file)) << file.toStdString();
}

TEST(DataFileLinesTest, GeneratedFilesGiveTheLinesOfTheDecodedText) {
    std::mt19937 random(7);
    const char* const pieces[] = {"\r",   "\n",         "\r\n",         "a",
                                  " ",    "Subject: x", "\xC3\xA9",     "\xC3",
                                  "\xE9", "\x80",       "\xEF\xBB\xBF", "\xE2\x82\xAC"};
    for (int n = 0; n < 500; ++n) {
        QByteArray file;
        for (int p = std::uniform_int_distribution<int>(0, 12)(random); p > 0; --p)
            file += pieces[random() % std::size(pieces)];
        ASSERT_EQ(LinesRead(file), ExpectedLines(file)) << file.toStdString();
    }
}

// The reference: the record's text in UTF-8, a lone surrogate as U+FFFD.
QByteArray EncodedRecord(const CReminderItem& item) {
    QStringEncoder utf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    return utf8.encode(item.SaveData());
}

QByteArray AppendedRecord(const CReminderItem& item) {
    QByteArray out("before");
    item.AppendRecord(out);
    EXPECT_TRUE(out.startsWith("before"));
    return out.mid(6);
}

class RecordBytesTest : public StoreFixture {
protected:
    // The bytes read back as a line of the file give the same values.
    void ExpectRoundTrip(const CReminderItem& item, const QByteArray& bytes) {
        DataFileLines lines(bytes);
        ASSERT_TRUE(lines.Next());
        CReminderItem back;
        EXPECT_TRUE(lines.IsAscii() ? back.LoadData(lines.AsciiLine())
                                    : back.LoadData(lines.DecodedLine()));
        EXPECT_EQ(back.SaveData(), item.SaveData());
        EXPECT_EQ(back.Subject(), item.Subject());
        EXPECT_EQ(back.Note(), item.Note());
        EXPECT_FALSE(lines.Next());
    }
};

TEST_F(RecordBytesTest, RecordsAreWrittenAsTheirTextEncoded) {
    CReminderItem item;
    EXPECT_EQ(AppendedRecord(item),
              "EmailAddress: |EntryId: |StoreId: |SentDate: |ReminderDate: |Color: 0|Subject: "
              "|Note: ");
    for (const qint32 color : {0, 255, -1, INT32_MIN, INT32_MAX}) {
        item.setColor(color);
        EXPECT_EQ(AppendedRecord(item), EncodedRecord(item));
    }
    // Escapes, characters of two, three and four bytes, and surrogates
    // without their other half, at every place of the vector steps.
    const QString specials[] = {QStringLiteral("|"),
                                QStringLiteral("\r"),
                                QStringLiteral("\n"),
                                QStringLiteral(u"\uE000"),
                                QStringLiteral(u"\u00E9"),
                                QStringLiteral(u"\u20AC"),
                                QStringLiteral(u"\U0001F600"),
                                QString(QChar(0xD83D)),
                                QString(QChar(0xDE00)),
                                QStringLiteral(u"\u00FF"),
                                QStringLiteral(u"\u0100"),
                                QStringLiteral("\x7F"),
                                QString(QChar(0)),
                                QStringLiteral(u"\u8000"),
                                QStringLiteral(u"\uFFFF")};
    for (const QString& special : specials) {
        for (int length : {1, 7, 8, 9, 15, 16, 17, 24, 31, 33}) {
            for (int at = 0; at < length; ++at) {
                QString value(length, u'x');
                value.replace(at, 1, special);
                item.setSubject(value);
                item.setNote(value + value);
                ASSERT_EQ(AppendedRecord(item), EncodedRecord(item))
                    << value.toStdString() << " " << at;
            }
        }
    }
    item.setSubject(QStringLiteral(u"Caf\u00E9 | \uE000p\r\n \U0001F600 \u20AC"));
    item.setNote(QStringLiteral("plain ASCII, long enough for the vector steps to run"));
    ExpectRoundTrip(item, AppendedRecord(item) + "\r\n");
}

}  // namespace
}  // namespace store_tests
