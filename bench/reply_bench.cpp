// A reply arriving in the Inbox with 10,000 reminders, whose References name
// 100 messages: the add-in's Inbox event, from the mail client's item-added
// event to the reminder ended (or kept). Target: under 20 ms.
//
// The mail client is the substitute one, in memory, holding the 5,000 sent
// messages the reminders were made for (two recipients each, so 10,000
// reminders); a person has 10 reminders, or, for the worst case, 1,000 (one
// person in every message). Cases:
//   - BM_ReplyByThread: the reply names one of its sender's messages among
//     its 100 references; that reminder ends and the data file is saved
//     (through the real file layer: a new file, synced, renamed);
//   - BM_ReplyBySubject: "AW: WG: " and a reminder's subject, the 100
//     references naming none of the sender's messages; the thread rule looks
//     up every sent message of the sender, then the subject rule ends the
//     reminder and the file is saved;
//   - BM_ReplyEndsNothing: the same look-ups, and a subject that answers
//     nothing: the matching alone, with no save.
// Trace lines go to a trace log that discards them. The pending-reminders
// list is not loaded (its refill has a benchmark of its own, grid_bench).
// Run the RelWithDebInfo build: build/<dir>/bin/chasewell_reply_bench

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <memory>

#include "addin/CChasewell.h"
#include "bench/BenchEnv.h"
#include "host/engine/HxEngine.h"
#include "host/engine/MailConnection.h"
#include "host/mail/MailModel.h"
#include "host/mailhelper/QxMAPIUtils.h"
#include "schedule/Globals.h"
#include "store/CReminderItems.h"

namespace {

constexpr int kMessages = 5000;
constexpr int kReferences = 100;

// The add-in started in the substitute engine over a mailbox of kMessages
// sent messages with a reminder per recipient. Message i goes to
// person(2i mod people) and person(2i+1 mod people).
struct ReplyBenchEnv : bench::BenchEnv {
    explicit ReplyBenchEnv(int people)
        : BenchEnv(platform::MakeDateTime(QDate(2024, 3, 7), QTime(10, 0))), m_people(people) {
        env.settings = &removalOn;
        env.timers = platform::Env::Production().timers;
        host::RegisterMailHelperClasses(objects, model);
        host::ConnectEngine(*model, engineObject);
        engineObject->StartModule(module);
        model->OpenExplorer(model->DefaultFolder(client::olFolderInbox));

        auto sent = model->DefaultFolder(client::olFolderSentMail);
        auto& reminders = *Globals::m_ReminderItems;
        for (int i = 0; i < kMessages; ++i) {
            const QString subject = QStringLiteral("Quarterly figures for region %1").arg(i);
            auto copy = model->NewMailItem();
            copy->setSubject(subject);
            copy->setMessageId(MessageId(i));
            copy->setSentOn(platform::MakeDateTime(QDate(2024, 3, 1), QTime(9, 0)));
            for (int r = 0; r < 2; ++r)
                copy->RecipientList()->AddRecipient(client::olTo, Person(2 * i + r));
            model->File(sent, copy);
            for (int r = 0; r < 2; ++r) {
                auto reminder = std::make_shared<CReminderItem>();
                reminder->setEmailAddress(Person(2 * i + r));
                reminder->setSubject(subject);
                reminder->setEntryId(copy->EntryID());
                reminder->setStoreId(sent->EntryID());
                reminder->setSentDate(QStringLiteral("3/1/2024 9:00:00 AM"));
                reminder->setReminderDate(QStringLiteral("3/8/2099 8:00:00 AM"));
                reminders.Add(reminder);
            }
        }
        reminders.SaveData();
    }
    ~ReplyBenchEnv() {
        module->HxShutdown();
        host::DisconnectEngine(*model);
        Globals::m_ReminderItems.reset();
        Globals::m_Engine.reset();
    }

    QString Person(int n) const { return QStringLiteral("person%1@example.com").arg(n % m_people); }
    static QString MessageId(int i) { return QStringLiteral("sent-%1@example.org").arg(i); }

    // A reply from person 0 whose References name kReferences messages; the
    // last one is message `named` (-1: none of person 0's messages).
    std::shared_ptr<host::HostMailItem> Reply(const QString& subject, int named) const {
        QByteArray references = "References:";
        for (int k = 0; k < kReferences - 1; ++k)
            references += " <thread-" + QByteArray::number(k) + "@example.net>\r\n";
        references += named < 0 ? QByteArray(" <unknown@example.net>\r\n")
                                : " <" + MessageId(named).toUtf8() + ">\r\n";
        auto reply = model->NewMailItem();
        reply->setSubject(subject);
        reply->setSender(host::HostAddressEntry::ForAddress(Person(0)));
        reply->RecipientList()->AddRecipient(client::olTo, host::kDefaultUserAddress);
        reply->setTransportMessageHeaders("From: " + Person(0).toUtf8() +
                                          "\r\nSubject: " + subject.toUtf8() + "\r\n" + references +
                                          "In-Reply-To: <thread-98@example.net>\r\n");
        return reply;
    }

    // Delivers the reply (timed), then puts back what it changed (not timed).
    void Deliver(benchmark::State& state, const QString& subject, int named, int expectedEnded) {
        auto inbox = model->DefaultFolder(client::olFolderInbox);
        auto& reminders = *Globals::m_ReminderItems;
        const qint32 before = reminders.Count();
        for (auto _ : state) {
            state.PauseTiming();
            auto reply = Reply(subject, named);
            std::vector<CReminderItems::Reminder> all;
            for (qint32 i = 1; i <= before; ++i) all.push_back(reminders.Item(i));
            state.ResumeTiming();

            model->Deliver(inbox, reply);

            state.PauseTiming();
            if (reminders.Count() != before - expectedEnded) {
                state.SkipWithError("the reply did not end what it should");
                break;
            }
            // The ended reminder comes back in its place.
            for (qint32 i = 1; i <= before && reminders.Count() < before; ++i)
                if (i > reminders.Count() || reminders.Item(i) != all[i - 1]) {
                    reminders.Add(all[i - 1]);
                    break;
                }
            model->Remove(reply);
            state.ResumeTiming();
        }
    }

    bench::RemovalOn removalOn;
    int m_people;
    std::shared_ptr<host::MailModel> model = host::MailModel::Create();
    std::shared_ptr<host::HxEngine> engineObject =
        std::make_shared<host::HxEngine>(model->Application());
    std::shared_ptr<CChasewell> module = std::make_shared<CChasewell>();
};

// The people among whom the 10,000 reminders are shared: 1,000 gives each
// 10 reminders; 10 gives each 1,000.
int People(const benchmark::State& state) {
    return static_cast<int>(state.range(0));
}

void BM_ReplyByThread(benchmark::State& state) {
    ReplyBenchEnv bench(People(state));
    // Message 0 went to person 0.
    bench.Deliver(state, QStringLiteral("Numbers you asked for"), 0, 1);
}

void BM_ReplyBySubject(benchmark::State& state) {
    ReplyBenchEnv bench(People(state));
    bench.Deliver(state, QStringLiteral("AW: WG: Quarterly figures for region 0"), -1, 1);
}

void BM_ReplyEndsNothing(benchmark::State& state) {
    ReplyBenchEnv bench(People(state));
    bench.Deliver(state, QStringLiteral("Quarterly figures for region 0 and more"), -1, 0);
}

}  // namespace

BENCHMARK(BM_ReplyByThread)
    ->Arg(1000)
    ->Arg(10)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ReplyBySubject)
    ->Arg(1000)
    ->Arg(10)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ReplyEndsNothing)
    ->Arg(1000)
    ->Arg(10)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
