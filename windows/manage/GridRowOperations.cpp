#include "windows/manage/GridRowOperations.h"

#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "addin/contracts/ErrorReport.h"
#include "addin/contracts/MailHelper.h"
#include "platform/Env.h"
#include "schedule/Globals.h"
#include "schedule/RemindTimer.h"
#include "store/CReminderItem.h"
#include "store/CReminderItems.h"
#include "windows/manage/ReminderGrid.h"
#include "windows/manage/frmChangeDate.h"
#include "windows/manage/frmDisplayEx.h"

using engine::ReportSource;
using platform::Deref;
using Row = ReminderGridModel::Row;

namespace {

const QString kTitle = QStringLiteral("Chasewell");

std::shared_ptr<client::NameSpace> MapiNamespace(const std::shared_ptr<engine::IEngine>& engine) {
    return Deref(Deref(engine).OutlookApplication()).GetNamespace(QStringLiteral("MAPI"));
}

// The mail item with that entry id (and store id, when given); no object
// when the mail client finds none or fails to look.
std::shared_ptr<client::MailItem> FindMessage(client::NameSpace& ns, const QString& entryId,
                                              const QString& storeId = QString()) {
    try {
        return std::dynamic_pointer_cast<client::MailItem>(ns.GetItemFromID(entryId, storeId));
    } catch (...) {
        return nullptr;
    }
}

// The Date Sent cell: the sent date's display form, as reading SentDate gives
// it, and the date that form reads as (to the minute), from one reading of
// the held text: with many reminders a second parse of every row shows.
// A text that is not a date is shown as it is held (and sorts before every
// date): one such reminder must not keep the grid from listing the others.
std::pair<QString, qint64> SentDateCell(const CReminderItem& reminder) {
    const QString& held = reminder.SentDateText();
    if (held.isEmpty())
        return {QString(), ReminderGridModel::kNoDate};
    platform::LocaleDates& dates = platform::Dates();
    const auto sent = dates.ReadDate(held);
    if (!sent)
        return {held, ReminderGridModel::kNoDate};
    const QDateTime minute(sent->date(), QTime(sent->time().hour(), sent->time().minute()),
                           sent->timeSpec());
    return {dates.DisplayForm(*sent), minute.toMSecsSinceEpoch()};
}

}  // namespace

bool GridRowOperations::InCollection(const CReminderItems& reminders,
                                     const std::shared_ptr<CReminderItem>& reminder) {
    for (qint32 i = 1; i <= reminders.Count(); ++i)
        if (reminders.Item(i) == reminder)
            return true;
    return false;
}

GridRowOperations::GridRowOperations(QWidget& window, ReminderGrid& grid, GridWindowTraits traits)
    : m_window(window), m_grid(grid), m_traits(std::move(traits)) {}

QString GridRowOperations::Source(const char* operation) const {
    return QStringLiteral("Chasewell.") + m_traits.window + u'.' + QLatin1String(operation);
}

std::pair<QString, qint64> GridRowOperations::ReminderDateCell(const CReminderItem& reminder) {
    try {
        QString text = reminder.ReminderDate();
        return {std::move(text), ReminderGridModel::DateKeyOf(reminder.ReminderDateValue())};
    } catch (const platform::RuntimeError&) {
        return {reminder.ReminderDateText(), ReminderGridModel::kNoDate};
    }
}

QString GridRowOperations::NextReminderTitle() {
    const QString& next = RemindTimer::NextReminderTime;
    return QStringLiteral("Pending Reminders (Next Reminder: ") +
           (next.isEmpty() ? QStringLiteral("None") : next) + u')';
}

void GridRowOperations::SetupGrid() {
    m_grid.Clear();
}

void GridRowOperations::Follow() {
    const CReminderItems* reminders = Globals::m_ReminderItems.get();
    if (!reminders) {
        StopFollowing();
        return;
    }
    if (m_following && m_followed == reminders)
        return;
    m_followed = reminders;
    // Told inside each change, as often as things change: one refill follows
    // once the event loop gets control, after whatever made the changes has
    // finished with the rows.
    m_following = Globals::m_ReminderItems->Listen([this] {
        if (m_refreshPosted)
            return;
        m_refreshPosted = true;
        QMetaObject::invokeMethod(
            &m_window,
            [this] {
                m_refreshPosted = false;
                if (m_following)
                    Refresh();
            },
            Qt::QueuedConnection);
    });
}

void GridRowOperations::StopFollowing() {
    m_following.reset();
    m_followed = nullptr;
}

void GridRowOperations::Refresh() {
    const ReminderGrid::View view = m_grid.SaveView();
    FillGrid();
    m_grid.RestoreView(view);
}

std::vector<std::shared_ptr<CReminderItem>> GridRowOperations::SelectedReminders() const {
    std::vector<std::shared_ptr<CReminderItem>> reminders;
    for (int row : m_grid.SelectedRowList())
        if (row > 0)
            reminders.push_back(m_grid.Reminder(row));
    return reminders;
}

bool GridRowOperations::StillPending(const std::vector<std::shared_ptr<CReminderItem>>& reminders) {
    const auto& collection = Globals::m_ReminderItems;
    const bool all =
        collection && std::all_of(reminders.begin(), reminders.end(), [&](const auto& reminder) {
            return InCollection(*collection, reminder);
        });
    if (all)
        return true;
    platform::MessageBox().Show(kGoneMessage, kTitle);
    Refresh();
    return false;
}

void GridRowOperations::FillGrid() {
    Follow();
    // The rows made go into the grid at the end, or, when a reminder fails
    // to read, as far as they got.
    std::vector<Row> rows;
    bool shown = false;
    engine::TrappedSteps(ReportSource::Fixed(Source("FillGrid")), 0, [&](engine::Steps& steps) {
        steps.Begin(2);
        SetupGrid();
        steps.Begin(4);
        if (!Globals::m_ReminderItems)
            return;
        const CReminderItems& reminders = *Globals::m_ReminderItems;
        const qint32 count = reminders.Count();
        rows.reserve(static_cast<size_t>(count));
        for (qint32 i = 1; i <= count; ++i) {
            steps.Begin(4);
            auto reminder = reminders.Item(i);
            steps.Begin(6);
            Row row;
            auto [sentText, sentKey] = SentDateCell(*reminder);
            auto [dueText, dueKey] = ReminderDateCell(*reminder);
            row.cells = {QString::number(i), reminder->EmailAddress(), std::move(sentText),
                         std::move(dueText), reminder->Subject(),      reminder->Note()};
            row.dateKeys = {sentKey, dueKey};
            row.color = reminder->Color();
            row.reminder = std::move(reminder);
            rows.push_back(std::move(row));
        }
        m_grid.SetRows(std::move(rows));
        shown = true;
        steps.Begin(8);
        m_window.setWindowTitle(NextReminderTitle());
        steps.Begin(10);
        m_window.update();
    });
    if (!shown && !rows.empty())
        m_grid.SetRows(std::move(rows));
}

void GridRowOperations::DblClick(frmDisplayEx& details, const QString& nextReminderTime) {
    engine::Trapped(ReportSource::Fixed(Source("DblClick")), 0, [&] {
        const int row = m_grid.Row();
        if (row < 1)
            return;
        auto reminder = m_grid.Reminder(row);
        if (!StillPending({reminder}))
            return;
        if (details.IsLoaded()) {
            if (details.MyReminderInstance() == reminder) {
                platform::Windows().SetForegroundWindow(&details);
                return;
            }
            details.close();
        }
        details.setMyNextReminderTime(nextReminderTime);
        details.setMyReminderInstance(reminder);
        // The reminder may go while the window is open (an alarm window's
        // Dismiss): the window must not then take edits that are never kept.
        const std::weak_ptr<CReminderItem> shown = reminder;
        details.setStillPending([shown] {
            const auto held = shown.lock();
            return held && Globals::m_ReminderItems &&
                   InCollection(*Globals::m_ReminderItems, held);
        });
        details.show();
    });
}

void GridRowOperations::DelRowSelection() {
    DelRowSelection(m_traits.delRowSelectionSetsTimer);
}

void GridRowOperations::DelRowSelection(bool setNextTimer) {
    engine::Trapped(ReportSource::Fixed("Chasewell.DelRowSelection"), 1, [&] {
        const std::vector<int> selected = m_grid.SelectedRowList();
        if (selected.empty())
            return;
        RemoveRows(selected);
        if (setNextTimer)
            RemindTimer::SetNextTimer();
    });
}

void GridRowOperations::RemoveRows(const std::vector<int>& rows) {
    CReminderItems& reminders = Deref(Globals::m_ReminderItems);
    // From the bottom up, so the rows still to be visited do not move.
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        const int row = *it;
        if (row <= 0)
            continue;
        auto reminder = m_grid.Reminder(row);
        // Removed elsewhere meanwhile (an alarm window's Dismiss): only the
        // row goes; no other reminder may be taken in its place.
        if (InCollection(reminders, reminder))
            reminders.Remove(reminder);
        m_grid.RemoveItem(row);
    }
    // Saved at once: a reminder the user deleted must not come back after a
    // crash. SaveData reports its own failures.
    reminders.SaveData();
}

void GridRowOperations::ViewOriginalEmail(const std::shared_ptr<engine::IEngine>& engine) {
    engine::TrappedSteps(
        ReportSource::Fixed(Source("ViewOriginalEmail")), 0, [&](engine::Steps& steps) {
            if (m_traits.viewOriginalOpeningTrace)
                Globals::WriteTrace("Chasewell.ViewOriginalEmail",
                                    "In the function for VIEWORIGINALEMAIL");
            const std::vector<int> selected = m_grid.SelectedRowList();
            if (selected.empty()) {
                platform::MessageBox().Show(kSelectRowMessage, kTitle);
                return;
            }
            if (!StillPending(SelectedReminders()))
                return;
            steps.Begin(2);
            auto ns = MapiNamespace(engine);
            for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
                steps.Begin(4);
                if (*it <= 0)
                    continue;
                auto reminder = m_grid.Reminder(*it);
                steps.Begin(6);
                const CReminderItem& item = Deref(reminder);
                // The default store first; a message filed elsewhere needs
                // its store.
                auto message = FindMessage(Deref(ns), item.EntryId());
                if (!message)
                    message = FindMessage(*ns, item.EntryId(), item.StoreId());
                if (!message)
                    Globals::WriteTrace(
                        m_traits.window + ".ViewOriginalEmail",
                        "Could not find original email with entryId: " + item.EntryId());
                else
                    message->Display();
            }
        });
}

void GridRowOperations::CreateFollowUpEmail(const std::shared_ptr<engine::IEngine>& engine) {
    engine::Trapped(ReportSource::Fixed(Source("CreateFollowUpEmail")), 0, [&] {
        const std::vector<int> selected = m_grid.SelectedRowList();
        if (selected.empty()) {
            platform::MessageBox().Show(kSelectRowMessage, kTitle);
            return;
        }
        if (!StillPending(SelectedReminders()))
            return;
        auto& application = Deref(Deref(engine).OutlookApplication());
        auto ns = application.GetNamespace(QStringLiteral("MAPI"));
        for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
            const int row = *it;
            if (row <= 0)
                continue;
            const auto held = m_grid.Reminder(row);
            const CReminderItem& reminder = Deref(held);
            // The mail client answers a message it cannot find (deleted since,
            // or never filed) with an error; the follow-up then starts blank.
            auto original = FindMessage(Deref(ns), reminder.EntryId());
            platform::ObjectRef message;
            if (original)
                message = original->Forward();
            else
                message = application.CreateItem(client::olMailItem);
            auto safeItem = platform::Objects().CreateObjectAs<mailhelper::SafeMailItem>(
                mailhelper::kSafeMailItemProgId);
            safeItem->setItem(message);
            Deref(safeItem->Recipients())
                .Add(m_grid.TextMatrix(row, ReminderGridModel::ColEmailAddress));
            // The plain subject, in place of the forward's own prefix.
            safeItem->setSubject(m_grid.TextMatrix(row, ReminderGridModel::ColSubject));
            safeItem->Display();
        }
    });
}

void GridRowOperations::ChangeReminderTime() {
    engine::TrappedSteps(
        ReportSource::Fixed("Chasewell.cmdChangeReminderTime"), 1, [&](engine::Steps& steps) {
            steps.Begin(2);
            const std::vector<int> selected = m_grid.SelectedRowList();
            if (selected.empty())
                return;
            if (!StillPending(SelectedReminders()))
                return;
            auto working = std::make_shared<CReminderItem>();
            steps.Begin(6);
            const int first = selected.front();
            steps.Begin(8);
            const auto firstReminder = m_grid.Reminder(first);
            steps.Begin(10);
            working->setReminderDate(Deref(firstReminder).ReminderDate());
            // The very reminders, taken now: while the dialog is open the
            // grid may be refilled from outside (a reply that arrived).
            std::vector<std::shared_ptr<CReminderItem>> chosen;
            for (int row : selected) chosen.push_back(m_grid.Reminder(row));

            steps.Begin(12);
            const QPointer<QWidget> window(&m_window);
            const QPointer<frmChangeDate> dialog = new frmChangeDate(&m_window);
            dialog->setMyReminderInstance(working);
            const bool confirmed = dialog->exec() == QDialog::Accepted;
            if (!window)
                return;  // closed underneath the dialog (the add-in shutting down)
            delete dialog;
            // Cancelled: every selected reminder keeps its own date.
            if (!confirmed)
                return;
            // Gone while the dialog was open: a date given to a reminder no
            // longer in the collection would look accepted and never be kept.
            if (!StillPending(chosen))
                return;

            steps.Begin(14);
            for (auto it = chosen.rbegin(); it != chosen.rend(); ++it) {
                steps.Begin(16);
                const std::shared_ptr<CReminderItem>& reminder = *it;
                steps.Begin(18);
                CReminderItem& item = Deref(reminder);
                steps.Begin(20);
                const QString date = working->ReminderDate();
                item.setReminderDate(date);
                steps.Begin(22);
                if (const int row = m_grid.RowOf(reminder))
                    m_grid.SetTextMatrix(row, ReminderGridModel::ColReminderDate, date);
            }
            steps.Begin(24);
            RemindTimer::SetNextTimer();
            steps.Begin(26);
            m_window.setWindowTitle(NextReminderTitle());
            m_window.update();
        });
}

void GridRowOperations::SaveAndClose(const QString& source) {
    const bool saved = engine::Trapped(ReportSource::Fixed(source), 1,
                                       [] { Deref(Globals::m_ReminderItems).SaveData(); });
    // A failure leaves the window open.
    if (saved)
        m_window.close();
}
