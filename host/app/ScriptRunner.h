#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>

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
//                                    (also done after every line)
//   setting KEY VALUE                the add-in's setting KEY
//   clock YYYY-MM-DD hh:mm[:ss]      move the clock there (timers fire)
//   advance N seconds|minutes|hours|days
//   press WINDOW BUTTON              a button of a window (object names or title)
//   screenshot WINDOW FILE           save a window as PNG
//   dump                             print the reminders
//   restart                          shut the add-in down (it saves its data
//                                    file) and start the program again
//   expect window NAME open|closed
//   expect reminders N
//   expect datafile contains|lacks TEXT
//   expect folder NAME contains|lacks SUBJECT
//   expect reminder SUBJECT is the sent copy   (and opens it by its ids)
//   expect no problems               no error report or failed call so far
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
    // One line; false with the reason in failure.
    bool RunLine(const QString& line, QString& failure);

private:
    bool Expect(const QStringList& words, const QString& rest, QString& failure);
    void Settle();

    MailClient* m_client;
    std::function<MailClient*()> m_restart;
    platform::ManualClock& m_clock;
    platform::ManualTimers& m_timers;
    QTextStream& m_out;
};

}  // namespace host::app
