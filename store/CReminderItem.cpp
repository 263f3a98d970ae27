#include "store/CReminderItem.h"

#include "addin/contracts/ErrorReport.h"
#include "platform/Env.h"
#include "platform/RuntimeError.h"
#include "store/RecordEscape.h"
#include "store/TextRules.h"

namespace {

const QString kLoadSource = QStringLiteral("Chasewell.CReminderItem.LoadData");

// "Color" holds a whole number in decimal. Plain digits are read here, which
// is what nearly every record holds; anything else (blanks, a fraction,
// grouping) goes to the locale's reading, which also gives the errors.
qint32 ReadColor(QStringView value) {
    const qsizetype signLength = value.startsWith(u'-') ? 1 : 0;
    const qsizetype digits = value.size() - signLength;
    if (digits > 0 && digits <= 9) {
        qint32 number = 0;
        bool plain = true;
        for (qsizetype i = signLength; i < value.size() && plain; ++i) {
            const char16_t c = value[i].unicode();
            plain = c >= u'0' && c <= u'9';
            number = number * 10 + (c - u'0');
        }
        if (plain)
            return signLength ? -number : number;
    }
    return platform::Dates().CLng(value.toString());
}

}  // namespace

void CReminderItem::setEmailAddress(const QString& value) {
    m_EmailAddress = value;
    m_IsDirty = true;
}

void CReminderItem::setSentDate(const QString& value) {
    m_SentDate = value;
    m_IsDirty = true;
}

QString CReminderItem::SentDate() const {
    return DisplayForm(m_SentDate);
}

void CReminderItem::setReminderDate(const QString& value) {
    m_ReminderDate = value;
    m_IsDirty = true;
}

QString CReminderItem::ReminderDate() const {
    return m_reminderDateCache.Display(m_ReminderDate);
}

void CReminderItem::setSubject(const QString& value) {
    m_Subject = value;
    m_IsDirty = true;
}

void CReminderItem::setEntryId(const QString& value) {
    m_EntryId = value;
    m_IsDirty = true;
}

void CReminderItem::setNote(const QString& value) {
    m_Note = value;
    m_IsDirty = true;
}

void CReminderItem::setColor(qint32 value) {
    m_Color = value;
    m_IsDirty = true;
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

bool CReminderItem::LoadData(QStringView inputString) {
    bool complete = true;
    bool parsing = true;
    try {
        const QStringView input = inputString;
        // An empty input has no pieces; otherwise every "|" ends one, and
        // two in a row make an empty piece.
        qsizetype start = 0;
        while (!input.isEmpty() && start <= input.size()) {
            qsizetype end = input.indexOf(u'|', start);
            if (end < 0)
                end = input.size();
            const QStringView piece = input.sliced(start, end - start);
            start = end + 1;

            const qsizetype separator = piece.indexOf(u": ");
            // Taking the text before a separator that is not there is an
            // invalid call.
            if (separator < 0)
                throw platform::RuntimeError::InvalidProcedureCall();
            const QStringView key = piece.left(separator);
            const QStringView value = piece.sliced(separator + 2);
            if (!TakeField(key, value)) {
                complete = false;
                engine::ReportError(
                    QStringLiteral("Error occurred.  Couldn't find keyword name/value: ") +
                        key.toString() + u' ' + store::UnescapeRecordValue(value.toString()),
                    1, kLoadSource);
            }
        }
        parsing = false;
        m_IsDirty = false;
        engine::WriteTrace(kLoadSource, TraceText());
    } catch (...) {
        if (parsing)
            complete = false;
        engine::ReportError(QStringLiteral("Error occurred loading reminder data.  Reason: ") +
                                platform::CurrentErrorDescription(),
                            1, kLoadSource);
    }
    return complete;
}

void CReminderItem::setStoreId(const QString& value) {
    m_StoreId = value;
    m_IsDirty = true;
}

QString CReminderItem::DisplayForm(const QString& dateText) {
    if (dateText.isEmpty())
        return QString();
    const platform::LocaleDates& dates = platform::Dates();
    return store::TrimSpaces(dates.DisplayForm(dates.CDate(dateText))).toString();
}

bool CReminderItem::TakeField(QStringView key, QStringView value) {
    // Keys are compared exactly: "color" or " Color" is not a keyword.
    QString* target = nullptr;
    if (key == u"EmailAddress") {
        target = &m_EmailAddress;
    } else if (key == u"EntryId") {
        target = &m_EntryId;
    } else if (key == u"StoreId") {
        target = &m_StoreId;
    } else if (key == u"SentDate") {
        target = &m_SentDate;
    } else if (key == u"ReminderDate") {
        target = &m_ReminderDate;
    } else if (key == u"Subject") {
        target = &m_Subject;
    } else if (key == u"Note") {
        target = &m_Note;
    } else if (key == u"Color") {
        m_Color = ReadColor(value);
        return true;
    } else {
        return false;
    }
    *target = store::UnescapeRecordValue(value.toString());
    return true;
}

QString CReminderItem::TraceText() const {
    QString text;
    text.reserve(80 + m_EmailAddress.size() + m_EntryId.size() + m_SentDate.size() +
                 m_ReminderDate.size() + m_Subject.size() + m_Note.size());
    text.append(u"Email Address: ").append(m_EmailAddress);
    text.append(u"\r\nEntryId: ").append(m_EntryId);
    text.append(u"\r\nSentDate: ").append(m_SentDate);
    text.append(u"\r\nReminderDate: ").append(m_ReminderDate);
    text.append(u"\r\nColor: ").append(QString::number(m_Color));
    text.append(u"\r\nSubject: ").append(m_Subject);
    text.append(u"\r\nNote: ").append(m_Note);
    return text;
}
