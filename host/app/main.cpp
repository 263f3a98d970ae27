#include <QApplication>
#include <QTextStream>
#include <cstdio>

#include "host/app/Program.h"

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const bool print =
        arguments.contains("--print") || arguments.contains("--help") || arguments.contains("-h");
    const bool noDisplay = qEnvironmentVariableIsEmpty("DISPLAY") &&
                           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
                           qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (noDisplay) {
        if (!print) {
            std::fputs(
                "No display is available. Run it offscreen and print to the terminal instead: "
                "QT_QPA_PLATFORM=offscreen chasewell --print\n",
                stderr);
            return 1;
        }
        // Printing needs no screen.
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
