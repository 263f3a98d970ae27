#include <unistd.h>
#include <QApplication>
#include <QTextStream>
#include <cstdio>

#include "host/app/Program.h"

namespace {

const char kNoDisplay[] =
    "No display is available%s. Run it offscreen and print to the terminal instead: "
    "QT_QPA_PLATFORM=offscreen chasewell --print (or --script FILE to perform a script)\n";

QtMessageHandler g_previousHandler = nullptr;
// An export runs from cron, where anything on standard error is mailed to
// the user: Qt's notice that the session has no runtime folder (cron gives
// none) is held back then, since an export makes no use of one; registering
// with Thunderbird makes no use of one either.
bool g_exporting = false;

// While the application object connects to the display: a display that is
// named but cannot be reached (an ended remote session) makes Qt abort with
// a page of plugin advice. The user gets the one line instead, and the
// platform plugin's own complaints before it are held back.
void StartupMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        const QByteArray display = qgetenv("DISPLAY");
        const QByteArray which =
            display.isEmpty() ? QByteArray() : " (the display " + display + " cannot be reached)";
        std::fprintf(stderr, kNoDisplay, which.constData());
        std::fflush(stderr);
        ::_exit(1);
    }
    if (context.category && qstrncmp(context.category, "qt.qpa", 6) == 0)
        return;
    if (g_exporting && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))
        return;
    if (g_previousHandler)
        g_previousHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    // These need no screen: they print, export, or perform a script without
    // a user.
    const bool exporting = arguments.contains("--export-ics");
    g_exporting = exporting || arguments.contains("--register-thunderbird");
    const bool print = exporting || arguments.contains("--print") ||
                       arguments.contains("--script") || arguments.contains("--help") ||
                       arguments.contains("--register-thunderbird") || arguments.contains("-h");
    const bool noDisplay = qEnvironmentVariableIsEmpty("DISPLAY") &&
                           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
                           qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    // An export opens no window, so it never needs the screen, even where
    // there is one.
    if (exporting && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    else if (noDisplay) {
        if (!print) {
            std::fprintf(stderr, kNoDisplay, "");
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    g_previousHandler = qInstallMessageHandler(StartupMessages);
    QApplication application(argc, argv);
    qInstallMessageHandler(g_previousHandler);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QString message;
    int exitCode = 0;
    const auto options = host::app::ParseArguments(arguments, message, exitCode);
    if (!options) {
        (exitCode == 0 ? out : err) << message;
        return exitCode;
    }
    return host::app::Run(*options, out, err);
}
