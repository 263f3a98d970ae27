// The pending-reminders window's grid with 10,000 and 100,000 reminders:
// FillGrid (every row rebuilt from the collection, as after each change),
// and a click on the "Reminder Date" header sorting 100,000 rows by date.
// Targets: FillGrid under 30 ms for 10,000 and under 300 ms for 100,000;
// the sort under 300 ms.
//
// Trace lines go to a trace log that discards them. The window is loaded
// but not shown, as the add-in's refill after a send leaves it.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>

#include "bench/BenchEnv.h"
#include "schedule/Globals.h"
#include "store/CReminderItems.h"
#include "windows/manage/ReminderGrid.h"
#include "windows/manage/frmViewReminders.h"

namespace {

// The add-in's collection with `count` reminders, each sent and due at a
// time of its own, as texts in the forms the add-in writes.
struct GridBenchEnv : bench::BenchEnv {
    explicit GridBenchEnv(int count)
        : BenchEnv(platform::MakeDateTime(QDate(2024, 3, 7), QTime(10, 0, 30))) {
        // The window's own seams are the production ones.
        const platform::Env& production = platform::Env::Production();
        env.timers = production.timers;
        env.messageBoxes = production.messageBoxes;
        env.colours = production.colours;
        env.windows = production.windows;
        Globals::m_ReminderItems = std::make_shared<CReminderItems>();
        Globals::m_ReminderItems->Initialize();
        for (int i = 0; i < count; ++i) {
            auto item = std::make_shared<CReminderItem>();
            item->setEmailAddress(QStringLiteral("person%1@example.com").arg(i));
            item->setSubject(QStringLiteral("Subject %1").arg(i % 977));
            item->setNote(QStringLiteral("note %1").arg(i));
            item->setColor(i % 3 == 0 ? 0xFF : 0);
            // Sent in February (general form), due in April (display form).
            item->setSentDate(QStringLiteral("2/%1/2024 %2:%3:%4 PM")
                                  .arg(1 + i % 28)
                                  .arg(1 + i % 11)
                                  .arg(i % 60, 2, 10, QChar(u'0'))
                                  .arg((i / 60) % 60, 2, 10, QChar(u'0')));
            item->setReminderDate(QStringLiteral("4/%1/2024 %2:%3 AM")
                                      .arg(1 + (i * 7) % 28)
                                      .arg(1 + i % 11, 2, 10, QChar(u'0'))
                                      .arg((i * 13) % 60, 2, 10, QChar(u'0')));
            Globals::m_ReminderItems->Add(item);
        }
    }
    ~GridBenchEnv() { Globals::m_ReminderItems.reset(); }
};

void BM_FillGrid(benchmark::State& state) {
    GridBenchEnv reminders(static_cast<int>(state.range(0)));
    frmViewReminders window;
    window.FillGrid();  // loads the window (and fills it once)
    for (auto _ : state) {
        window.FillGrid();
        benchmark::DoNotOptimize(window.grdReminders->Rows());
    }
    if (window.grdReminders->Rows() != state.range(0) + 1)
        state.SkipWithError("The grid does not hold every reminder");
    state.counters["rows"] = static_cast<double>(window.grdReminders->Rows() - 1);
}
BENCHMARK(BM_FillGrid)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_SortByReminderDate(benchmark::State& state) {
    GridBenchEnv reminders(static_cast<int>(state.range(0)));
    frmViewReminders window;
    window.FillGrid();
    ReminderGrid& grid = *window.grdReminders;
    bool ascending = true;
    for (auto _ : state) {
        // What a click on the header does; each click sorts the other way.
        grid.sortByColumn(ReminderGridModel::ColReminderDate,
                          ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
        ascending = !ascending;
        benchmark::DoNotOptimize(grid.TextMatrix(1, ReminderGridModel::ColReminderDate));
    }
    if (grid.TextMatrix(1, ReminderGridModel::ColReminderDate).isEmpty())
        state.SkipWithError("The grid was not sorted");
}
BENCHMARK(BM_SortByReminderDate)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
