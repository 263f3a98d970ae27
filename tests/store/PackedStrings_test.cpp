// Strings that share one allocation behave as strings of their own.

#include "store/PackedStrings.h"

#include <gtest/gtest.h>

#include "tests/support/QtPrinters.h"

namespace {

using store::PackedStrings;

TEST(PackedStringsTest, EachStringIsItsOwnWhateverHappensToTheOthers) {
    QString a, b, c, empty;
    {
        PackedStrings strings(3 + 5 + 4, 3);
        a = strings.AddLatin1("abc", 3);
        b = strings.AddUtf16(u"d\u20ACfgh", 5);
        c = strings.AddUnescaped(QStringView(u"x\uE000py"));
        empty = strings.AddLatin1("", 0);
    }  // the builder goes; the strings keep the block
    EXPECT_EQ(a, "abc");
    EXPECT_EQ(b, QStringLiteral(u"d\u20ACfgh"));
    EXPECT_EQ(c, "x|y");
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_FALSE(empty.isNull());
    // Every one ends in a null, as a QString's characters do.
    EXPECT_EQ(a.utf16()[3], 0);
    EXPECT_EQ(b.utf16()[5], 0);
    EXPECT_EQ(c.utf16()[3], 0);

    // Changing one leaves the others as they were.
    a.append("defgh");
    b.chop(2);
    EXPECT_EQ(a, "abcdefgh");
    EXPECT_EQ(b, QStringLiteral(u"d\u20ACf"));
    EXPECT_EQ(c, "x|y");

    // The last one holding the block may change it in place.
    QString copy = c;
    a.clear();
    b = QString();
    copy.clear();
    c.append(QStringLiteral(" and more than the block had room for"));
    c.prepend(u'>');
    EXPECT_EQ(c, ">x|y and more than the block had room for");
}

TEST(PackedStringsTest, Latin1TextOfAnyLengthIsWidenedByteForByte) {
    QByteArray bytes;
    for (int i = 0; i < 48; ++i) bytes += char(0xFF - i * 5);
    for (qsizetype length = 0; length <= bytes.size(); ++length) {
        PackedStrings strings(length, 1);
        EXPECT_EQ(strings.AddLatin1(bytes.constData(), length),
                  QString::fromLatin1(bytes.constData(), length))
            << length;
    }
}

TEST(PackedStringsTest, TextsOfNothingTakeNoRoom) {
    PackedStrings none(0, 0);
    EXPECT_EQ(none.AddUtf16(u"", 0), "");
    EXPECT_EQ(none.AddUnescaped(QStringView()), "");
}

}  // namespace
