// The reminder store with 100,000 reminders: loading and saving the data
// file against reading and writing the same bytes, and the searches that
// look at every reminder (FindEx and RemoveBy that match nothing).
//
// Trace lines go to a trace log that discards them, so the figures are the
// store's own and not those of the engine's log (BM_LoadData_EngineLog has
// the whole path, into the engine's log file).
//
// Memory is counted with mallinfo2: the bytes malloc has handed out and not
// had back, chunk headers included, before and after loading. That is what
// the reminders cost the heap (Qt's strings and every object come from
// malloc), unlike the resident set, which also keeps pages freed earlier and
// pages of other benchmarks, and unlike a counting operator new, which does
// not see Qt's string data.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <memory>

#include "bench/BenchEnv.h"
#include "host/engine/EngineLog.h"
#include "store/CReminderItems.h"

namespace {

constexpr int kReminders = 100000;

// The platform with a data file of kReminders reminders already written.
struct StoreBenchEnv : bench::BenchEnv {
    StoreBenchEnv() { Fill(); }

    // Writes the data file with kReminders reminders of realistic sizes.
    void Fill() {
        CReminderItems items;
        items.Initialize();
        const QString entryHex = QString(140, u'0');
        const QString storeHex = QString(92, u'A');
        for (int i = 0; i < kReminders; ++i) {
            auto item = std::make_shared<CReminderItem>();
            item->setEmailAddress(QStringLiteral("person%1@example.com").arg(i));
            item->setEntryId(entryHex.left(132) + QStringLiteral("%1").arg(i, 8, 16, QChar(u'0')));
            item->setStoreId(storeHex);
            item->setSentDate(QStringLiteral("3/%1/2024 9:15:00 AM").arg(1 + i % 28));
            item->setReminderDate(QStringLiteral("4/%1/2024 8:00:00 AM").arg(1 + i % 28));
            item->setColor(i % 3 == 0 ? 255 : 0);
            item->setSubject(QStringLiteral("Quarterly figures for region %1").arg(i % 500));
            item->setNote(i % 4 == 0 ? QStringLiteral("call if no answer") : QString());
            items.Add(item);
        }
        items.SaveData();
        bytes = files.ReadAll(DataFile());
    }

    QByteArray bytes;
};

StoreBenchEnv* g_store = nullptr;

// Loads the data file once an iteration; freeing the reminders is not timed.
void LoadEachIteration(benchmark::State& state) {
    for (auto _ : state) {
        auto items = std::make_unique<CReminderItems>();
        items->Initialize();
        benchmark::DoNotOptimize(items->Count());
        state.PauseTiming();
        items.reset();
        state.ResumeTiming();
    }
}

void BM_LoadData(benchmark::State& state) {
    LoadEachIteration(state);
    state.SetBytesProcessed(state.iterations() * g_store->bytes.size());
}

// The same with every trace line going the whole way: the engine's trace
// log object for each, into the engine's log and its file.
void BM_LoadData_EngineLog(benchmark::State& state) {
    host::EngineLog log;
    log.SetFile(QDir(g_store->folder.path()).filePath("Chasewell.log"));
    g_store->objects.Register(engine::kTraceLogProgId,
                              [&log] { return std::make_shared<host::HxTraceLog>(log); });
    LoadEachIteration(state);
    g_store->objects.Register(engine::kTraceLogProgId,
                              [] { return std::make_shared<bench::DiscardingTraceLog>(); });
    state.SetBytesProcessed(state.iterations() * g_store->bytes.size());
    state.counters["lines_kept"] = static_cast<double>(log.Traces().size());
}

// Reading the same bytes as text and splitting them into lines.
void BM_LoadBaseline(benchmark::State& state) {
    for (auto _ : state) {
        const QString text = QString::fromUtf8(g_store->files.ReadAll(g_store->DataFile()));
        const QStringList lines = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        benchmark::DoNotOptimize(lines.size());
    }
    state.SetBytesProcessed(state.iterations() * g_store->bytes.size());
}

size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// The heap the loaded reminders hold, and the same once every due date has
// been read as the alarm timer reads them at start-up.
void BM_MemoryLoaded(benchmark::State& state) {
    double loaded = 0;
    double datesRead = 0;
    for (auto _ : state) {
        const size_t before = HeapInUse();
        auto items = std::make_unique<CReminderItems>();
        items->Initialize();
        loaded = static_cast<double>(HeapInUse() - before);
        for (qint32 i = 1; i <= items->Count(); ++i)
            benchmark::DoNotOptimize(items->Item(i)->ReminderDateValue());
        datesRead = static_cast<double>(HeapInUse() - before);
        state.PauseTiming();
        items.reset();
        state.ResumeTiming();
    }
    const double fileBytes = static_cast<double>(g_store->bytes.size());
    state.counters["heap_MB"] = loaded / 1e6;
    state.counters["x_file"] = loaded / fileBytes;
    state.counters["dates_read_x_file"] = datesRead / fileBytes;
    state.counters["B_per_reminder"] = loaded / kReminders;
}

void BM_SaveData(benchmark::State& state) {
    CReminderItems items;
    items.Initialize();
    for (auto _ : state) {
        items.Item(1)->setIsDirty(true);
        items.SaveData();
    }
    state.SetBytesProcessed(state.iterations() * g_store->bytes.size());
}

// Writing the same bytes the same way: a new file put in place in one step.
void BM_SaveBaseline(benchmark::State& state) {
    for (auto _ : state) {
        auto file = g_store->files.NewWritableFile(g_store->DataFile());
        file->Append(g_store->bytes);
        file->Commit();
    }
    state.SetBytesProcessed(state.iterations() * g_store->bytes.size());
}

void BM_FindExNoMatch(benchmark::State& state) {
    CReminderItems items;
    items.Initialize();
    for (auto _ : state) {
        benchmark::DoNotOptimize(items.FindEx("nobody@elsewhere.example.org", "RE: Nothing alike"));
    }
}

void BM_RemoveByNoMatch(benchmark::State& state) {
    CReminderItems items;
    items.Initialize();
    for (auto _ : state) items.RemoveBy("nobody@elsewhere.example.org", "RE: Nothing alike");
}

}  // namespace

BENCHMARK(BM_LoadData)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_LoadData_EngineLog)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_LoadBaseline)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_MemoryLoaded)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SaveData)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_SaveBaseline)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_FindExNoMatch)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RemoveByNoMatch)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    StoreBenchEnv env;
    g_store = &env;
    std::fprintf(stderr, "Data file: %d reminders, %lld bytes\n", kReminders,
                 static_cast<long long>(env.bytes.size()));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_store = nullptr;
    return 0;
}
