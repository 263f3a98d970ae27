#include "schedule/RemindTimer.h"

#include <optional>
#include <utility>
#include <vector>

#include "addin/contracts/ErrorReport.h"
#include "platform/Env.h"
#include "schedule/Globals.h"
#include "schedule/WindowSeams.h"
#include "store/CReminderItem.h"
#include "store/CReminderItems.h"

namespace RemindTimer {

quint32 AlarmTimerId = 0;
QString NextReminderTime;

using engine::ReportSource;
using platform::LocaleDates;

namespace {

CReminderItems& Reminders() {
    return platform::Deref(Globals::m_ReminderItems);
}

// Reminders whose date text turned out not to be a date, each with that
// text, so that each is reported once and not at every pass of the timer.
// Entries of reminders that are gone are dropped as new ones come.
std::vector<std::pair<std::weak_ptr<CReminderItem>, QString>> g_reportedBadDates;

// The date a reminder falls due, or no value when its date is empty. A date
// text that is not a date must not stop every other reminder from arming
// and showing: it is reported once, naming the reminder, and the reminder is
// passed over (it stays in the collection and the data file, and the user
// can give it a date in the list of pending reminders).
std::optional<QDateTime> DueDate(const std::shared_ptr<CReminderItem>& item,
                                 const QString& source) {
    try {
        const auto value = item->ReminderDateValue();
        // A display form that does not read back is no date either.
        if (!value && !item->ReminderDateText().isEmpty())
            throw platform::RuntimeError::TypeMismatch();
        return value;
    } catch (const platform::RuntimeError&) {
        const QString text = item->ReminderDateText();
        std::erase_if(g_reportedBadDates, [](const auto& entry) { return entry.first.expired(); });
        for (const auto& [reported, reportedText] : g_reportedBadDates)
            if (reported.lock() == item && reportedText == text)
                return std::nullopt;
        g_reportedBadDates.emplace_back(item, text);
        engine::ReportError("The reminder for " + item->EmailAddress() + " about \"" +
                                item->Subject() + "\" cannot fall due: its reminder date \"" +
                                text +
                                "\" is not a date.  Give it a new date in the list of "
                                "pending reminders.",
                            1, source);
        return std::nullopt;
    }
}

qint32 ToLong(qint64 value) {
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        throw platform::RuntimeError::Overflow();
    return static_cast<qint32>(value);
}

}  // namespace

void SetNextTimer() {
    engine::Trapped(ReportSource::Fixed("Chasewell.RemindTimer.SetNextTimer"), 0, [] {
        KillTimer();
        auto next = GetNextReminder();
        if (!next)
            return;
        const QString due = next->ReminderDate();
        Globals::WriteTrace("RemindTimer.SetNextTimer", "Setting next alarm for '" + due + "'");
        if (!due.isEmpty()) {
            // Whole minute boundaries from now: the timer fires as many seconds
            // into the due minute as now is into its minute.
            qint32 minutes =
                ToLong(LocaleDates::DateDiffMinutes(platform::Now(), platform::Dates().CDate(due)));
            if (minutes > kLongestDelayMinutes)
                minutes = kLongestDelayMinutes;
            const qint32 delay = minutes < 1 ? kShortestDelayMs : minutes * 60 * 1000;
            SetApplicationTimer(delay);
        }
        NextReminderTime = next->ReminderDate();
    });
}

std::shared_ptr<CReminderItem> GetNextReminder() {
    std::shared_ptr<CReminderItem> best;
    const bool done = engine::TrappedSteps(
        ReportSource::Fixed("Chasewell.RemindTimer.GetNextReminder"), 1, [&](engine::Steps& steps) {
            steps.Begin(2);
            const QDateTime threshold = platform::Now().addSecs(kLookAheadSeconds);
            const qint32 count = Reminders().Count();
            QDateTime bestDate;
            for (qint32 i = 1; i <= count; ++i) {
                steps.Begin(4);
                auto item = Reminders().Item(i);
                steps.Begin(6);
                const auto value = DueDate(item, "Chasewell.RemindTimer.GetNextReminder");
                if (!value)
                    continue;
                const QDateTime date = *value;
                if (!best) {
                    steps.Begin(8);
                    if (date > threshold) {
                        best = item;
                        bestDate = date;
                    }
                } else if (date < bestDate) {
                    steps.Begin(12);
                    if (date > threshold) {
                        best = item;
                        bestDate = date;
                    }
                }
            }
            steps.Begin(16);
        });
    return done ? best : nullptr;
}

bool SetApplicationTimer(qint32 delay) {
    bool created = false;
    engine::Trapped(ReportSource::Fixed("Chasewell.SetApplicationTimer"), 1, [&] {
        Globals::WriteTrace("RemindTimer.StartTimer", "Timer starting...delaying " +
                                                          QString::number(delay) + " milliseconds");
        if (AlarmTimerId != 0)
            KillTimer();
        AlarmTimerId = platform::Timers().SetTimer(delay, &TimerOccurred);
        if (AlarmTimerId != 0) {
            const auto seconds = static_cast<qint64>(LocaleDates::RoundHalfEven(delay / 1000.0));
            const QDateTime alarm = platform::Now().addSecs(seconds);
            Globals::WriteTrace("RemindTimer.StartTimer", "Timer restarted...alarm goes off at " +
                                                              platform::Dates().GeneralForm(alarm));
            created = true;
        } else {
            engine::ReportError("Error occurred.  Timer not created: " +
                                    QString::number(platform::Timers().LastError()),
                                0, QStringLiteral("Chasewell.SetApplicationTimer"));
        }
    });
    return created;
}

void KillTimer() {
    Globals::WriteTrace("RemindTimer.KillTimer", "Timer stopped");
    if (AlarmTimerId != 0) {
        if (platform::Timers().KillTimer(AlarmTimerId))
            AlarmTimerId = 0;
    }
    NextReminderTime.clear();
}

void DisplayOverdueReminders() {
    engine::Steps steps;
    try {
        steps.Begin(2);
        const QDateTime threshold = platform::Now().addSecs(kOverdueWindowSeconds);
        steps.Begin(4);
        const bool individual = Globals::DisplayIndividualReminders() != 0;
        const qint32 count = Reminders().Count();
        int overdue = 0;
        qint32 lowestPosition = 0;
        for (qint32 i = count; i >= 1; --i) {
            steps.Begin(6);
            auto item = Reminders().Item(i);
            steps.Begin(10);
            const auto date = DueDate(item, "Chasewell.DisplayOverdueReminders");
            if (!date || *date >= threshold)
                continue;
            if (individual) {
                WindowSeams::Remind().ShowNew(Globals::m_Engine, item);
            } else {
                ++overdue;
                lowestPosition = i;
            }
        }
        if (individual)
            return;
        steps.Begin(14);
        if (overdue >= 2)
            WindowSeams::RemindMultiple().Show(Globals::m_Engine);
        else if (overdue == 1)
            WindowSeams::Remind().ShowShared(Globals::m_Engine, Reminders().Item(lowestPosition));
    } catch (...) {
        engine::ReportError("Error occurred at " + QString::number(steps.Last()) +
                                ".  Reason: " + platform::CurrentErrorDescription(),
                            1, QStringLiteral("Chasewell.DisplayOverdueReminders"));
    }
}

void TimerOccurred() {
    engine::Trapped(ReportSource::AfterAppName(".TimerOccurred"), 0, [] {
        Globals::WriteTrace("RemindTimer.TimerOccurred", "Timer alarm went off");
        KillTimer();
        DisplayOverdueReminders();
        SetNextTimer();
    });
}

}  // namespace RemindTimer
