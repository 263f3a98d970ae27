#pragma once

#include <QEventLoop>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <memory>

namespace platform {
class ManualClock;
class ManualTimers;
}  // namespace platform

namespace host::app {

class MailClient;

// The scripted mode: user actions, one a line, performed in order on the
// running mail client, with expectations that stop the run when they do not
// hold. Blank lines and lines starting with "#" are skipped. Time is the
// simulated clock's: nothing waits on the real one.
//
// The lines run one by one from the runner's own event loop, and an action
// that a user performs with a click or a key (press, click, send with
// reminder, keys) is delivered through the event loop too. So when it opens
// a modal window (the reminder-details window while a message is sent, the
// change-date dialog), the modal window's loop goes on running the next
// lines, which can then fill it in and close it; the action finishes after
// that. Before each line, whatever the last one set off has been delivered.
//
//   compose                          open a compose window
//   fill to|cc|bcc|subject|body TEXT fill a field of the newest compose window
//   send                             its Send button
//   send with reminder               its add-in button "Send With Reminder"
//   folder NAME                      show a folder in the main window
//   select SUBJECT                   select the messages with that subject
//   click CAPTION                    a main-window toolbar button by its caption
//   reply arrives SUBJECT            a reply to the sent message SUBJECT arrives
//   import FILE into FOLDER          import an .eml file
//   poll                             look for messages dropped into the Inbox
//                                    (also done before every line)
//   setting KEY VALUE                the add-in's setting KEY
//   clock YYYY-MM-DD hh:mm[:ss]      move the clock there (timers fire)
//   advance N seconds|minutes|hours|days
//   press WINDOW BUTTON              a button of a window (object names or title)
//   type WINDOW CONTROL TEXT         type TEXT, key by key, at the end of a text
//                                    box of a window ("\n" is Enter)
//   keys WINDOW KEYS                 keystrokes to the focused control of a
//                                    window, written as the add-in writes them:
//                                    "{DELETE}", "{TAB}", "%x" (Alt+X), "^a"
//   hover WINDOW CONTROL             the mouse comes over a control of a window
//   pick WINDOW LIST TEXT            choose TEXT in a drop-down list of a window
//                                    (an editable one, such as an alarm
//                                    window's snooze list, takes any text)
//   choose date YYYY-MM-DD hh:mm     pick that date and time in the open
//                                    change-date dialog (frmChangeDate)
//   select rows WINDOW SUBJECT       select the rows of a window's reminder grid
//                                    whose subject is SUBJECT (the grid gets
//                                    the focus)
//   say TEXT                         print TEXT on standard output
//   wait for input                   go on at the next line once a line arrives
//                                    on standard input (or it closes); the
//                                    program answers meanwhile, so another
//                                    program can act on the same data
//   wait for delivery                wait until the sendmail command has
//                                    delivered every message handed to it (the
//                                    one wait on real time, up to a minute)
//   export FILE                      export the pending reminders to an
//                                    iCalendar file, as File > Export does
//                                    (answer its message with expect message)
//   screenshot WINDOW FILE           save a window as PNG
//   dump                             print the reminders
//   restart                          shut the add-in down (it saves its data
//                                    file) and start the program again
//   expect window NAME open|closed
//   expect message TEXT              a message box says exactly TEXT; its OK is
//                                    pressed
//   expect title WINDOW TEXT         a window's title is exactly TEXT
//   expect text WINDOW CONTROL TEXT  a control shows exactly TEXT (labels, text
//                                    boxes, buttons)
//   expect grid WINDOW rows N        a window's reminder grid has N data rows
//   expect reminders N
//   expect setting KEY VALUE         the add-in's setting KEY is stored as VALUE
//   expect reminder SUBJECT due TEXT   its reminder date reads as TEXT
//   expect reminder SUBJECT note TEXT  its note is TEXT
//   expect reminder SUBJECT is the sent copy   (and opens it by its ids)
//   expect datafile contains|lacks TEXT
//   expect datafile records N        the data file holds N reminders
//   expect folder NAME contains|lacks SUBJECT
//   expect no problems               no error report or failed call so far
//
// A script that ends, or fails, while a modal window is open closes it
// (cancelling it); ending with one open is a failure.
class ScriptRunner {
public:
    // restart stops the running client and returns a new one over the same
    // data (no object when it could not start, having said why).
    ScriptRunner(MailClient& client, platform::ManualClock& clock, platform::ManualTimers& timers,
                 QTextStream& out, std::function<MailClient*()> restart);

    // Runs the file; 0 when every line ran and held. Otherwise prints
    // "FILE:LINE: TEXT" and why to err and returns 1 (3 when the file cannot
    // be read).
    int RunFile(const QString& path, QTextStream& err);
    // One line; false with the reason in failure. Actions it delivers through
    // the event loop have not happened yet when it returns.
    bool RunLine(const QString& line, QString& failure);

private:
    bool Expect(const QStringList& words, const QString& rest, QString& failure);
    bool ExpectReminder(const QString& line, QString& failure);
    // Runs the next line once what the last one set off was delivered.
    void Next();
    void Post();
    void Finish(int exitCode);
    void WaitForInput();

    MailClient* m_client;
    std::function<MailClient*()> m_restart;
    platform::ManualClock& m_clock;
    platform::ManualTimers& m_timers;
    QTextStream& m_out;

    // The run of a file.
    QObject m_context;
    QEventLoop m_loop;
    QStringList m_lines;
    QString m_path;
    QTextStream* m_err = nullptr;
    int m_index = 0;
    int m_rounds = 0;
    // The loop level of the runner's own loop.
    int m_baseLevel = 1;
    bool m_finished = false;
    // While a line waits for standard input.
    std::unique_ptr<QSocketNotifier> m_input;
};

}  // namespace host::app
