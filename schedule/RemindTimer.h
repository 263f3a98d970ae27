#pragma once

// The alarm: at most one window timer, armed for the earliest future
// reminder of the collection. When it fires it opens the alarm windows for
// every overdue reminder and arms itself again.

#include <QString>
#include <memory>

class CReminderItem;

namespace RemindTimer {

// Id of the armed window timer; 0 when none is armed.
extern quint32 AlarmTimerId;
// Display form of the due date of the reminder the timer is armed for; empty
// when none.
extern QString NextReminderTime;

// A reminder is a candidate for the timer only when due later than now plus
// this.
inline constexpr int kLookAheadSeconds = 5;
// A reminder counts as overdue when due earlier than now plus this.
inline constexpr int kOverdueWindowSeconds = 60;
// The delay is capped here, 2,100,000,000 ms, which fits a signed 32-bit
// millisecond count.
inline constexpr qint32 kLongestDelayMinutes = 35000;
// Used when the due time is less than one minute boundary away.
inline constexpr qint32 kShortestDelayMs = 60000;

void SetNextTimer();
std::shared_ptr<CReminderItem> GetNextReminder();
bool SetApplicationTimer(qint32 delay);
void KillTimer();
void DisplayOverdueReminders();
// The window timer's callback.
void TimerOccurred();

}  // namespace RemindTimer
