#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLatin1StringView>
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

// Windows-1252, byte for byte. The five bytes the code page leaves
// unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 controls of the
// same number, as the platform's own conversion did.
QString DecodeWindows1252(QByteArrayView bytes);

// The lines of the data file: the text DecodeDataFileText gives, split at
// every CR LF, without the empty lines.
//
// They are found in the bytes, without decoding the whole file first: CR and
// LF are single bytes in UTF-8 and in Windows-1252 alike, and never part of
// another character. A line of plain ASCII, as nearly every line is, reads
// the same in either encoding and is handed over as its bytes; any other
// line is decoded, in the encoding the whole file is in.
class DataFileLines {
public:
    // The bytes must outlive the reader.
    explicit DataFileLines(QByteArrayView bytes);

    // Moves to the next line that is not empty; false after the last.
    bool Next();

    // The current line, which is either plain ASCII, as its bytes, or
    // decoded; both stay valid until the next call of Next.
    bool IsAscii() const { return m_ascii; }
    QLatin1StringView AsciiLine() const { return m_asciiLine; }
    QStringView DecodedLine() const { return m_decodedLine; }
    // Whichever it is, as a string.
    QString Line() const;

private:
    enum class Encoding { NotYetKnown, Utf8, Windows1252 };

    QByteArrayView m_body;
    const char* m_next;
    Encoding m_encoding = Encoding::NotYetKnown;
    bool m_ascii = false;
    QLatin1StringView m_asciiLine;
    QString m_decodedLine;
};

}  // namespace store
