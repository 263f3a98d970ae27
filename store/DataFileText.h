#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace store {

// The data file's text encoding. This program writes UTF-8 without a byte
// order mark. Installations on the original platform wrote the system's ANSI
// code page (Windows-1252 for Western languages), so reading accepts both:
// a leading UTF-8 byte order mark is skipped; bytes that are valid UTF-8 are
// UTF-8 (plain ASCII is both); anything else is Windows-1252, which assigns
// every byte a character, so an older file loses none.
QString DecodeDataFileText(const QByteArray& bytes);
// Appends the text, encoded, to out.
void AppendDataFileText(QByteArray& out, QStringView text);

// Windows-1252, byte for byte. The five bytes the code page leaves
// unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 controls of the
// same number, as the platform's own conversion did.
QString DecodeWindows1252(QByteArrayView bytes);

}  // namespace store
