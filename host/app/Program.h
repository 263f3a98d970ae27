#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>

namespace host::app {

struct ProgramOptions {
    // Where the data file and the log live; ends in a separator.
    QString dataFolder;
    // Print to the terminal instead of showing a window.
    bool print = false;
    // The add-in library to load.
    QString modulePath;
};

// Reads the command line. On --help or an error, fills message (the usage,
// or what is wrong followed by the usage) and returns no options; exitCode
// says how the program ends then.
std::optional<ProgramOptions> ParseArguments(const QStringList& arguments, QString& message,
                                             int& exitCode);

// Runs the program: loads the add-in through its exported factory, starts it
// in the substitute engine over the sample mailbox, opens an explorer (which
// loads the user's reminders), shows what the add-in loaded and added, and
// shuts the add-in down. Returns the exit code.
int Run(const ProgramOptions& options, QTextStream& out, QTextStream& err);

}  // namespace host::app
