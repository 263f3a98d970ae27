#include "store/DataFileText.h"

#include <QStringDecoder>
#include <cstdint>
#include <cstring>

namespace store {

namespace {

// 0x80 to 0x9F; the rest of the code page is ISO 8859-1.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF", 3);

QByteArrayView Body(QByteArrayView bytes) {
    return bytes.startsWith(kUtf8Bom) ? bytes.sliced(kUtf8Bom.size()) : bytes;
}

// Whether every byte is below 0x80, looked at eight at a time.
bool AllAscii(const char* bytes, qsizetype size) {
    std::uint64_t high = 0;
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, sizeof word);
        high |= word;
    }
    for (; i < size; ++i) high |= static_cast<unsigned char>(bytes[i]);
    return (high & 0x8080808080808080u) == 0;
}

// The CR of the first CR LF in [from, end), or end.
const char* FindLineEnd(const char* from, const char* end) {
    while (from < end) {
        const auto* cr = static_cast<const char*>(std::memchr(from, '\r', size_t(end - from)));
        if (!cr || cr + 1 == end)
            return end;
        if (cr[1] == '\n')
            return cr;
        from = cr + 1;
    }
    return end;
}

}  // namespace

QString DecodeWindows1252(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *out++ = QChar(b >= 0x80 && b <= 0x9F ? kWindows1252High[b - 0x80] : char16_t(b));
    }
    return text;
}

QString DecodeDataFileText(const QByteArray& bytes) {
    const QByteArrayView body = Body(bytes);
    if (body.isValidUtf8())
        return QString::fromUtf8(body);
    return DecodeWindows1252(body);
}

DataFileLines::DataFileLines(QByteArrayView bytes) : m_body(Body(bytes)), m_next(m_body.data()) {}

bool DataFileLines::Next() {
    const char* const end = m_body.data() + m_body.size();
    while (m_next && m_next < end) {
        const char* const line = m_next;
        const char* const lineEnd = FindLineEnd(line, end);
        m_next = lineEnd == end ? end : lineEnd + 2;
        const qsizetype size = lineEnd - line;
        if (size == 0)
            continue;
        m_ascii = AllAscii(line, size);
        if (m_ascii) {
            m_asciiLine = QLatin1StringView(line, size);
            m_decodedLine.clear();
            return true;
        }
        // The encoding is the whole file's: only a line that is not ASCII
        // needs it, and most files have none.
        if (m_encoding == Encoding::NotYetKnown)
            m_encoding = m_body.isValidUtf8() ? Encoding::Utf8 : Encoding::Windows1252;
        const QByteArrayView bytes(line, size);
        if (m_encoding == Encoding::Windows1252) {
            m_decodedLine = DecodeWindows1252(bytes);
        } else if (line == m_body.data()) {
            // Decoding the file would drop a byte order mark here, at its
            // start (one more, after the one skipped already).
            m_decodedLine = QString::fromUtf8(bytes);
        } else {
            // But nowhere else.
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
            m_decodedLine = utf8.decode(bytes);
        }
        m_asciiLine = QLatin1StringView();
        return true;
    }
    return false;
}

QString DataFileLines::Line() const {
    return m_ascii ? QString(m_asciiLine) : m_decodedLine;
}

}  // namespace store
