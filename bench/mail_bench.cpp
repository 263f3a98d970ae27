// Listing a folder whose one message has a header line of many megabytes, as
// hostile mail may have: the program reads every message's header at start,
// so this must cost time in proportion to the message's size, and a 64 MB
// line well under a second of processor time. The 16 MB case beside it shows
// the proportion (a quarter of the time, where a reading that starts over
// for each piece of the file takes a sixteenth). Run the RelWithDebInfo
// build:
//   build/<dir>/bin/chasewell_mail_bench
// The figures to read are the medians of the processor times.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "bench/BenchEnv.h"
#include "host/mail/MailModel.h"
#include "host/maildir/MaildirMailbox.h"

namespace {

// A Maildir whose cur/ holds one message with a header line of that many
// megabytes, and an ordinary body.
class HostileFolder {
public:
    explicit HostileFolder(qsizetype megabytes) {
        for (const char* sub : {"cur", "new", "tmp"}) QDir().mkpath(Path() + '/' + sub);
        QFile file(Path() + "/cur/1700000000.M1P1.bench:2,S");
        file.open(QIODevice::WriteOnly);
        file.write(
            "From: sender@example.com\r\nTo: user@example.com\r\nSubject: Hello\r\n"
            "X-Padding: ");
        const QByteArray block(1024 * 1024, 'a');
        for (qsizetype i = 0; i < megabytes; ++i) file.write(block);
        file.write("\r\n\r\nThe body.\r\n");
    }
    QString Path() const { return m_folder.path() + "/Inbox"; }

private:
    QTemporaryDir m_folder;
};

void BM_ListAFolderWithAHugeHeaderLine(benchmark::State& state) {
    bench::BenchEnv env;
    const HostileFolder folder(state.range(0));
    for (auto _ : state) {
        auto model = host::MailModel::Create();
        host::maildir::MaildirMailbox mailbox(model);
        mailbox.Bind(model->DefaultFolder(client::olFolderInbox), folder.Path(), false);
        const auto listed = model->DefaultFolder(client::olFolderInbox)->Contents();
        if (listed.size() != 1 || listed.front()->Subject() != "Hello")
            state.SkipWithError("the message was not listed");
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * 1024 * 1024);
}
BENCHMARK(BM_ListAFolderWithAHugeHeaderLine)
    ->Arg(16)
    ->Arg(64)
    ->ArgName("MB")
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
