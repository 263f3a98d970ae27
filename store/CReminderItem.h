#pragma once

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>
#include <QStringView>
#include <memory>

#include "platform/ComObject.h"
#include "store/DisplayDateCache.h"

namespace store {
class ChangeSignal;
class ReminderList;
}  // namespace store

// One follow-up reminder: the record of one sent message whose recipient the
// user wants to chase. It holds eight values, knows whether any of them
// changed since it was last loaded or saved, and turns itself into one line
// of the data file (SaveData) and back (LoadData).
//
// The record is eight "Key: value" fields joined by "|", in a fixed order:
//
//   EmailAddress: pat.jones|EntryId: 00AB12|StoreId: 00CD34|
//   SentDate: 3/4/2024 9:15:00 AM|ReminderDate: 3/7/2024 8:00:00 AM|
//   Color: 255|Subject: Quarterly figures|Note: call if no answer
//
// (one line, without the breaks shown here). Values are written as held,
// except that "|", CR, LF and U+E000 are escaped (store/RecordEscape.h).
//
// Reminders are shared: the collection and every window showing one hold the
// same object, so an edit is seen by every holder. While a collection holds
// a reminder, every change of one of its values is told to whoever listens
// to that collection (CReminderItems::Listen).
class CReminderItem : public platform::ComObject {
public:
    QString TypeName() const override { return QStringLiteral("CReminderItem"); }

    // Operations in the order of the class's interface. Every setter but
    // setIsDirty marks the item dirty, also when the value is unchanged.
    bool IsDirty() const { return m_IsDirty; }
    void setIsDirty(bool isDirty) { m_IsDirty = isDirty; }

    void setEmailAddress(const QString& value);
    const QString& EmailAddress() const { return m_EmailAddress; }

    // The dates are held as text exactly as assigned (the locale's general or
    // display form) and written to the data file unchanged. Reading gives the
    // display form, the locale's short date and "hh:nn AMPM" (3/7/2024 08:00
    // AM): empty for an empty text; a text the locale does not read as a date
    // throws platform::RuntimeError "Type mismatch".
    void setSentDate(const QString& value);
    QString SentDate() const;

    void setReminderDate(const QString& value);
    QString ReminderDate() const;
    // The date ReminderDate reads as in the locale (what comparing due dates
    // works with, to the minute); no value for an empty date. Throws like
    // ReminderDate.
    std::optional<QDateTime> ReminderDateValue() const {
        return m_reminderDateCache.Value(m_ReminderDate);
    }

    void setSubject(const QString& value);
    const QString& Subject() const { return m_Subject; }

    void setEntryId(const QString& value);
    const QString& EntryId() const { return m_EntryId; }

    void setNote(const QString& value);
    const QString& Note() const { return m_Note; }

    // A Windows colour value: red in the low byte, then green, then blue.
    void setColor(qint32 value);
    qint32 Color() const { return m_Color; }

    // The record, one line without a line end. Changes nothing.
    QString SaveData() const;
    // Appends the record to out as the data file holds it: SaveData's text
    // in UTF-8, a lone surrogate (which UTF-8 cannot hold) as U+FFFD. The
    // collection writes the file this way, without making the text first.
    void AppendRecord(QByteArray& out) const;
    // The same into a buffer of at least MaxRecordBytes() bytes; returns the
    // end of what was written.
    char* WriteRecord(char* out) const;
    qsizetype MaxRecordBytes() const;

    // Parses one record and takes the values it names, in the order they
    // come; values it does not name keep theirs. Never throws: a piece
    // without ": ", or a Color that is not a 32-bit whole number, stops the
    // parse there and is reported (the values taken so far stay, IsDirty is
    // left as it was); a key that is not one of the eight is reported and
    // skipped. After a full parse IsDirty is False and the values are traced.
    //
    // Returns true when every piece of the record was taken. False means that
    // writing the item back would not reproduce its line, which the
    // collection uses to keep the file it came from.
    bool LoadData(QStringView inputString);
    bool LoadData(const QString& inputString) { return LoadData(QStringView(inputString)); }
    // The same for a record in Latin-1, every byte one character: exactly
    // what LoadData(QString::fromLatin1(inputString)) does, without widening
    // the record first. The collection reads the data file's plain ASCII
    // lines this way.
    bool LoadData(QLatin1StringView inputString);

    void setStoreId(const QString& value);
    const QString& StoreId() const { return m_StoreId; }

    // The held date texts, as assigned and as written to the data file.
    const QString& SentDateText() const { return m_SentDate; }
    const QString& ReminderDateText() const { return m_ReminderDate; }

private:
    friend class store::ReminderList;

    static QString DisplayForm(const QString& dateText);
    // Tells the collection holding the reminder that a value changed.
    void Changed();
    // LoadData for a record of either kind of character: char (Latin-1) or
    // char16_t (UTF-16).
    template <class Char>
    bool LoadRecord(const Char* input, qsizetype size);
    QString TraceText() const;

    QString m_EmailAddress;
    QString m_EntryId;
    QString m_StoreId;
    QString m_SentDate;
    QString m_ReminderDate;
    QString m_Subject;
    QString m_Note;
    qint32 m_Color = 0;
    bool m_IsDirty = false;
    store::DisplayDateCache m_reminderDateCache;
    // The signal of the list holding the reminder; empty while none does.
    std::weak_ptr<store::ChangeSignal> m_changes;
};
