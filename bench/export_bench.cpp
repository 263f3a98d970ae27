// The calendar export of 10,000 reminders: the calendar text alone, on a
// first export (every event new) and again with nothing changed, and the
// whole export (history read, calendar and history written safely). Run the
// RelWithDebInfo build:
//   build/<dir>/bin/chasewell_export_bench
// The figure to read is the median of the repetitions.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <memory>

#include "bench/BenchEnv.h"
#include "host/export/CalendarExport.h"
#include "host/export/ICalendarWriter.h"
#include "store/CReminderItems.h"

namespace {

constexpr int kReminders = 10000;

// The platform and the reminders.
struct ExportBenchEnv : bench::BenchEnv {
    ExportBenchEnv() {
        reminders.Initialize();
        for (int i = 0; i < kReminders; ++i) {
            auto item = std::make_shared<CReminderItem>();
            item->setEmailAddress(QStringLiteral("person%1@example.com").arg(i % 700));
            item->setEntryId(QStringLiteral("00AB%1").arg(i, 8, 10, QChar('0')));
            item->setSubject(QStringLiteral("Progress report number %1").arg(i));
            item->setReminderDate(QStringLiteral("%1/%2/2025 %3:15:00 AM")
                                      .arg(1 + i % 12)
                                      .arg(1 + i % 28)
                                      .arg(1 + i % 11));
            item->setNote(i % 3 == 0 ? QStringLiteral("call if no answer, then write") : QString());
            reminders.Add(item);
        }
    }

    CReminderItems reminders;
};

ExportBenchEnv& Bench() {
    static ExportBenchEnv shared;
    return shared;
}

void BM_CalendarTextFirstExport(benchmark::State& state) {
    const auto events = host::calendar::EventsOf(Bench().reminders).events;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (auto _ : state) {
        host::calendar::ExportHistory history;
        benchmark::DoNotOptimize(host::calendar::CalendarText(events, history, now, "bench"));
    }
}
BENCHMARK(BM_CalendarTextFirstExport)->Unit(benchmark::kMillisecond);

void BM_CalendarTextNothingChanged(benchmark::State& state) {
    const auto events = host::calendar::EventsOf(Bench().reminders).events;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    host::calendar::ExportHistory history;
    host::calendar::CalendarText(events, history, now, "bench");
    for (auto _ : state)
        benchmark::DoNotOptimize(host::calendar::CalendarText(events, history, now, "bench"));
}
BENCHMARK(BM_CalendarTextNothingChanged)->Unit(benchmark::kMillisecond);

void BM_ExportReminders(benchmark::State& state) {
    const QString target = QDir(Bench().folder.path()).filePath("reminders.ics");
    for (auto _ : state) {
        const auto result = host::calendar::ExportReminders(Bench().reminders, target);
        if (!result.written)
            state.SkipWithError(result.failure.toUtf8().constData());
    }
}
BENCHMARK(BM_ExportReminders)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
