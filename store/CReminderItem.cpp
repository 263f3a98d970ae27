#include "store/CReminderItem.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <iterator>

#include "addin/contracts/ErrorReport.h"
#include "platform/Env.h"
#include "platform/RuntimeError.h"
#include "store/ChangeSignal.h"
#include "store/PackedStrings.h"
#include "store/RecordEscape.h"
#include "store/TextRules.h"

namespace {

const QString kLoadSource = QStringLiteral("Chasewell.CReminderItem.LoadData");

// The record is parsed from Latin-1 text (char: the data file's plain ASCII
// lines, read without widening them first) or from UTF-16 (char16_t), by
// one parser written for both.

inline char16_t Unit(char c) {
    return static_cast<unsigned char>(c);
}
inline char16_t Unit(char16_t c) {
    return c;
}

inline const char* FindChar(const char* from, const char* end, char c) {
    const void* found = std::memchr(from, c, static_cast<size_t>(end - from));
    return found ? static_cast<const char*>(found) : end;
}
inline const char16_t* FindChar(const char16_t* from, const char16_t* end, char16_t c) {
    const qsizetype at = QStringView(from, end - from).indexOf(QChar(c));
    return at < 0 ? end : from + at;
}

// The first ": " (colon and blank) in [from, end), or end.
template <class Char>
const Char* FindSeparator(const Char* from, const Char* end) {
    for (const Char* colon = FindChar(from, end, Char(':')); colon != end;
         colon = FindChar(colon + 1, end, Char(':'))) {
        if (colon + 1 != end && colon[1] == Char(' '))
            return colon;
    }
    return end;
}

inline QString ToQString(const char* chars, qsizetype size) {
    return QString::fromLatin1(chars, size);
}
inline QString ToQString(const char16_t* chars, qsizetype size) {
    return QString(reinterpret_cast<const QChar*>(chars), size);
}

// The keywords. The seven text fields come first, in the order of the
// record; they index the values a parse has taken.
enum Field {
    kEmailAddress,
    kEntryId,
    kStoreId,
    kSentDate,
    kReminderDate,
    kSubject,
    kNote,
    kTextFields,
    kColor = kTextFields,
    kNotAKeyword
};

template <class Char, size_t N>
bool Spells(const Char* key, const char (&word)[N]) {
    if constexpr (sizeof(Char) == 1)
        return std::memcmp(key, word, N - 1) == 0;
    for (size_t i = 0; i + 1 < N; ++i)
        if (Unit(key[i]) != static_cast<unsigned char>(word[i]))
            return false;
    return true;
}

// Keys are compared exactly: "color" or " Color" is not a keyword.
template <class Char>
Field KeyField(const Char* key, qsizetype size) {
    switch (size) {
        case 4:
            return Spells(key, "Note") ? kNote : kNotAKeyword;
        case 5:
            return Spells(key, "Color") ? kColor : kNotAKeyword;
        case 7:
            if (Spells(key, "EntryId"))
                return kEntryId;
            if (Spells(key, "StoreId"))
                return kStoreId;
            return Spells(key, "Subject") ? kSubject : kNotAKeyword;
        case 8:
            return Spells(key, "SentDate") ? kSentDate : kNotAKeyword;
        case 12:
            if (Spells(key, "EmailAddress"))
                return kEmailAddress;
            return Spells(key, "ReminderDate") ? kReminderDate : kNotAKeyword;
        default:
            return kNotAKeyword;
    }
}

// "Color" holds a whole number in decimal. Plain digits are read here, which
// is what nearly every record holds; anything else (blanks, a fraction,
// grouping) goes to the locale's reading, which also gives the errors.
template <class Char>
qint32 ReadColor(const Char* value, qsizetype size) {
    const qsizetype signLength = size > 0 && value[0] == Char('-') ? 1 : 0;
    const qsizetype digits = size - signLength;
    if (digits > 0 && digits <= 9) {
        qint32 number = 0;
        bool plain = true;
        for (qsizetype i = signLength; i < size && plain; ++i) {
            const char16_t c = Unit(value[i]);
            plain = c >= u'0' && c <= u'9';
            number = number * 10 + (c - u'0');
        }
        if (plain)
            return signLength ? -number : number;
    }
    return platform::Dates().CLng(ToQString(value, size));
}

// A value as the item holds it: escape sequences undone. Latin-1 text
// cannot hold the escape character.
QString HeldValue(const char* chars, qsizetype size) {
    return ToQString(chars, size);
}
QString HeldValue(const char16_t* chars, qsizetype size) {
    return store::UnescapeRecordValue(ToQString(chars, size));
}

QString AddHeldValue(store::PackedStrings& strings, const char* chars, qsizetype size) {
    return strings.AddLatin1(chars, size);
}
QString AddHeldValue(store::PackedStrings& strings, const char16_t* chars, qsizetype size) {
    const QStringView value(chars, size);
    if (value.contains(QChar(store::kRecordEscape)))
        return strings.AddUnescaped(value);
    return strings.AddUtf16(chars, size);
}

}  // namespace

void CReminderItem::Changed() {
    if (auto changes = m_changes.lock())
        changes->Emit();
}

void CReminderItem::setEmailAddress(const QString& value) {
    m_EmailAddress = value;
    m_IsDirty = true;
    Changed();
}

void CReminderItem::setSentDate(const QString& value) {
    m_SentDate = value;
    m_IsDirty = true;
    Changed();
}

QString CReminderItem::SentDate() const {
    return DisplayForm(m_SentDate);
}

void CReminderItem::setReminderDate(const QString& value) {
    m_ReminderDate = value;
    m_IsDirty = true;
    Changed();
}

QString CReminderItem::ReminderDate() const {
    return m_reminderDateCache.Display(m_ReminderDate);
}

void CReminderItem::setSubject(const QString& value) {
    m_Subject = value;
    m_IsDirty = true;
    Changed();
}

void CReminderItem::setEntryId(const QString& value) {
    m_EntryId = value;
    m_IsDirty = true;
    Changed();
}

void CReminderItem::setNote(const QString& value) {
    m_Note = value;
    m_IsDirty = true;
    Changed();
}

void CReminderItem::setColor(qint32 value) {
    m_Color = value;
    m_IsDirty = true;
    Changed();
}

QString CReminderItem::SaveData() const {
    using store::EscapeRecordValue;
    const QString color = QString::number(m_Color);
    QString record;
    record.reserve(96 + m_EmailAddress.size() + m_EntryId.size() + m_StoreId.size() +
                   m_SentDate.size() + m_ReminderDate.size() + m_Subject.size() + m_Note.size());
    record.append(u"EmailAddress: ").append(EscapeRecordValue(m_EmailAddress));
    record.append(u"|EntryId: ").append(EscapeRecordValue(m_EntryId));
    record.append(u"|StoreId: ").append(EscapeRecordValue(m_StoreId));
    record.append(u"|SentDate: ").append(EscapeRecordValue(m_SentDate));
    record.append(u"|ReminderDate: ").append(EscapeRecordValue(m_ReminderDate));
    record.append(u"|Color: ").append(color);
    record.append(u"|Subject: ").append(EscapeRecordValue(m_Subject));
    record.append(u"|Note: ").append(EscapeRecordValue(m_Note));
    return record;
}

qsizetype CReminderItem::MaxRecordBytes() const {
    // Keywords, separators and the colour take under 100 bytes.
    return 100 + store::kMaxEscapedUtf8PerChar *
                     (m_EmailAddress.size() + m_EntryId.size() + m_StoreId.size() +
                      m_SentDate.size() + m_ReminderDate.size() + m_Subject.size() + m_Note.size());
}

char* CReminderItem::WriteRecord(char* out) const {
    const auto put = [&out](const auto& keyword) {
        // A literal: its length is known here, and the copy is a few moves.
        std::memcpy(out, keyword, std::size(keyword) - 1);
        out += std::size(keyword) - 1;
    };
    put("EmailAddress: ");
    out = store::WriteEscapedUtf8(out, m_EmailAddress);
    put("|EntryId: ");
    out = store::WriteEscapedUtf8(out, m_EntryId);
    put("|StoreId: ");
    out = store::WriteEscapedUtf8(out, m_StoreId);
    put("|SentDate: ");
    out = store::WriteEscapedUtf8(out, m_SentDate);
    put("|ReminderDate: ");
    out = store::WriteEscapedUtf8(out, m_ReminderDate);
    put("|Color: ");
    out = std::to_chars(out, out + 11, m_Color).ptr;
    put("|Subject: ");
    out = store::WriteEscapedUtf8(out, m_Subject);
    put("|Note: ");
    return store::WriteEscapedUtf8(out, m_Note);
}

void CReminderItem::AppendRecord(QByteArray& out) const {
    const qsizetype start = out.size();
    out.resize(start + MaxRecordBytes());
    out.truncate(WriteRecord(out.data() + start) - out.constData());
}

bool CReminderItem::LoadData(QStringView inputString) {
    return LoadRecord(inputString.utf16(), inputString.size());
}

bool CReminderItem::LoadData(QLatin1StringView inputString) {
    return LoadRecord(inputString.data(), inputString.size());
}

template <class Char>
bool CReminderItem::LoadRecord(const Char* input, qsizetype size) {
    // The text fields named so far, the last of each kind: they are taken
    // together at the end, into one allocation (store/PackedStrings.h).
    struct Named {
        const Char* chars = nullptr;
        qsizetype size = -1;
    };
    Named named[kTextFields];

    bool complete = true;
    bool failed = false;
    bool valuesTaken = false;
    QString failure;
    try {
        // An empty input has no pieces; otherwise every "|" ends one, and
        // two in a row make an empty piece.
        const Char* const end = input + size;
        for (const Char* start = input; size > 0;) {
            const Char* const bar = FindChar(start, end, Char('|'));
            const Char* const separator = FindSeparator(start, bar);
            // Taking the text before a separator that is not there is an
            // invalid call.
            if (separator == bar)
                throw platform::RuntimeError::InvalidProcedureCall();
            const Char* const value = separator + 2;
            const qsizetype valueSize = bar - value;
            const Field field = KeyField(start, separator - start);
            if (field == kColor) {
                m_Color = ReadColor(value, valueSize);
            } else if (field != kNotAKeyword) {
                named[field] = {value, valueSize};
            } else {
                complete = false;
                engine::ReportError(
                    QStringLiteral("Error occurred.  Couldn't find keyword name/value: ") +
                        ToQString(start, separator - start) + u' ' + HeldValue(value, valueSize),
                    1, kLoadSource);
            }
            if (bar == end)
                break;
            start = bar + 1;
        }
    } catch (...) {
        complete = false;
        failed = true;
        failure = platform::CurrentErrorDescription();
    }

    try {
        // What was named before a failure is taken too.
        qsizetype chars = 0;
        int count = 0;
        for (const Named& n : named) {
            if (n.size > 0) {
                chars += n.size;
                ++count;
            }
        }
        store::PackedStrings strings(chars, count);
        QString* const held[kTextFields] = {&m_EmailAddress, &m_EntryId, &m_StoreId, &m_SentDate,
                                            &m_ReminderDate, &m_Subject, &m_Note};
        for (int field = 0; field < kTextFields; ++field)
            if (named[field].size >= 0)
                *held[field] = AddHeldValue(strings, named[field].chars, named[field].size);
        valuesTaken = true;
        if (!failed) {
            m_IsDirty = false;
            engine::WriteTrace(kLoadSource, TraceText());
        }
    } catch (...) {
        if (!valuesTaken)
            complete = false;
        failed = true;
        failure = platform::CurrentErrorDescription();
    }
    if (failed)
        engine::ReportError(
            QStringLiteral("Error occurred loading reminder data.  Reason: ") + failure, 1,
            kLoadSource);
    return complete;
}

void CReminderItem::setStoreId(const QString& value) {
    m_StoreId = value;
    m_IsDirty = true;
    Changed();
}

QString CReminderItem::DisplayForm(const QString& dateText) {
    if (dateText.isEmpty())
        return QString();
    const platform::LocaleDates& dates = platform::Dates();
    return store::TrimSpaces(dates.DisplayForm(dates.CDate(dateText))).toString();
}

QString CReminderItem::TraceText() const {
    // Seven lines, CR LF between them, made in one piece: every loaded
    // reminder is traced.
    char digits[11];
    const qsizetype colorSize = std::to_chars(digits, digits + sizeof digits, m_Color).ptr - digits;
    char16_t color[11];
    std::copy(digits, digits + colorSize, color);
    const QStringView lines[][2] = {{u"Email Address: ", m_EmailAddress},
                                    {u"\r\nEntryId: ", m_EntryId},
                                    {u"\r\nSentDate: ", m_SentDate},
                                    {u"\r\nReminderDate: ", m_ReminderDate},
                                    {u"\r\nColor: ", QStringView(color, colorSize)},
                                    {u"\r\nSubject: ", m_Subject},
                                    {u"\r\nNote: ", m_Note}};
    qsizetype size = 0;
    for (const auto& line : lines) size += line[0].size() + line[1].size();
    QString text(size, Qt::Uninitialized);
    QChar* out = text.data();
    for (const auto& line : lines) {
        for (const QStringView part : line) {
            // An empty value may have no storage at all.
            if (part.isEmpty())
                continue;
            std::memcpy(out, part.data(), static_cast<size_t>(part.size()) * sizeof(QChar));
            out += part.size();
        }
    }
    return text;
}
