#include "store/DataFileText.h"

#include <QStringEncoder>

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
    QByteArrayView body(bytes);
    if (body.startsWith(kUtf8Bom))
        body = body.sliced(kUtf8Bom.size());
    if (body.isValidUtf8())
        return QString::fromUtf8(body);
    return DecodeWindows1252(body);
}

void AppendDataFileText(QByteArray& out, QStringView text) {
    QStringEncoder utf8(QStringEncoder::Utf8);
    const qsizetype start = out.size();
    out.resize(start + utf8.requiredSpace(text.size()));
    const char* end = utf8.appendToBuffer(out.data() + start, text);
    out.truncate(end - out.constData());
}

}  // namespace store
