#include <QApplication>
#include <QTextStream>
#include <cstdio>

#include "host/app/Program.h"

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    // These need no screen: they print, or perform a script without a user.
    const bool print = arguments.contains("--print") || arguments.contains("--script") ||
                       arguments.contains("--help") || arguments.contains("-h");
    const bool noDisplay = qEnvironmentVariableIsEmpty("DISPLAY") &&
                           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
                           qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (noDisplay) {
        if (!print) {
            std::fputs(
                "No display is available. Run it offscreen and print to the terminal instead: "
                "QT_QPA_PLATFORM=offscreen chasewell --print (or --script FILE to perform a "
                "script)\n",
                stderr);
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
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
