#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>

namespace host::app {

struct ProgramOptions {
    // Where the data file, the log and the mailbox live; ends in a separator.
    QString dataFolder;
    // Print what the add-in loaded and added to the terminal, then stop.
    bool print = false;
    // The add-in library to load.
    QString modulePath;
    // An existing Maildir tree to open instead of the data folder's mailbox.
    QString maildir;
    // A script to perform instead of waiting for a user (see ScriptRunner).
    QString script;
    // A sendmail command to deliver through from now on (remembered in the
    // program's settings; empty forgets it); none given: the one remembered.
    std::optional<QString> sendmail;
};

// Reads the command line. On --help or an error, fills message (the usage,
// or what is wrong followed by the usage) and returns no options; exitCode
// says how the program ends then.
std::optional<ProgramOptions> ParseArguments(const QStringList& arguments, QString& message,
                                             int& exitCode);

// Runs the program: opens the mailbox (seeding the sample one on first
// start), loads the add-in through its exported factory, starts it in the
// substitute engine and opens the main window; then, by the options, prints
// the startup report, performs the script, or runs until the main window
// closes. Shuts the add-in down at the end. Returns the exit code.
int Run(const ProgramOptions& options, QTextStream& out, QTextStream& err);

}  // namespace host::app
