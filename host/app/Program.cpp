#include "host/app/Program.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>

#include "host/app/SampleMailbox.h"
#include "host/app/StartupReport.h"
#include "host/app/StartupWindow.h"
#include "host/engine/HxGlobal.h"
#include "host/engine/MailConnection.h"
#include "host/engine/ModuleLoader.h"
#include "host/engine/Registration.h"
#include "host/mailhelper/QxMAPIUtils.h"
#include "platform/Env.h"
#include "schedule/Globals.h"
#include "schedule/RemindTimer.h"

namespace host::app {

namespace {

const char kUsage[] =
    "Usage: chasewell [--print] [--data-folder DIR] [--module FILE]\n"
    "\n"
    "Starts the Chasewell add-in in its host over a sample mailbox, loads your\n"
    "reminders and shows what the add-in loaded and added, then stops it.\n"
    "\n"
    "  --print             print to the terminal instead of showing a window\n"
    "  --data-folder DIR   the folder of the reminder data file and the log\n"
    "                      (default: $XDG_DATA_HOME/Chasewell, ~/.local/share/Chasewell)\n"
    "  --module FILE       the add-in library (default: libChasewell.so beside the program)\n"
    "  --help              show this text\n";

}  // namespace

std::optional<ProgramOptions> ParseArguments(const QStringList& arguments, QString& message,
                                             int& exitCode) {
    ProgramOptions options;
    options.dataFolder = HxGlobal::DefaultDataFolder();
    options.modulePath = QCoreApplication::applicationDirPath() + "/libChasewell.so";
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == "--help" || argument == "-h") {
            message = QString::fromLatin1(kUsage);
            exitCode = 0;
            return std::nullopt;
        } else if (argument == "--print") {
            options.print = true;
        } else if (argument == "--data-folder" && hasValue) {
            options.dataFolder = QDir(arguments[++i]).absolutePath() + '/';
        } else if (argument == "--module" && hasValue) {
            options.modulePath = arguments[++i];
        } else {
            message = (argument.startsWith("--") && !hasValue &&
                               (argument == "--data-folder" || argument == "--module")
                           ? QStringLiteral("%1 needs a value.\n\n").arg(argument)
                           : QStringLiteral("Unknown argument: %1\n\n").arg(argument)) +
                      QString::fromLatin1(kUsage);
            exitCode = 2;
            return std::nullopt;
        }
    }
    return options;
}

int Run(const ProgramOptions& options, QTextStream& out, QTextStream& err) {
    if (!QDir().mkpath(options.dataFolder)) {
        err << "Cannot create the data folder " << options.dataFolder << ".\n";
        return 1;
    }
    EngineLog log;
    auto global = std::make_shared<HxGlobal>(log, options.dataFolder);
    log.SetFile(global->LogFilePath());
    auto& registry = *platform::Env::Current().objects;
    RegisterEngineClasses(registry, global, log);

    auto model = MailModel::Create();
    SeedSampleMailbox(*model);
    RegisterMailHelperClasses(registry, model);
    auto hostEngine = std::make_shared<HxEngine>(model->Application());
    ConnectEngine(*model, hostEngine);

    std::shared_ptr<engine::IModuleAPI> module;
    try {
        module = LoadModule(options.modulePath);
    } catch (const ModuleLoadError& error) {
        err << error.what() << '\n';
        DisconnectEngine(*model);
        return 1;
    }
    hostEngine->StartModule(module);
    model->OpenExplorer(model->DefaultFolder(client::olFolderInbox));

    const StartupReport report = StartupReport::Collect(
        Globals::m_ReminderItems.get(), RemindTimer::NextReminderTime, *hostEngine, log);
    if (options.print) {
        out << report.Text();
        out.flush();
    } else {
        StartupWindow window(report);
        window.exec();
    }
    hostEngine->Shutdown();
    DisconnectEngine(*model);
    return 0;
}

}  // namespace host::app
