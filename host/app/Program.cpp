#include "host/app/Program.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <optional>

#include "host/app/FrontRequests.h"
#include "host/app/MailClient.h"
#include "host/app/MainWindow.h"
#include "host/app/ProgramSettings.h"
#include "host/app/ScriptRunner.h"
#include "host/app/StartupReport.h"
#include "host/app/ThunderbirdRegistration.h"
#include "host/common/ProgramFiles.h"
#include "host/common/StopSignals.h"
#include "host/engine/DataFolderLock.h"
#include "host/engine/ModuleLoader.h"
#include "host/engine/Registration.h"
#include "host/export/CalendarExport.h"
#include "host/mailhelper/QxMAPIUtils.h"
#include "platform/DataFileLocale.h"
#include "platform/Env.h"
#include "platform/IniSettingsStore.h"
#include "platform/ManualTime.h"
#include "platform/RuntimeError.h"
#include "schedule/Globals.h"
#include "schedule/RemindTimer.h"
#include "store/CReminderItems.h"

namespace host::app {

namespace {

const char kUsage[] =
    "Usage: chasewell [--data-folder DIR] [--maildir DIR | --sample-mailbox]\n"
    "                 [--module FILE] [--sendmail CMD] [--from ADDRESS]\n"
    "                 [--print | --script FILE | --export-ics FILE]\n"
    "       chasewell --register-thunderbird\n"
    "\n"
    "A small mail client with the Chasewell add-in loaded. On first start it\n"
    "makes a sample mailbox in the data folder.\n"
    "\n"
    "  --data-folder DIR   the folder of the mailbox, the reminder data file and the log\n"
    "                      (default: $XDG_DATA_HOME/Chasewell, ~/.local/share/Chasewell)\n"
    "  --maildir DIR       open an existing Maildir tree instead: its Inbox (INBOX/,\n"
    "                      Inbox/ or DIR itself) and Sent, Sent Items or Sent Messages;\n"
    "                      its reminders are its own. Remembered for the next start\n"
    "  --sample-mailbox    open the data folder's own mailbox again (also --maildir \"\")\n"
    "  --module FILE       the add-in library (default: the program's libChasewell.so)\n"
    "  --sendmail CMD      deliver sent messages through CMD, a sendmail program such as\n"
    "                      \"msmtp -t\" or \"/usr/sbin/sendmail -t -oi\"; remembered until\n"
    "                      changed (--sendmail \"\" forgets it). The recipients are named\n"
    "                      on its command line and the message goes to its standard\n"
    "                      input without its Bcc line. Without one, sent messages are\n"
    "                      only filed in Sent Items\n"
    "  --from ADDRESS      the address on the From line of sent messages; remembered\n"
    "                      until changed (--from \"\" forgets it: then user@example.com)\n"
    "  --print             print what the add-in loaded and added, then stop\n"
    "  --script FILE       perform the actions in FILE with a simulated clock, then stop;\n"
    "                      settings are kept in the data folder; exits 1 at the first\n"
    "                      expectation that does not hold\n"
    "  --export-ics FILE   write the pending reminders to FILE as an iCalendar file,\n"
    "                      then stop (no window; for a cron job); exits 1 when FILE\n"
    "                      cannot be written\n"
    "  --register-thunderbird\n"
    "                      let Thunderbird start Chasewell for its extension: writes\n"
    "                      ~/.mozilla/native-messaging-hosts/com.tandrelsoftware.chasewell.json\n"
    "                      and says where the extension is and what to do next\n"
    "  --help              show this text\n";

// How the program names itself to a second program refused its data folder.
const QString kLockHolder = QStringLiteral("the Chasewell program");

// A start refused the data folder another program holds: said in one line on
// standard error, and, for a start that would have opened a window, by
// bringing the running program's window to the front (then the exit code is
// 0: the user has the window asked for), else in a message box. Returns the
// exit code.
int FolderInUse(const DataFolderLock& refusal, bool windowRun, QTextStream& err) {
    const QString sentence = refusal.Refusal();
    if (refusal.state() == DataFolderLock::State::InUse && windowRun &&
        FrontRequests::AskToComeForward(refusal.Folder())) {
        err << sentence << " Its window was brought to the front.\n";
        return 0;
    }
    const QString advice =
        refusal.state() == DataFolderLock::State::InUse
            ? QStringLiteral(
                  "Chasewell does not start a second time on it: each would save over "
                  "the reminders the other changed.  Close the other first, or start "
                  "Chasewell with --data-folder DIR for another folder.")
            : QStringLiteral(
                  "Chasewell cannot make sure that no other program uses it, so it "
                  "does not start on it.");
    err << sentence << ' ' << advice << '\n';
    if (windowRun)
        platform::MessageBox().Show(sentence + QStringLiteral("\n\n") + advice,
                                    QStringLiteral("Chasewell"));
    return 1;
}

// The date forms of the data folder's reminder file become those of the whole
// add-in for the run (platform::UseDataFileDates); a problem is said on err.
void UseDataFileDates(const QString& folder, bool record, platform::LocaleDates* user,
                      std::optional<platform::LocaleDates>& fileDates, platform::Env& env,
                      QTextStream& err) {
    if (const QString problem = platform::UseDataFileDates(folder, record, user, fileDates, env);
        !problem.isEmpty())
        err << problem << '\n';
}

// The simulated clock starts at the real time, to the minute, so a script's
// relative steps read naturally; "clock" lines set it outright.
QDateTime StartOfScript() {
    const QDateTime now = platform::SystemClock().Now();
    return platform::MakeDateTime(now.date(), QTime(now.time().hour(), now.time().minute()));
}

// The export of a cron job: the mailbox's data file read by the store's own
// collection, as the add-in reads it, without starting the add-in, opening
// the mailbox or any window (no alarm comes up, no timer is armed, nothing in
// the mailbox changes). What was done goes to out, what went wrong to err;
// returns the exit code.
int ExportCalendar(const QString& dataFolder, const QString& maildir, const QString& path,
                   QTextStream& out, QTextStream& err) {
    // A tree that is not there (a disk not mounted) must not look like a
    // mailbox without reminders.
    if (!maildir.isEmpty() && !QFileInfo(maildir).isDir()) {
        err << "The mailbox " << maildir << " cannot be found; nothing was exported to " << path
            << ".\n";
        return 1;
    }
    const QString folder = HxGlobal::MailboxDataFolder(dataFolder, maildir);
    if (!QDir().mkpath(folder)) {
        err << "Cannot create the data folder " << folder << ".\n";
        return 1;
    }
    // Only reads the data file, so it runs beside a program that holds the
    // folder (and records no date forms: that is the holder's to do).
    platform::Env env = platform::Env::Current();
    std::optional<platform::LocaleDates> fileDates;
    UseDataFileDates(folder, false, env.dates, fileDates, env, err);
    platform::ScopedEnv scope(env);
    EngineLog log;
    RegisterEngineClasses(platform::Objects(), std::make_shared<HxGlobal>(log, folder), log);
    CReminderItems reminders;
    reminders.Initialize();
    const calendar::CalendarExportResult result = calendar::ExportReminders(reminders, path);
    (result.written ? out : err) << result.Summary() << '\n';
    const QString problems = result.Problems();
    if (!problems.isEmpty())
        err << problems << '\n';
    // Records the data file could not give completely.
    for (const ErrorReportRecord& report : log.Errors())
        err << report.source << " (flag " << report.flag << "): " << report.message << '\n';
    return result.written ? 0 : 1;
}

}  // namespace

std::optional<ProgramOptions> ParseArguments(const QStringList& arguments, QString& message,
                                             int& exitCode) {
    ProgramOptions options;
    options.dataFolder = HxGlobal::DefaultDataFolder();
    options.modulePath = ProgramLibrary(QStringLiteral("libChasewell.so"));
    const QStringList withValue{"--data-folder", "--module",   "--maildir", "--script",
                                "--export-ics",  "--sendmail", "--from"};
    auto fail = [&](const QString& what) {
        message = what + QStringLiteral("\n\n") + QString::fromLatin1(kUsage);
        exitCode = 2;
        return std::nullopt;
    };
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == "--help" || argument == "-h") {
            message = QString::fromLatin1(kUsage);
            exitCode = 0;
            return std::nullopt;
        } else if (argument == "--print") {
            options.print = true;
        } else if (argument == "--register-thunderbird") {
            options.registerThunderbird = true;
        } else if (argument == "--sample-mailbox") {
            options.maildir.clear();
            options.mailboxChosen = true;
        } else if (withValue.contains(argument) && hasValue) {
            const QString value = arguments[++i];
            if (argument == "--data-folder") {
                options.dataFolder = QDir(value).absolutePath() + '/';
            } else if (argument == "--module") {
                options.modulePath = value;
            } else if (argument == "--maildir") {
                // An empty value goes back to the own mailbox (rather than
                // naming the current folder, as an empty path would).
                options.maildir = value.isEmpty() ? QString() : QDir(value).absolutePath();
                options.mailboxChosen = true;
            } else if (argument == "--export-ics") {
                if (value.isEmpty())
                    return fail(QStringLiteral("--export-ics needs a file name."));
                options.exportIcs = QFileInfo(value).absoluteFilePath();
            } else if (argument == "--sendmail") {
                options.sendmail = value;
            } else if (argument == "--from") {
                const QString address = value.trimmed();
                if (!address.isEmpty() && !IsPlainAddress(address))
                    return fail(QStringLiteral("--from needs one plain mail address such as "
                                               "pat.jones@example.com, not \"%1\".")
                                    .arg(value));
                options.from = address;
            } else {
                options.script = value;
            }
        } else {
            return fail(withValue.contains(argument)
                            ? QStringLiteral("%1 needs a value.").arg(argument)
                            : QStringLiteral("Unknown argument: %1").arg(argument));
        }
    }
    if (options.registerThunderbird && arguments.size() > 2)
        return fail(QStringLiteral("--register-thunderbird is used alone."));
    if (options.print && !options.script.isEmpty())
        return fail(QStringLiteral("--print and --script cannot be used together."));
    if (!options.exportIcs.isEmpty() && (options.print || !options.script.isEmpty()))
        return fail(QStringLiteral("--export-ics cannot be used with --print or --script."));
    return options;
}

int Run(const ProgramOptions& options, QTextStream& out, QTextStream& err) {
    if (options.registerThunderbird) {
        const ThunderbirdRegistration registration = RegisterThunderbird(
            QDir::homePath(), ThunderbirdHostProgram(), ThunderbirdExtensionPackage());
        (registration.registered ? out : err) << registration.text;
        return registration.registered ? 0 : 1;
    }
    if (!QDir().mkpath(options.dataFolder)) {
        err << "Cannot create the data folder " << options.dataFolder << ".\n";
        return 1;
    }
    // A script runs on simulated time and keeps its settings beside its data,
    // so it neither waits nor touches the user's own settings.
    platform::Env env = platform::Env::Current();
    // The user's own date forms, and those of the data file when they differ.
    platform::LocaleDates* const userDates = env.dates;
    std::optional<platform::LocaleDates> fileDates;
    platform::ManualClock clock(StartOfScript());
    platform::ManualTimers timers(clock);
    platform::IniSettingsStore settings(options.dataFolder);
    const bool scripted = !options.script.isEmpty();
    const bool exporting = !options.exportIcs.isEmpty();
    const bool windowRun = !scripted && !exporting && !options.print;
    if (scripted) {
        env.clock = &clock;
        env.timers = &timers;
        env.settings = &settings;
    }
    platform::ScopedEnv scope(env);
    // The program's own settings (ProgramSettings.h); a script keeps them in
    // its data folder, as the settings store above does.
    if (options.sendmail) {
        try {
            RememberSendmailCommand(*options.sendmail);
        } catch (const platform::RuntimeError& error) {
            err << "Cannot remember the sendmail command: " << error.description() << '\n';
            return 1;
        }
    }
    if (options.from) {
        try {
            RememberFromAddress(*options.from);
        } catch (const platform::RuntimeError& error) {
            err << "Cannot remember the From address: " << error.description() << '\n';
            return 1;
        }
    }

    QString maildir = options.maildir;
    if (!options.mailboxChosen)
        maildir = RememberedMaildir();
    if (exporting)
        return ExportCalendar(options.dataFolder, maildir, options.exportIcs, out, err);

    // One program per data folder: the run takes the folder's lock before it
    // touches anything there, and keeps it to its end (a script's restart
    // keeps the one it has). refused: the lock another program holds.
    std::unique_ptr<DataFolderLock> lock;
    std::unique_ptr<DataFolderLock> refused;
    // Opens the mailbox, loads the add-in and starts it; no object, having
    // said why in error, when it cannot. mailboxFailed tells a mailbox that
    // could not be opened from the other failures.
    bool mailboxFailed = false;
    auto startClient = [&](const QString& tree, QString& error) -> std::unique_ptr<MailClient> {
        mailboxFailed = false;
        const QString folder = HxGlobal::MailboxDataFolder(options.dataFolder, tree);
        if (!QDir().mkpath(folder)) {
            error = QStringLiteral("Cannot create the data folder %1.").arg(folder);
            return nullptr;
        }
        if (!lock || lock->Folder() != QDir::cleanPath(folder)) {
            lock.reset();
            auto taken = std::make_unique<DataFolderLock>(folder, kLockHolder);
            if (!taken->Held()) {
                error = taken->Refusal();
                refused = std::move(taken);
                return nullptr;
            }
            lock = std::move(taken);
        }
        UseDataFileDates(folder, true, userDates, fileDates, env, err);
        auto client = std::make_unique<MailClient>();
        // Before the mailbox opens, so that a new sample mailbox is addressed
        // to the user too.
        if (const QString from = FromAddress(); !from.isEmpty())
            client->Model()->setUserAddress(from);
        if (!client->OpenMailbox(MailboxChoice{folder, tree}, error)) {
            mailboxFailed = true;
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
            error = QString::fromUtf8(loadError.what());
            return nullptr;
        }
        client->UseSendmail(SendmailCommand());
        client->Start(module, !options.print);
        return client;
    };
    QString error;
    std::unique_ptr<MailClient> client = startClient(maildir, error);
    if (!client && mailboxFailed && !options.mailboxChosen) {
        const QString why = QStringLiteral(
                                "The mailbox you opened last, %1, cannot be opened: %2\n"
                                "Start Chasewell with --maildir DIR for another one, or with "
                                "--sample-mailbox for its own.")
                                .arg(maildir, error);
        err << why << '\n';
        if (!windowRun)
            return 1;
        platform::MessageBox().Show(
            why + QStringLiteral("\n\nChasewell opens its own mailbox now."),
            QStringLiteral("Chasewell"));
        maildir.clear();
        client = startClient(maildir, error);
    }
    if (!client && refused)
        return FolderInUse(*refused, windowRun, err);
    if (!client) {
        err << error << '\n';
        return 1;
    }
    // A second start asks for the window of a run that has one.
    std::unique_ptr<FrontRequests> front;
    if (!options.print)
        front = std::make_unique<FrontRequests>(lock->Folder(), [&client] {
            if (client && client->Main())
                platform::Windows().SetForegroundWindow(client->Main());
        });

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
            QString restartError;
            client = startClient(maildir, restartError);
            if (!client)
                err << restartError << '\n';
            return client.get();
        };
        ScriptRunner runner(*client, clock, timers, out, restart);
        exitCode = runner.RunFile(options.script, err);
    } else {
        if (options.mailboxChosen) {
            try {
                RememberMaildir(maildir);
            } catch (const platform::RuntimeError& failure) {
                const QString text = QStringLiteral(
                                         "The mailbox chosen could not be remembered for the next "
                                         "start: %1")
                                         .arg(failure.description());
                err << text << '\n';
                client->ShowProblem(text);
            }
        }
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
