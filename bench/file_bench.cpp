// What a small save and a trace line cost on the real file system: a data
// file of 20 reminders (about 4 KiB, the common case) replaced through the
// file layer, and one trace line appended to the engine's log file.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>

#include "host/engine/EngineLog.h"
#include "platform/DataFiles.h"

namespace {

QByteArray SmallDataFile() {
    QByteArray bytes;
    for (int i = 0; bytes.size() < 4096; ++i)
        bytes += "EmailAddress: person" + QByteArray::number(i) +
                 "@example.com|EntryId: |StoreId: |SentDate: 3/4/2024 9:15:00 AM|"
                 "ReminderDate: 3/11/2024 8:00:00 AM|Color: 0|Subject: Quarterly figures|"
                 "Note: \r\n";
    return bytes;
}

void BM_SaveSmallFile(benchmark::State& state) {
    QTemporaryDir folder;
    platform::LocalDataFiles files;
    const QString path = QDir(folder.path()).filePath("ChasewellData.txt");
    const QByteArray bytes = SmallDataFile();
    for (auto _ : state) {
        auto file = files.NewWritableFile(path);
        file->Append(bytes);
        file->Commit();
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BM_LogTraceLine(benchmark::State& state) {
    QTemporaryDir folder;
    host::EngineLog log;
    log.SetFile(QDir(folder.path()).filePath("Chasewell.log"));
    const host::TraceLine line{"Chasewell", "RemindTimer.SetNextTimer",
                               "Setting next alarm for '3/11/2024 08:00 AM'", 0};
    for (auto _ : state) log.AddTrace(line);
}

}  // namespace

BENCHMARK(BM_SaveSmallFile)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_LogTraceLine)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
