#pragma once

#include <QString>
#include <memory>
#include <utility>
#include <vector>

#include "addin/contracts/HostEngine.h"
#include "store/ChangeSignal.h"

class CReminderItem;
class CReminderItems;
class QWidget;
class ReminderGrid;
class frmDisplayEx;

// What tells the grid windows' copies of the row operations apart.
struct GridWindowTraits {
    // The window's name, in report sources ("Chasewell.frmViewReminders.
    // FillGrid") and trace procedure names ("frmViewReminders.
    // ViewOriginalEmail").
    QString window;
    // The data kind of the grid's text columns.
    int textKind;
    // Deleting rows re-arms the alarm timer (the next reminder may be gone).
    bool delRowSelectionSetsTimer;
    // ViewOriginalEmail begins with a trace line of its own.
    bool viewOriginalOpeningTrace;

    static GridWindowTraits ViewReminders() { return {"frmViewReminders", 31, true, true}; }
    static GridWindowTraits RemindMultiple() { return {"frmRemindMultiple", 8, false, false}; }
};

// The row operations of a window that holds the reminder grid: filling it
// from the collection, opening a row's details, deleting rows, opening the
// original messages, starting follow-up messages and re-dating rows. Each
// traps its errors and reports them with the window's source.
//
// Every operation acts on the very reminders its rows hold (ReminderGrid::
// Reminder), never on a position or a look-up by address and subject: after
// deletions, a sort or another reminder with the same address and subject,
// a row still stands for the reminder it shows.
//
// The grid follows the collection: from its first fill until StopFollowing,
// every change of the reminders, whoever makes it (an alarm window's snooze
// or dismissal, a reply, a send, the details window), refills it once the
// event loop gets control again, keeping the user's sort and selection. An
// operation on rows whose reminder is gone meanwhile (between the change and
// that refill, or while a dialog of the operation was open) says so, refills
// and changes nothing; deleting such a row only takes the row away.
class GridRowOperations {
public:
    GridRowOperations(QWidget& window, ReminderGrid& grid, GridWindowTraits traits);

    // Empties the grid and lays out its header row and columns.
    void SetupGrid();
    // Rebuilds every row from the collection, in collection order, each in
    // its reminder's colour, and sets the window title to the next-reminder
    // title. Without a collection, only empties the grid. A date that is not
    // a date shows as the reminder holds it. From then on the grid follows
    // the collection (above).
    void FillGrid();
    // Refills the grid, keeping the user's sort, selection and scrolling.
    void Refresh();
    // The window unloads: the grid no longer follows the collection.
    void StopFollowing();
    // Opens the details window, modeless, on the current row's reminder.
    // Already open on another reminder, that one is closed first (as its
    // close box would): the window must never show one reminder while its
    // Exit writes into another.
    void DblClick(frmDisplayEx& details, const QString& nextReminderTime);
    // Removes the selected rows' reminders from the collection and their rows
    // from the grid (the last selected first), and saves the collection. A
    // reminder no longer in the collection only loses its row. Re-arms the
    // alarm timer when the window's traits say so, or when asked to.
    // Nothing selected: nothing.
    void DelRowSelection();
    void DelRowSelection(bool setNextTimer);
    // What DelRowSelection does to its rows (ascending row numbers), for a
    // window that chose the rows itself. Failures pass to the caller.
    void RemoveRows(const std::vector<int>& rows);
    // Opens the sent message of every selected row (last first): by its
    // entry id in the default store, else with its store id too. A message
    // not found is traced.
    void ViewOriginalEmail(const std::shared_ptr<engine::IEngine>& engine);
    // Opens a new message for every selected row (last first), addressed to
    // the row's recipient with the plain original subject: a forward of the
    // original when it is found, else a blank one. Left open to send.
    void CreateFollowUpEmail(const std::shared_ptr<engine::IEngine>& engine);
    // Lets the user pick a date in the change-date dialog, starting from the
    // first selected row's date, and gives it to every selected reminder
    // when the user confirmed. Re-arms the timer. Nothing selected: nothing.
    void ChangeReminderTime();
    // The Exit button: saves the collection, then closes the window. A save
    // that fails is reported with source and leaves the window open.
    void SaveAndClose(const QString& source);

    // The Reminder Date cell of a reminder: the date's display form and the
    // date it reads as; a text that is not a date as it is held, sorting
    // before every date.
    static std::pair<QString, qint64> ReminderDateCell(const CReminderItem& reminder);

    // "Pending Reminders (Next Reminder: " + the timer's next reminder time,
    // or "None", + ")".
    static QString NextReminderTitle();

    static inline const QString kSelectRowMessage =
        QStringLiteral("At least one row must be selected.");
    static inline const QString kGoneMessage = QStringLiteral(
        "A reminder you chose is no longer pending: it was dismissed, deleted or ended by a "
        "reply meanwhile.  The list now shows the reminders that are; nothing was changed.");

    // Whether the collection holds that very reminder.
    static bool InCollection(const CReminderItems& reminders,
                             const std::shared_ptr<CReminderItem>& reminder);
    // Whether every one of the reminders is still in the collection. When
    // one is not, says so (kGoneMessage), refills the grid and answers false.
    bool StillPending(const std::vector<std::shared_ptr<CReminderItem>>& reminders);

private:
    QString Source(const char* operation) const;
    // Listens to the collection the add-in holds now (again, when it was
    // replaced since).
    void Follow();
    std::vector<std::shared_ptr<CReminderItem>> SelectedReminders() const;

    QWidget& m_window;
    ReminderGrid& m_grid;
    GridWindowTraits m_traits;
    const CReminderItems* m_followed = nullptr;
    store::ChangeSignal::Connection m_following;
    bool m_refreshPosted = false;
};
