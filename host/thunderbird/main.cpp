// The native host Thunderbird starts for the Chasewell extension (named in
// the native-messaging manifest that chasewell --register-thunderbird
// writes). Thunderbird passes the manifest's path and the extension's id as
// arguments, talks on standard input and output, and closes standard input
// when it ends.

#include <unistd.h>
#include <QApplication>
#include <csignal>
#include <cstdio>

#include "host/common/ProgramFiles.h"
#include "host/common/SettingsDialog.h"
#include "host/common/StopSignals.h"
#include "host/thunderbird/NativePort.h"
#include "host/thunderbird/ThunderbirdHost.h"

int main(int argc, char** argv) {
    // A Thunderbird run without a screen (headless) starts its host without
    // one too: the windows are then drawn offscreen.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Standard output carries the protocol alone: the port writes to a copy
    // of it, and anything else printed goes to standard error.
    const int protocolOut = ::dup(STDOUT_FILENO);
    if (protocolOut < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
        std::perror("chasewell-thunderbird-host");
        return 1;
    }
    // A Thunderbird that went away makes writes fail, not the host die.
    std::signal(SIGPIPE, SIG_IGN);

    QApplication application(argc, argv);
    // Alarm windows come and go; only Thunderbird ends the host.
    QApplication::setQuitOnLastWindowClosed(false);

    using namespace host::thunderbird;
    const Protocol& protocol = Protocol::Builtin();
    NativePort port(STDIN_FILENO, protocolOut, protocol.Limit(QStringLiteral("toHostBytes")),
                    protocol.Limit(QStringLiteral("toExtensionBytes")));
    ExtensionLink link(port, protocol);
    HostPaths paths{host::HxGlobal::DefaultDataFolder(),
                    host::ProgramLibrary(QStringLiteral("libChasewell.so")),
                    host::SettingsDialog::DefaultPageLibrary()};
    ThunderbirdHost thunderbirdHost(link, protocol, paths);
    // Leaving every event loop, also a modal window's, so that the host
    // stops at once when Thunderbird closes.
    thunderbirdHost.onFinished = [] { QCoreApplication::exit(0); };
    {
        const host::QuitOnStopSignals stopSignals;
        QApplication::exec();
    }
    thunderbirdHost.Stop();
    port.Flush(500);
    return 0;
}
