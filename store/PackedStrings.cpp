#include "store/PackedStrings.h"

#include <cstring>
#include <new>
#include <stdexcept>

#include "store/RecordEscape.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace store {

PackedStrings::PackedStrings(qsizetype totalChars, int count) {
    // Every string's characters are followed by a null.
    const qsizetype capacity = totalChars + count;
    if (capacity <= 0)
        return;
    auto [header, data] = QTypedArrayData<char16_t>::allocate(capacity);
    if (!header)
        throw std::bad_alloc();
    m_block = QString::DataPointer(header, data, 0);
    m_next = data;
    m_end = data + capacity;
}

// The block goes with m_block's reference once no string holds one.
PackedStrings::~PackedStrings() = default;

QString PackedStrings::AddLatin1(const char* chars, qsizetype size) {
    char16_t* out = Reserve(size);
    if (!out)
        return QString(reinterpret_cast<const QChar*>(u""), 0);
    const auto* in = reinterpret_cast<const unsigned char*>(chars);
    qsizetype i = 0;
#if defined(__SSE2__)
    // Sixteen at a time, then eight: every value of every reminder is
    // widened on a load.
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= size; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(bytes, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(bytes, zero));
    }
    if (i + 8 <= size) {
        const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(bytes, zero));
        i += 8;
    }
#endif
    for (; i < size; ++i) out[i] = in[i];
    return Finish(out, size);
}

QString PackedStrings::AddUtf16(const char16_t* chars, qsizetype size) {
    char16_t* out = Reserve(size);
    if (!out)
        return QString(reinterpret_cast<const QChar*>(u""), 0);
    std::memcpy(out, chars, static_cast<size_t>(size) * sizeof(char16_t));
    return Finish(out, size);
}

QString PackedStrings::AddUnescaped(QStringView escaped) {
    char16_t* out = Reserve(escaped.size());
    if (!out)
        return QString(reinterpret_cast<const QChar*>(u""), 0);
    return Finish(out, UnescapeRecordValueInto(escaped, out));
}

char16_t* PackedStrings::Reserve(qsizetype size) {
    // An empty text is an empty string, as QStringView::toString gives it:
    // not null, and holding no part of the block.
    if (size == 0)
        return nullptr;
    // The callers count what they add; more would be a fault of theirs.
    Q_ASSERT(m_next && m_end - m_next >= size + 1);
    if (!m_next || m_end - m_next < size + 1)
        throw std::length_error("PackedStrings: more text than room was made for");
    return m_next;
}

QString PackedStrings::Finish(char16_t* start, qsizetype size) {
    if (size == 0)
        return QString(reinterpret_cast<const QChar*>(u""), 0);
    start[size] = u'\0';
    m_next = start + size + 1;
    m_block.d_ptr()->ref();
    return QString(QString::DataPointer(m_block.d_ptr(), start, size));
}

}  // namespace store
