#pragma once

#include <QString>
#include <QStringView>

namespace store {

// Makes several QStrings whose characters lie in one shared allocation.
//
// A reminder holds seven texts. As separate strings each costs an
// allocation with its own header, which for 100,000 loaded reminders came to
// about a fifth of their memory and as much of the time spent loading them.
// Packed, they cost one. Each string is an ordinary QString that shares the
// block, as copies of one string share theirs: changing one makes it a
// string of its own and leaves the others as they are. The block is freed
// with the last string that uses it.
//
// Each string is followed by a terminating null in the block, as every
// QString's characters are.
class PackedStrings {
public:
    // Room for texts of up to totalChars characters in all, in up to count
    // strings.
    PackedStrings(qsizetype totalChars, int count);
    ~PackedStrings();
    PackedStrings(const PackedStrings&) = delete;
    PackedStrings& operator=(const PackedStrings&) = delete;

    // A string of the text, each byte taken as the character of that number
    // (Latin-1, as QString::fromLatin1).
    QString AddLatin1(const char* chars, qsizetype size);
    QString AddUtf16(const char16_t* chars, qsizetype size);
    // The text with the record's escape sequences undone, as
    // store::UnescapeRecordValue does.
    QString AddUnescaped(QStringView escaped);

private:
    char16_t* Reserve(qsizetype size);
    QString Finish(char16_t* start, qsizetype size);

    QString::DataPointer m_block;
    char16_t* m_next = nullptr;
    char16_t* m_end = nullptr;
};

}  // namespace store
