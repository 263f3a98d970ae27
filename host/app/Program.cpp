#include "host/app/Program.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QSocketNotifier>
#include <csignal>

#include "host/app/MailClient.h"
#include "host/app/MainWindow.h"
#include "host/app/ProgramSettings.h"
#include "host/app/ScriptRunner.h"
#include "host/app/StartupReport.h"
#include "host/engine/ModuleLoader.h"
#include "host/engine/Registration.h"
#include "host/mailhelper/QxMAPIUtils.h"
#include "platform/Env.h"
#include "platform/IniSettingsStore.h"
#include "platform/ManualTime.h"
#include "platform/RuntimeError.h"
#include "schedule/Globals.h"
#include "schedule/RemindTimer.h"

namespace host::app {

namespace {

const char kUsage[] =
    "Usage: chasewell [--data-folder DIR] [--maildir DIR] [--module FILE]\n"
    "                 [--sendmail CMD] [--print | --script FILE]\n"
    "\n"
    "A small mail client with the Chasewell add-in loaded. On first start it\n"
    "makes a sample mailbox in the data folder.\n"
    "\n"
    "  --data-folder DIR   the folder of the mailbox, the reminder data file and the log\n"
    "                      (default: $XDG_DATA_HOME/Chasewell, ~/.local/share/Chasewell)\n"
    "  --maildir DIR       open an existing Maildir tree instead: its Inbox (INBOX/,\n"
    "                      Inbox/ or DIR itself) and Sent, Sent Items or Sent Messages\n"
    "  --module FILE       the add-in library (default: libChasewell.so beside the program)\n"
    "  --sendmail CMD      deliver sent messages through CMD, a sendmail program such as\n"
    "                      \"msmtp -t\" or \"/usr/sbin/sendmail -t -oi\"; remembered until\n"
    "                      changed (--sendmail \"\" forgets it). The recipients are named\n"
    "                      on its command line and the message goes to its standard\n"
    "                      input without its Bcc line. Without one, sent messages are\n"
    "                      only filed in Sent Items\n"
    "  --print             print what the add-in loaded and added, then stop\n"
    "  --script FILE       perform the actions in FILE with a simulated clock, then stop;\n"
    "                      settings are kept in the data folder; exits 1 at the first\n"
    "                      expectation that does not hold\n"
    "  --help              show this text\n";

// The simulated clock starts at the real time, to the minute, so a script's
// relative steps read naturally; "clock" lines set it outright.
QDateTime StartOfScript() {
    const QDateTime now = platform::SystemClock().Now();
    return platform::MakeDateTime(now.date(), QTime(now.time().hour(), now.time().minute()));
}

// Ctrl+C in the terminal, or a polite kill, ends the program the way closing
// its window does, so that the add-in shuts down and saves its reminders.
// The handler only writes a byte; the event loop does the rest.
int g_signalSockets[2] = {-1, -1};

void OnStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalSockets[0], &byte, 1);
}

class QuitOnStopSignals {
public:
    QuitOnStopSignals() {
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalSockets) != 0)
            return;
        m_notifier = std::make_unique<QSocketNotifier>(g_signalSockets[1], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [] {
            char byte = 0;
            [[maybe_unused]] const ssize_t got = ::read(g_signalSockets[1], &byte, 1);
            QCoreApplication::quit();
        });
        struct sigaction action = {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGINT, &action, &m_previousInt);
        ::sigaction(SIGTERM, &action, &m_previousTerm);
    }
    ~QuitOnStopSignals() {
        if (!m_notifier)
            return;
        ::sigaction(SIGINT, &m_previousInt, nullptr);
        ::sigaction(SIGTERM, &m_previousTerm, nullptr);
        m_notifier.reset();
        ::close(g_signalSockets[0]);
        ::close(g_signalSockets[1]);
    }
    QuitOnStopSignals(const QuitOnStopSignals&) = delete;
    QuitOnStopSignals& operator=(const QuitOnStopSignals&) = delete;

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_previousInt = {};
    struct sigaction m_previousTerm = {};
};

}  // namespace

std::optional<ProgramOptions> ParseArguments(const QStringList& arguments, QString& message,
                                             int& exitCode) {
    ProgramOptions options;
    options.dataFolder = HxGlobal::DefaultDataFolder();
    options.modulePath = QCoreApplication::applicationDirPath() + "/libChasewell.so";
    const QStringList withValue{"--data-folder", "--module", "--maildir", "--script", "--sendmail"};
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == "--help" || argument == "-h") {
            message = QString::fromLatin1(kUsage);
            exitCode = 0;
            return std::nullopt;
        } else if (argument == "--print") {
            options.print = true;
        } else if (withValue.contains(argument) && hasValue) {
            const QString value = arguments[++i];
            if (argument == "--data-folder")
                options.dataFolder = QDir(value).absolutePath() + '/';
            else if (argument == "--module")
                options.modulePath = value;
            else if (argument == "--maildir")
                options.maildir = QDir(value).absolutePath();
            else if (argument == "--sendmail")
                options.sendmail = value;
            else
                options.script = value;
        } else {
            message = (withValue.contains(argument)
                           ? QStringLiteral("%1 needs a value.\n\n").arg(argument)
                           : QStringLiteral("Unknown argument: %1\n\n").arg(argument)) +
                      QString::fromLatin1(kUsage);
            exitCode = 2;
            return std::nullopt;
        }
    }
    if (options.print && !options.script.isEmpty()) {
        message = QStringLiteral("--print and --script cannot be used together.\n\n") +
                  QString::fromLatin1(kUsage);
        exitCode = 2;
        return std::nullopt;
    }
    return options;
}

int Run(const ProgramOptions& options, QTextStream& out, QTextStream& err) {
    if (!QDir().mkpath(options.dataFolder)) {
        err << "Cannot create the data folder " << options.dataFolder << ".\n";
        return 1;
    }
    // A script runs on simulated time and keeps its settings beside its data,
    // so it neither waits nor touches the user's own settings.
    platform::Env env = platform::Env::Current();
    platform::ManualClock clock(StartOfScript());
    platform::ManualTimers timers(clock);
    platform::IniSettingsStore settings(options.dataFolder);
    const bool scripted = !options.script.isEmpty();
    if (scripted) {
        env.clock = &clock;
        env.timers = &timers;
        env.settings = &settings;
    }
    platform::ScopedEnv scope(env);
    // The program's own settings; a script keeps them in its data folder.
    ProgramSettings programSettings(scripted ? options.dataFolder : QString());
    if (options.sendmail) {
        try {
            programSettings.setSendmailCommand(*options.sendmail);
        } catch (const platform::RuntimeError& error) {
            err << "Cannot remember the sendmail command in " << programSettings.FilePath() << ": "
                << error.description() << '\n';
            return 1;
        }
    }

    // Opens the mailbox, loads the add-in and starts it; no object, having
    // said why, when it cannot.
    auto startClient = [&]() -> std::unique_ptr<MailClient> {
        auto client = std::make_unique<MailClient>();
        QString error;
        if (!client->OpenMailbox(MailboxChoice{options.dataFolder, options.maildir}, error)) {
            err << error << '\n';
            return nullptr;
        }
        client->Log().SetFile(client->Global()->LogFilePath());
        auto& registry = platform::Objects();
        RegisterEngineClasses(registry, client->Global(), client->Log());
        RegisterMailHelperClasses(registry, client->Model());
        std::shared_ptr<engine::IModuleAPI> module;
        try {
            module = LoadModule(options.modulePath);
        } catch (const ModuleLoadError& loadError) {
            err << loadError.what() << '\n';
            return nullptr;
        }
        client->UseSendmail(programSettings.SendmailCommand());
        client->Start(module, !options.print);
        return client;
    };
    std::unique_ptr<MailClient> client = startClient();
    if (!client)
        return 1;

    int exitCode = 0;
    if (options.print) {
        const StartupReport report =
            StartupReport::Collect(Globals::m_ReminderItems.get(), RemindTimer::NextReminderTime,
                                   *client->Engine(), client->Log());
        out << report.Text();
        out.flush();
    } else if (scripted) {
        // No watch timer here: a jump of days on the simulated clock would
        // look into the Inbox thousands of times. The runner looks after
        // every line instead.
        auto restart = [&]() -> MailClient* {
            client.reset();
            client = startClient();
            return client.get();
        };
        ScriptRunner runner(*client, clock, timers, out, restart);
        exitCode = runner.RunFile(options.script, err);
    } else {
        client->Mailbox().StartWatching();
        client->Main()->onClosed = [] { QCoreApplication::quit(); };
        const QuitOnStopSignals stopSignals;
        QApplication::exec();
    }
    if (client)
        client->Stop();
    return exitCode;
}

}  // namespace host::app
