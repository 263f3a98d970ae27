// Startup of the program with a large mailbox: 10,000 messages in the Inbox
// and 10,000 reminders in the data file, from nothing loaded to the main
// window shown with the Inbox listed (target: under 500 ms); the same with
// 100,000 messages (target: under 3 s). The baseline in the same run reads
// the header of every one of the 10,000 files and nothing more: what no
// program showing the list can do without. Run the RelWithDebInfo build:
//   build/<dir>/bin/chasewell_startup_bench
// The figures to read are the medians of the repetitions.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeView>

#include "host/app/MailClient.h"
#include "host/app/MainWindow.h"
#include "host/engine/ModuleLoader.h"
#include "host/engine/Registration.h"
#include "host/maildir/MessageFile.h"
#include "host/mailhelper/QxMAPIUtils.h"
#include "platform/Env.h"
#include "platform/IniSettingsStore.h"
#include "schedule/Globals.h"
#include "store/CReminderItems.h"

namespace {

constexpr int kMessages = 10000;
constexpr int kManyMessages = 100000;
constexpr int kReminders = 10000;

// A data folder holding the large mailbox and data file, made once.
class LargeMailbox {
public:
    explicit LargeMailbox(int messages) : m_messages(messages) {
        const QString mail = Path() + "Mail/";
        for (const char* name : {"Inbox", "Sent Items", "Drafts"})
            for (const char* sub : {"cur", "new", "tmp"}) QDir().mkpath(mail + name + '/' + sub);
        auto model = host::MailModel::Create();
        const QDateTime start = platform::MakeDateTime(QDate(2024, 1, 1), QTime(8, 0));
        for (int i = 0; i < messages; ++i) {
            auto item = model->NewMailItem();
            item->setSender(host::HostAddressEntry::ForAddress(
                QStringLiteral("sender%1@example.com").arg(i % 500)));
            item->setSubject(QStringLiteral("RE: Progress report number %1").arg(i));
            item->setBody(
                QStringLiteral("Thanks, here is the figure you asked for.\n").repeated(5));
            item->RecipientList()->AddRecipient(client::olTo, "user@example.com");
            item->setSentOn(start.addSecs(600LL * i));
            QFile file(mail +
                       QStringLiteral("Inbox/cur/%1.M%2P1.bench:2,S").arg(1700000000 + i).arg(i));
            file.open(QIODevice::WriteOnly);
            file.write(host::maildir::WriteMessage(*item));
        }
        // Every reminder is due next year, so none opens an alarm at startup.
        const int year = QDate::currentDate().year() + 1;
        QFile data(Path() + "ChasewellData.txt");
        data.open(QIODevice::WriteOnly);
        for (int i = 0; i < kReminders; ++i)
            data.write(QStringLiteral("EmailAddress: person%1@example.com|EntryId: 00AB%2|StoreId: "
                                      "00CD34|SentDate: 3/4/2024 9:15:00 AM|ReminderDate: "
                                      "%3/%4/%5 8:00:00 AM|Color: 255|Subject: Quarterly figures "
                                      "%2|Note: call if no answer\r\n")
                           .arg(i % 700)
                           .arg(i)
                           .arg(i % 12 + 1)
                           .arg(i % 28 + 1)
                           .arg(year)
                           .toUtf8());
    }
    QString Path() const { return m_dir.path() + '/'; }
    int Messages() const { return m_messages; }

private:
    QTemporaryDir m_dir;
    int m_messages;
};

// The process's resident memory now, from /proc/self/statm.
double ResidentMegabytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1
               ? fields[1].toDouble() * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1024 * 1024)
               : 0;
}

const LargeMailbox& TenThousand() {
    static const LargeMailbox mailbox(kMessages);
    return mailbox;
}

void StartupToUsableWindow(benchmark::State& state, const LargeMailbox& mailbox) {
    platform::Env env = platform::Env::Current();
    platform::IniSettingsStore settings(mailbox.Path());
    env.settings = &settings;
    platform::ScopedEnv scope(env);
    const QString modulePath = QCoreApplication::applicationDirPath() + "/libChasewell.so";
    qint64 listed = 0;
    // Where the time goes: the mailbox read, then the add-in and the window.
    double mailboxMs = 0, windowMs = 0, residentMb = 0;
    for (auto _ : state) {
        QElapsedTimer phase;
        phase.start();
        auto client = std::make_unique<host::app::MailClient>();
        QString error;
        if (!client->OpenMailbox({mailbox.Path(), QString()}, error)) {
            state.SkipWithError(error.toUtf8().constData());
            return;
        }
        mailboxMs = static_cast<double>(phase.restart());
        host::RegisterEngineClasses(platform::Objects(), client->Global(), client->Log());
        host::RegisterMailHelperClasses(platform::Objects(), client->Model());
        client->Start(host::LoadModule(modulePath), true);
        QCoreApplication::processEvents();
        windowMs = static_cast<double>(phase.elapsed());
        residentMb = ResidentMegabytes();
        listed = client->Main()->messageList()->model()->rowCount();
        state.PauseTiming();
        if (!Globals::m_ReminderItems || Globals::m_ReminderItems->Count() != kReminders ||
            listed != mailbox.Messages()) {
            state.SkipWithError("The mailbox or the reminders did not load in full");
            return;
        }
        client->Stop();
        client.reset();
        state.ResumeTiming();
    }
    state.counters["messages"] = static_cast<double>(listed);
    state.counters["mailbox_ms"] = mailboxMs;
    state.counters["addin_window_ms"] = windowMs;
    // What the process holds once the window is up (the program, Qt, the
    // mailbox and the reminders).
    state.counters["resident_mb"] = residentMb;
    state.counters["reminders"] = kReminders;
}
void BM_StartupToUsableWindow(benchmark::State& state) {
    StartupToUsableWindow(state, TenThousand());
}
BENCHMARK(BM_StartupToUsableWindow)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(false);

void BM_StartupWith100000Messages(benchmark::State& state) {
    static LargeMailbox mailbox(kManyMessages);
    StartupToUsableWindow(state, mailbox);
}
BENCHMARK(BM_StartupWith100000Messages)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(false);

// The floor: every Inbox file opened and its first 16 KiB (all of these
// messages) read, nothing parsed.
void BM_BaselineReadTheFiles(benchmark::State& state) {
    const LargeMailbox& mailbox = TenThousand();
    qint64 bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        QDir inbox(mailbox.Path() + "Mail/Inbox/cur");
        for (const QString& name : inbox.entryList(QDir::Files, QDir::Name)) {
            QFile file(inbox.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                bytes += file.read(16 * 1024).size();
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_BaselineReadTheFiles)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(false);

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
