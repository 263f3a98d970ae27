#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "platform/ComObject.h"
#include "store/CReminderItem.h"
#include "store/ReminderList.h"

// All pending reminders, in one ordered list (insertion order, positions from
// 1), and the data file that keeps them: "ChasewellData.txt" in the engine's
// data folder, one record per line (CReminderItem::SaveData), each line ended
// by CR LF, UTF-8 without a byte order mark (store/DataFileText.h says what
// older files hold and how they are read).
//
// The add-in makes one instance at start-up and shares it with every window
// and the alarm timer. Releasing it saves the data file.
//
// Whether the file must be rewritten is decided by Dirty (membership changed)
// together with the items' own IsDirty (a value changed).
//
// The file is never left half written: a save writes a new file and puts it
// in place in one step, and a save that fails leaves the collection dirty so
// the next save writes again. A file that could not be read completely is
// copied aside before it is first saved over (see SaveData).
class CReminderItems : public platform::ComObject {
public:
    using Reminder = std::shared_ptr<CReminderItem>;

    CReminderItems() = default;
    // Saves (SaveData, which reports its own failures), then forgets the
    // list.
    ~CReminderItems() override;
    CReminderItems(const CReminderItems&) = delete;
    CReminderItems& operator=(const CReminderItems&) = delete;

    QString TypeName() const override { return QStringLiteral("CReminderItems"); }

    // Operations in the order of the class's interface.

    // Starts an empty list, sets the data file's path from the engine's data
    // folder, loads the file and clears Dirty. Failures (asking the engine for
    // its folder) pass to the caller.
    void Initialize();

    qint32 Count() const { return static_cast<qint32>(m_Items.size()); }

    // The reminder at position index, 1 to Count; throws
    // platform::RuntimeError "Subscript out of range" otherwise.
    Reminder Item(qint32 index) const;

    // The first reminder, from position 1 up, whose EmailAddress equals the
    // text exactly (letter case counts). Empty when none.
    Reminder Find(const QString& findEmailAddress) const;

    // Appends the reminder and sets Dirty. An empty pointer throws
    // platform::RuntimeError "Object variable or With block variable not set"
    // and is not added: one could never be written to the file.
    void Add(const Reminder& reminderItem);

    // Removes the last reminder, searching from position Count down, whose
    // address holds the given one's as a whole address and whose subject
    // contains the given one's (letter case ignored; see IsSame), and sets
    // Dirty.
    // Does nothing when none matches. Failures are reported, not thrown.
    void Remove(const Reminder& reminderItem);

    // Retired: tells the user so, sets Dirty and removes nothing.
    void RemoveByEmailAddress(const QString& localEmailAddress);

    // Writes the data file when Dirty is set or any item IsDirty; otherwise
    // leaves it untouched. Failures are reported, not thrown.
    void SaveData();

    // Reads the data file and appends its reminders, once: after a read that
    // got to the end it does nothing. A missing file is traced and leaves the
    // list as it is. Failures are reported, not thrown; the reminders read
    // until then stay.
    void LoadData();

    // The first reminder, from position 1 up, whose address holds
    // findEmailAddress as a whole address (alone, or in a display form such
    // as "Pat <pat@x.com>") and whose subject occurs in findSubject (so a
    // reply "RE: Budget" finds the reminder "Budget"; see IsSame). Empty
    // when none.
    Reminder FindEx(const QString& findEmailAddress, const QString& findSubject) const;

    // Removes the last reminder, searching from position Count down, whose
    // address holds localEmailAddress as a whole address and whose subject
    // contains localSubject (see IsSame: "AW: WG: Budget" ends "Budget",
    // "Budget 2027 plan" does not), and sets Dirty; traces each step.
    // Returns the reminder removed; empty when none matched, and then
    // nothing changed. Failures of the trace pass to the caller.
    Reminder RemoveBy(const QString& localEmailAddress, const QString& localSubject);

    // Every reminder, in list order, whose address holds findEmailAddress
    // as a whole address (the address test of FindEx): the reminders a
    // message from that sender may answer. An empty address finds every
    // reminder with a non-empty address.
    std::vector<Reminder> FindBySender(const QString& findEmailAddress) const;

    // Calls onChange after every change of the reminders, whoever makes it:
    // one added, removed or dropped with the list (Initialize), and any value
    // of a reminder while the collection holds it changed (a snooze, a note,
    // a colour). The call comes at once, inside the change, as often as
    // things change: a listener that redraws should wait for the event loop.
    // It stays connected for as long as the returned connection lives.
    [[nodiscard]] store::ChangeSignal::Connection Listen(std::function<void()> onChange) {
        return m_Items.Changes().Connect(std::move(onChange));
    }

    // State, for callers that need to know.
    const QString& DataFilePath() const { return m_DataFilePath; }
    bool Loaded() const { return m_Loaded; }
    bool Dirty() const { return m_Dirty; }

private:
    // Whether b occurs in a, letter case ignored. Outside subject mode the
    // texts are addresses, and b must occur as a whole address (see
    // OccursAsAddress). In subject mode, when b does not occur, both lose
    // their first prefix (the text up to the first colon) and are compared
    // again, two texts that were nothing but a prefix matching; when that
    // fails too, SameTopic decides.
    static bool IsSame(const QString& a, const QString& b, bool subjectMode);
    static QString StripPrefix(const QString& text);
    // Whether the topic of b (every reply and forward prefix and list tag
    // taken off, store::ReduceReplySubject) occurs in the topic of a,
    // letter case ignored. Only when a or b has such a prefix; two topics
    // that are empty (subjects that were nothing but prefixes) are the
    // same, an empty topic and another are not.
    static bool SameTopic(const QString& a, const QString& b);
    static bool Occurs(const QString& a, const QString& b);
    // Whether address b occurs in a as a whole address, letter case ignored:
    // alone, or inside a display form such as "Pat <pat@x.com>", but never
    // as a piece of a longer address. An empty b occurs in any non-empty a.
    static bool OccursAsAddress(const QString& a, const QString& b);

    // Before the first save over a file that was not read completely, copies
    // it aside and tells the user where. False when that failed (reported),
    // in which case the file must not be saved over.
    bool KeepUnreadFile();

    store::ReminderList m_Items;
    QString m_DataFilePath;
    bool m_Loaded = false;
    bool m_Dirty = false;
    // The last read of the data file did not take all of it into the list
    // (reading failed, or a line did not parse completely), and no copy of
    // that file has been kept yet.
    bool m_FileNotFullyRead = false;
};
