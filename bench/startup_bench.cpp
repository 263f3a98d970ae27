// Startup of the program with a large mailbox: 10,000 messages in the Inbox
// and 10,000 reminders in the data file, from nothing loaded to the main
// window shown with the Inbox listed. Target: under 2 s. Run the
// RelWithDebInfo build:
//   build/<dir>/bin/chasewell_startup_bench
// The figure to read is the median of the repetitions.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
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
constexpr int kReminders = 10000;

// A data folder holding the large mailbox and data file, made once.
class LargeMailbox {
public:
    LargeMailbox() {
        const QString mail = Path() + "Mail/";
        for (const char* name : {"Inbox", "Sent Items", "Drafts"})
            for (const char* sub : {"cur", "new", "tmp"}) QDir().mkpath(mail + name + '/' + sub);
        auto model = host::MailModel::Create();
        const QDateTime start = platform::MakeDateTime(QDate(2024, 1, 1), QTime(8, 0));
        for (int i = 0; i < kMessages; ++i) {
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

private:
    QTemporaryDir m_dir;
};

void BM_StartupToUsableWindow(benchmark::State& state) {
    static LargeMailbox mailbox;
    platform::Env env = platform::Env::Current();
    platform::IniSettingsStore settings(mailbox.Path());
    env.settings = &settings;
    platform::ScopedEnv scope(env);
    const QString modulePath = QCoreApplication::applicationDirPath() + "/libChasewell.so";
    qint64 listed = 0;
    for (auto _ : state) {
        auto client = std::make_unique<host::app::MailClient>();
        QString error;
        if (!client->OpenMailbox({mailbox.Path(), QString()}, error)) {
            state.SkipWithError(error.toUtf8().constData());
            return;
        }
        host::RegisterEngineClasses(platform::Objects(), client->Global(), client->Log());
        host::RegisterMailHelperClasses(platform::Objects(), client->Model());
        client->Start(host::LoadModule(modulePath), true);
        QCoreApplication::processEvents();
        listed = client->Main()->messageList()->model()->rowCount();
        state.PauseTiming();
        if (!Globals::m_ReminderItems || Globals::m_ReminderItems->Count() != kReminders ||
            listed != kMessages) {
            state.SkipWithError("The mailbox or the reminders did not load in full");
            return;
        }
        client->Stop();
        client.reset();
        state.ResumeTiming();
    }
    state.counters["messages"] = static_cast<double>(listed);
    state.counters["reminders"] = kReminders;
}
BENCHMARK(BM_StartupToUsableWindow)
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
