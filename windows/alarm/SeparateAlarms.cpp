#include "windows/alarm/SeparateAlarms.h"

#include "addin/contracts/ErrorReport.h"
#include "platform/Env.h"
#include "schedule/Globals.h"
#include "schedule/RemindTimer.h"
#include "store/CReminderItems.h"
#include "windows/alarm/AlarmWindows.h"

void SeparateAlarms::Show(const std::shared_ptr<engine::IEngine>& engine) {
    engine::Trapped(engine::ReportSource::Fixed("Chasewell.SeparateAlarms.Show"), 1, [&] {
        auto& reminders = platform::Deref(Globals::m_ReminderItems);
        const QDateTime threshold = platform::Now().addSecs(RemindTimer::kOverdueWindowSeconds);
        for (qint32 i = reminders.Count(); i >= 1; --i) {
            auto reminder = reminders.Item(i);
            const auto due = reminder->ReminderDateValue();
            if (due && *due < threshold)
                m_alarms.ShowNew(engine, reminder);
        }
    });
}
