#pragma once

#include <QString>
#include <QStringView>

namespace store {

// A record is one line of "Key: value" fields joined by "|", so a value may
// contain neither "|" nor a line break. Such characters are written as a
// two-character sequence led by U+E000, a private-use character: files from
// installations that wrote ANSI text cannot contain it, so any record
// without it reads exactly as it always did.
//
//   U+E000 'p'  "|"
//   U+E000 'r'  CR
//   U+E000 'n'  LF
//   U+E000 'e'  U+E000 itself
inline constexpr char16_t kRecordEscape = u'\uE000';

// The value with "|", CR, LF and U+E000 replaced by their sequences; the
// value itself (shared, not copied) when it holds none of them.
QString EscapeRecordValue(const QString& value);

// Undoes EscapeRecordValue. U+E000 followed by any other character, or at
// the very end, is kept as it stands.
QString UnescapeRecordValue(const QString& value);
// The same into out, which has room for value.size() characters (undoing
// never lengthens a text); returns the number written.
qsizetype UnescapeRecordValueInto(QStringView value, char16_t* out);

// Writes the value as the data file holds it: escaped as EscapeRecordValue
// does and encoded as UTF-8, in one pass. A lone surrogate, which UTF-8
// cannot hold, becomes U+FFFD. Returns the end of what was written, at most
// kMaxEscapedUtf8PerChar bytes for each character of the value.
char* WriteEscapedUtf8(char* out, QStringView value);
inline constexpr qsizetype kMaxEscapedUtf8PerChar = 4;

}  // namespace store
