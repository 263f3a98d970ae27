// The add-in hosted in Thunderbird: how long the host takes from its start to
// its first answer, and a reply's way from the new-mail message on the port
// to the saved data file, with 1,000 and 100,000 reminders. Targets: a start
// under 300 ms and a reply under 20 ms with 1,000 reminders.
//
//  - BM_HostStartToFirstAnswer: the real host program started as Thunderbird
//    starts it (a new process, standard input and output as the port), with
//    the data file of N reminders, until its reply to hello has arrived: the
//    process, Qt, the add-in loaded, the reminders loaded, the alarm armed.
//    Its exit once the port closes is reported beside it (exit_ms).
//    Baselines in the same run: BM_HostStartAndEndWithoutHello, the same
//    program started and ended with nothing said (the process and Qt alone),
//    and BM_LoadDataFile, the store's collection loading the same file.
//  - BM_ReplyThroughHost: the host in this process behind a pipe, as
//    Thunderbird sends it a reply from a reminded recipient ("RE: " + the
//    subject), with automatic removal on: the message read and checked, the
//    add-in's Inbox event, the reminder ended and the data file written
//    safely (synced), until the collection has one reminder less.
//
// Run the RelWithDebInfo build: build/<dir>/bin/chasewell_thunderbird_bench
// The figures to read are the medians of the repetitions.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdint>

#include "bench/BenchEnv.h"
#include "host/thunderbird/ExtensionLink.h"
#include "host/thunderbird/NativePort.h"
#include "host/thunderbird/ThunderbirdHost.h"
#include "schedule/Globals.h"
#include "store/CReminderItems.h"
#include "tests/host/thunderbird/FakeThunderbird.h"

namespace {

using host::thunderbird::ExtensionLink;
using host::thunderbird::NativePort;
using host::thunderbird::Protocol;
using host::thunderbird::ThunderbirdHost;

QString Person(int i) {
    return QStringLiteral("person%1@example.com").arg(i);
}
QString Subject(int i) {
    return QStringLiteral("Quarterly figures for region %1").arg(i);
}

// A data file of n reminders, one per person, all due in years.
QByteArray DataFile(int n) {
    QByteArray bytes;
    for (int i = 0; i < n; ++i)
        bytes += "EmailAddress: " + Person(i).toUtf8() + "|EntryId: sent-" + QByteArray::number(i) +
                 "@example.org|StoreId: account1/Sent|SentDate: 3/1/2024 9:00:00 AM|"
                 "ReminderDate: 3/8/2099 8:00:00 AM|Color: 0|Subject: " +
                 Subject(i).toUtf8() + "|Note: \r\n";
    return bytes;
}

QByteArray Frame(const QJsonObject& message) {
    const QByteArray json = QJsonDocument(message).toJson(QJsonDocument::Compact);
    const std::uint32_t length = static_cast<std::uint32_t>(json.size());
    return QByteArray(reinterpret_cast<const char*>(&length), sizeof length) + json;
}

QJsonObject Hello() {
    return QJsonObject{{"kind", "hello"},
                       {"id", 1},
                       {"protocol", 1},
                       {"extension", "bench"},
                       {"accounts", QJsonArray{}},
                       {"folder", QJsonValue::Null}};
}

// A home for the host program: its data folder with the data file, and its
// settings folder.
class HostHome {
public:
    explicit HostHome(int reminders) {
        QDir().mkpath(m_home.path() + "/data/Chasewell");
        QFile file(m_home.path() + "/data/Chasewell/ChasewellData.txt");
        file.open(QIODevice::WriteOnly);
        file.write(DataFile(reminders));
    }
    QProcessEnvironment Environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", m_home.path());
        environment.insert("XDG_DATA_HOME", m_home.path() + "/data");
        environment.insert("XDG_CONFIG_HOME", m_home.path() + "/config");
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("LANG", "en_US.UTF-8");
        return environment;
    }
    QString DataFilePath() const { return m_home.path() + "/data/Chasewell/ChasewellData.txt"; }

private:
    QTemporaryDir m_home;
};

// The host program started as Thunderbird starts it, in that home; the
// clock runs from just before the start.
void StartHost(QProcess& host, const HostHome& home, QElapsedTimer& clock) {
    host.setProcessEnvironment(home.Environment());
    host.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    clock.start();
    host.start(QCoreApplication::applicationDirPath() + "/chasewell-thunderbird-host",
               {"/bench/manifest.json", "chasewell@tandrelsoftware.com"});
}

void BM_HostStartToFirstAnswer(benchmark::State& state) {
    const HostHome home(static_cast<int>(state.range(0)));
    double exitMs = 0;
    for (auto _ : state) {
        QProcess host;
        QElapsedTimer clock;
        StartHost(host, home, clock);
        host.write(Frame(Hello()));
        QByteArray answer;
        while (answer.size() < 4 ||
               answer.size() < 4 + *reinterpret_cast<const std::uint32_t*>(answer.constData())) {
            if (!host.waitForReadyRead(30000))
                break;
            answer += host.readAllStandardOutput();
        }
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        if (!answer.contains("\"ok\":true")) {
            state.SkipWithError("the host did not answer hello");
            break;
        }
        QElapsedTimer ending;
        ending.start();
        host.closeWriteChannel();
        host.waitForFinished(30000);
        exitMs += static_cast<double>(ending.nsecsElapsed()) / 1e6;
        if (host.exitStatus() != QProcess::NormalExit || host.exitCode() != 0) {
            state.SkipWithError("the host did not exit cleanly");
            break;
        }
    }
    state.counters["exit_ms"] = benchmark::Counter(exitMs, benchmark::Counter::kAvgIterations);
}

void BM_HostStartAndEndWithoutHello(benchmark::State& state) {
    const HostHome home(0);
    for (auto _ : state) {
        QProcess host;
        QElapsedTimer clock;
        StartHost(host, home, clock);
        host.closeWriteChannel();
        host.waitForFinished(30000);
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
    }
}

void BM_LoadDataFile(benchmark::State& state) {
    bench::BenchEnv env;
    QFile file(env.DataFile());
    file.open(QIODevice::WriteOnly);
    file.write(DataFile(static_cast<int>(state.range(0))));
    file.close();
    for (auto _ : state) {
        CReminderItems reminders;
        reminders.Initialize();
        benchmark::DoNotOptimize(reminders.Count());
    }
}

void BM_ReplyThroughHost(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    bench::BenchEnv env(platform::MakeDateTime(QDate(2024, 3, 7), QTime(10, 0)));
    bench::RemovalOn settings;
    env.env.settings = &settings;
    env.env.timers = platform::Env::Production().timers;
    env.env.windows = platform::Env::Production().windows;
    env.env.messageBoxes = platform::Env::Production().messageBoxes;
    {
        QFile file(env.DataFile());
        file.open(QIODevice::WriteOnly);
        file.write(DataFile(count));
    }
    tb_testing::FakeThunderbird tb;
    const Protocol& protocol = Protocol::Builtin();
    NativePort port(tb.HostInput(), tb.HostOutput(), protocol.Limit("toHostBytes"),
                    protocol.Limit("toExtensionBytes"));
    ExtensionLink link(port, protocol);
    ThunderbirdHost host(
        link, protocol,
        {env.folder.path() + '/', QCoreApplication::applicationDirPath() + "/libChasewell.so",
         QCoreApplication::applicationDirPath() + "/libChasewellProp.so"});
    QJsonObject hello = Hello();
    hello["id"] = 7;
    tb.Send(hello);
    if (!tb.ReplyTo(7) || !Globals::m_ReminderItems) {
        state.SkipWithError("the host did not start");
        return;
    }
    const QJsonObject inbox{{"accountId", "account1"}, {"path", "/INBOX"}, {"name", "Inbox"}};
    int next = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const int person = next++ % count;
        const qint32 before = Globals::m_ReminderItems->Count();
        QJsonObject message{{"messageId", QStringLiteral("reply-%1@example.com").arg(next)},
                            {"folder", inbox},
                            {"subject", "RE: " + Subject(person)},
                            {"author", Person(person)},
                            {"date", 1709805600000.0},
                            {"to", QJsonArray{"me@example.org"}},
                            {"cc", QJsonArray{}},
                            {"bcc", QJsonArray{}}};
        state.ResumeTiming();

        tb.Send(QJsonObject{{"kind", "newMail"}, {"message", message}});
        tb.PumpUntil([&] { return Globals::m_ReminderItems->Count() < before; });

        state.PauseTiming();
        if (Globals::m_ReminderItems->Count() != before - 1) {
            state.SkipWithError("the reply did not end its reminder");
            break;
        }
        state.ResumeTiming();
    }
    host.Stop();
    Globals::m_ReminderItems.reset();
    Globals::m_Engine.reset();
}

}  // namespace

BENCHMARK(BM_HostStartToFirstAnswer)
    ->Arg(1000)
    ->Arg(100000)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_HostStartAndEndWithoutHello)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_LoadDataFile)
    ->Arg(1000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ReplyThroughHost)
    ->Arg(1000)
    ->Iterations(100)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ReplyThroughHost)
    ->Arg(100000)
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
