#include "store/RecordEscape.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace store {

namespace {

inline bool NeedsEscape(char16_t u) {
    return (u == u'|') | (u == u'\r') | (u == u'\n') | (u == kRecordEscape);
}
inline bool NeedsEscape(QChar c) {
    return NeedsEscape(c.unicode());
}

// Whether any character needs escaping. Nearly every value holds none, and
// every value of every record is looked at on each save, so this looks at
// eight characters at a time without branching, which compilers turn into
// vector instructions.
bool AnyNeedsEscape(QStringView text) {
    const char16_t* chars = text.utf16();
    const qsizetype size = text.size();
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        unsigned hits = 0;
        for (int k = 0; k < 8; ++k) hits |= NeedsEscape(chars[i + k]);
        if (hits)
            return true;
    }
    for (; i < size; ++i)
        if (NeedsEscape(chars[i]))
            return true;
    return false;
}

// The letter that follows U+E000 for a character that needs escaping.
char16_t EscapeLetter(char16_t c) {
    switch (c) {
        case u'|':
            return u'p';
        case u'\r':
            return u'r';
        case u'\n':
            return u'n';
        default:
            return u'e';
    }
}

// The character an escape letter stands for; 0 for a letter that is none.
char16_t EscapedCharacter(char16_t letter) {
    switch (letter) {
        case u'p':
            return u'|';
        case u'r':
            return u'\r';
        case u'n':
            return u'\n';
        case u'e':
            return kRecordEscape;
        default:
            return 0;
    }
}

#if defined(__SSE2__)
// Characters narrowed to bytes with _mm_packus_epi16, which saturates as if
// they were signed: ASCII stays as it is, 0x80 to 0x7FFF become bytes with
// the top bit set, and 0x8000 up become 0, as NUL does. The bits of the
// result are set for the bytes that are not ASCII written as it stands:
// the top bit, 0 (a NUL then takes the slow way, which writes it as it is),
// "|", CR and LF.
inline int NotPlain(__m128i bytes) {
    const __m128i special = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('|')),
                                                      _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r'))),
                                         _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')),
                                                      _mm_cmpeq_epi8(bytes, _mm_setzero_si128())));
    return _mm_movemask_epi8(_mm_or_si128(bytes, special));
}

inline __m128i Load8(const char16_t* in) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
}

// Copies eight characters when all are plain.
inline bool CopyPlain8(const char16_t* in, char* out) {
    const __m128i chars = Load8(in);
    const __m128i bytes = _mm_packus_epi16(chars, chars);
    if ((NotPlain(bytes) & 0xFF) != 0)
        return false;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), bytes);
    return true;
}
#endif

// Copies the leading characters that are ASCII written as they stand (no
// "|", CR or LF) and returns how many it copied; the rest is left to the
// caller. Nearly every value is nothing else, and every value of every
// record is written on each save, so this goes sixteen at a time, then
// eight, and a plain run that ends the value is finished with its last
// eight, overlapping what was copied already.
qsizetype CopyPlainAscii(const char16_t* in, qsizetype size, char* out) {
    qsizetype done = 0;
#if defined(__SSE2__)
    for (; done + 16 <= size; done += 16) {
        const __m128i bytes = _mm_packus_epi16(Load8(in + done), Load8(in + done + 8));
        if (NotPlain(bytes) != 0)
            break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done), bytes);
    }
    if (done + 8 <= size && CopyPlain8(in + done, out + done))
        done += 8;
    if (done < size && size >= 8 && done + 8 > size && CopyPlain8(in + size - 8, out + size - 8))
        done = size;
#else
    Q_UNUSED(in);
    Q_UNUSED(size);
    Q_UNUSED(out);
#endif
    return done;
}

char* WriteUtf8(char* out, char32_t c) {
    if (c < 0x80) {
        *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | (c >> 6));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (c >> 12));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (c >> 18));
        *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

}  // namespace

QString EscapeRecordValue(const QString& value) {
    if (!AnyNeedsEscape(value))
        return value;
    qsizetype first = 0;
    while (!NeedsEscape(value[first])) ++first;

    QString escaped;
    escaped.reserve(value.size() + 8);
    escaped.append(QStringView(value).left(first));
    for (qsizetype i = first; i < value.size(); ++i) {
        const QChar c = value[i];
        if (NeedsEscape(c))
            escaped.append(QChar(kRecordEscape)).append(QChar(EscapeLetter(c.unicode())));
        else
            escaped.append(c);
    }
    return escaped;
}

QString UnescapeRecordValue(const QString& value) {
    if (!value.contains(QChar(kRecordEscape)))
        return value;
    QString plain(value.size(), Qt::Uninitialized);
    plain.truncate(UnescapeRecordValueInto(value, reinterpret_cast<char16_t*>(plain.data())));
    return plain;
}

qsizetype UnescapeRecordValueInto(QStringView value, char16_t* out) {
    const char16_t* in = value.utf16();
    const qsizetype size = value.size();
    qsizetype written = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = in[i];
        const char16_t escaped =
            c == kRecordEscape && i + 1 < size ? EscapedCharacter(in[i + 1]) : 0;
        if (escaped) {
            out[written++] = escaped;
            ++i;
        } else {
            // Also U+E000 that leads no sequence this program writes: it
            // stays, and so does the character after it.
            out[written++] = c;
        }
    }
    return written;
}

char* WriteEscapedUtf8(char* out, QStringView value) {
    const char16_t* in = value.utf16();
    const char16_t* const end = in + value.size();
    while (in < end) {
        if (end - in >= 8) {
            const qsizetype copied = CopyPlainAscii(in, end - in, out);
            in += copied;
            out += copied;
            if (in == end)
                break;
        }
        const char16_t c = *in++;
        if (c < 0x80 && c != u'|' && c != u'\r' && c != u'\n') {
            *out++ = static_cast<char>(c);
        } else if (NeedsEscape(c)) {
            out = WriteUtf8(out, kRecordEscape);
            *out++ = static_cast<char>(EscapeLetter(c));
        } else if (QChar::isHighSurrogate(c) && in < end && QChar::isLowSurrogate(*in)) {
            out = WriteUtf8(out, QChar::surrogateToUcs4(c, *in++));
        } else if (QChar::isSurrogate(c)) {
            out = WriteUtf8(out, QChar::ReplacementCharacter);
        } else {
            out = WriteUtf8(out, c);
        }
    }
    return out;
}

}  // namespace store
