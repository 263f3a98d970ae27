#include "store/RecordEscape.h"

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
        switch (c.unicode()) {
            case u'|':
                escaped.append(QChar(kRecordEscape)).append(u'p');
                break;
            case u'\r':
                escaped.append(QChar(kRecordEscape)).append(u'r');
                break;
            case u'\n':
                escaped.append(QChar(kRecordEscape)).append(u'n');
                break;
            case kRecordEscape:
                escaped.append(QChar(kRecordEscape)).append(u'e');
                break;
            default:
                escaped.append(c);
        }
    }
    return escaped;
}

QString UnescapeRecordValue(const QString& value) {
    if (!value.contains(QChar(kRecordEscape)))
        return value;

    QString plain;
    plain.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c.unicode() != kRecordEscape || i + 1 == value.size()) {
            plain.append(c);
            continue;
        }
        switch (value[i + 1].unicode()) {
            case u'p':
                plain.append(u'|');
                break;
            case u'r':
                plain.append(u'\r');
                break;
            case u'n':
                plain.append(u'\n');
                break;
            case u'e':
                plain.append(QChar(kRecordEscape));
                break;
            default:
                // Not a sequence this program writes: keep both characters.
                plain.append(c);
                continue;
        }
        ++i;
    }
    return plain;
}

}  // namespace store
