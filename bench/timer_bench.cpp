// The alarm timer's passes over every reminder, with 100,000 reminders none
// of which is due: choosing the next reminder (GetNextReminder) and looking
// for overdue ones (DisplayOverdueReminders). Both run at start-up, after
// every send and every time the alarm fires.

#include <benchmark/benchmark.h>

#include <QHash>

#include "bench/BenchEnv.h"
#include "schedule/Globals.h"
#include "schedule/RemindTimer.h"
#include "store/CReminderItems.h"

namespace {

constexpr int kReminders = 100000;

struct TimerBenchEnv : bench::BenchEnv {
    TimerBenchEnv() : BenchEnv(platform::MakeDateTime(QDate(2024, 3, 7), QTime(10, 0, 30))) {
        Globals::m_ReminderItems = std::make_shared<CReminderItems>();
        Globals::m_ReminderItems->Initialize();
        for (int i = 0; i < kReminders; ++i) {
            auto item = std::make_shared<CReminderItem>();
            item->setEmailAddress(QStringLiteral("person%1@example.com").arg(i));
            // Display forms, as the add-in stores them, spread over a month.
            item->setReminderDate(QStringLiteral("4/%1/2024 %2:%3 AM")
                                      .arg(1 + i % 28)
                                      .arg(1 + i % 11, 2, 10, QChar(u'0'))
                                      .arg(i % 60, 2, 10, QChar(u'0')));
            Globals::m_ReminderItems->Add(item);
        }
    }
    ~TimerBenchEnv() { Globals::m_ReminderItems.reset(); }
};

TimerBenchEnv& Shared() {
    static TimerBenchEnv instance;
    return instance;
}

void BM_GetNextReminder(benchmark::State& state) {
    Shared();
    for (auto _ : state) benchmark::DoNotOptimize(RemindTimer::GetNextReminder());
    state.SetItemsProcessed(state.iterations() * kReminders);
    // A pass that failed would look fast: show the reports it made.
    state.counters["reports"] = static_cast<double>(Shared().log.Errors().size());
}
BENCHMARK(BM_GetNextReminder)->Unit(benchmark::kMillisecond);

// The first pass after every due date changed (after loading the data file,
// or after every reminder was snoozed): each date is parsed and formatted.
void BM_GetNextReminder_AllDatesNew(benchmark::State& state) {
    Shared();
    auto& reminders = *Globals::m_ReminderItems;
    for (auto _ : state) {
        state.PauseTiming();
        // Every date gets a new text for the same time: with seconds, or
        // without them again.
        for (qint32 i = 1; i <= reminders.Count(); ++i) {
            auto item = reminders.Item(i);
            QString text = item->ReminderDateText();
            const bool hasSeconds = text.count(u':') == 2;
            item->setReminderDate(hasSeconds ? text.replace(":00 AM", " AM")
                                             : text.replace(" AM", ":00 AM"));
        }
        state.ResumeTiming();
        benchmark::DoNotOptimize(RemindTimer::GetNextReminder());
    }
    state.SetItemsProcessed(state.iterations() * kReminders);
    state.counters["reports"] = static_cast<double>(Shared().log.Errors().size());
}
BENCHMARK(BM_GetNextReminder_AllDatesNew)->Unit(benchmark::kMillisecond);

void BM_DisplayOverdueReminders_NoneDue(benchmark::State& state) {
    Shared();
    for (auto _ : state) RemindTimer::DisplayOverdueReminders();
    state.SetItemsProcessed(state.iterations() * kReminders);
    // A pass that failed would look fast: show the reports it made.
    state.counters["reports"] = static_cast<double>(Shared().log.Errors().size());
}
BENCHMARK(BM_DisplayOverdueReminders_NoneDue)->Unit(benchmark::kMillisecond);

}  // namespace
