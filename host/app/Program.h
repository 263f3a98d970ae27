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
    // An existing Maildir tree to open instead of the data folder's mailbox;
    // empty for that mailbox.
    QString maildir;
    // Whether the command line chose the mailbox (--maildir, or
    // --sample-mailbox for the data folder's own); if not, the program opens
    // the one remembered from the last time a user chose (ProgramSettings.h).
    bool mailboxChosen = false;
    // A script to perform instead of waiting for a user (see ScriptRunner).
    QString script;
    // Write the pending reminders to this iCalendar file, then stop.
    QString exportIcs;
    // A sendmail command to deliver through from now on (remembered in the
    // program's settings; empty forgets it); none given: the one remembered.
    std::optional<QString> sendmail;
    // The address sent messages come from, remembered the same way.
    std::optional<QString> from;
    // Register the Thunderbird host for this user, then stop.
    bool registerThunderbird = false;
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
//
// An export (--export-ics) starts none of that: it reads the mailbox's data
// file through the store's collection, writes the calendar and stops, so a
// cron job never brings up an alarm or touches the mailbox.
//
// One program per data folder: every other run takes the folder's lock
// (DataFolderLock) before it touches the folder, and keeps it to its end. A
// run refused it says so in one line on err, and does nothing; a window run
// then asks the running program to bring its window to the front and ends
// with 0 when it did, or shows the sentence in a message box and ends with 1
// (the holder has no window: the Thunderbird host); a --print or --script run
// ends with 1. An export only reads, so it runs beside a program that holds
// the folder. A window or script run answers such requests for its window
// (FrontRequests).
//
// The add-in's date forms for the run are those of the data folder's
// reminder file (platform::DataFileLocale), recorded by the first run that
// held the folder; an export reads them without recording any.
//
// Each mailbox has its own reminders: the add-in's data folder is the data
// folder for the own mailbox and a folder of its own under it for a Maildir
// tree (HxGlobal::MailboxDataFolder). A mailbox chosen on the command line
// of a run that opens the window is remembered for the runs that choose
// none; the other modes use the remembered one but never change it (a cron
// job exporting one mailbox must not switch the user's). When the remembered
// tree cannot be opened, a window run says so and opens the own mailbox
// (the choice is kept: the tree may be on a disk not mounted yet); the other
// modes fail.
int Run(const ProgramOptions& options, QTextStream& out, QTextStream& err);

}  // namespace host::app
