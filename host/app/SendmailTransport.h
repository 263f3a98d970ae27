#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "host/mail/MailTransport.h"

namespace host::app {

// Delivery through the system's sendmail interface, as Unix mail programs
// deliver: a command such as "msmtp -t" or "/usr/sbin/sendmail -t -oi" reads
// the message on its standard input and hands it on.
//
// The command is split into words as a shell would split it (SplitCommand)
// but is never run by a shell. The message goes to it without its
// Bcc line, and every recipient (To, CC and BCC, directory addresses as the
// directory resolves them) is named after its own arguments, following
// "--" so that no address is ever read as an option. "-t" (read the
// recipients from the header) is left out: the header no longer names the
// BCC recipients, and some sendmail programs drop the named recipients
// when -t is given. "-i" is added unless the command has it (or "-oi"), so
// that a line holding only a dot does not end the message early.
//
// The command runs while the program goes on; it is given timeLimitMs
// (through the window timers) and stopped when it runs out. It fails when
// it cannot start, ends with an exit code other than 0, is stopped by a
// signal, or ends before it read the whole message; the failure names the
// command and holds what it wrote to its standard error.
class SendmailTransport : public MailTransport {
public:
    static constexpr qint32 kDefaultTimeLimitMs = 60 * 1000;

    using Resolver = std::function<QString(const QString& directoryAddress)>;

    SendmailTransport(QString command, Resolver resolveDirectory,
                      qint32 timeLimitMs = kDefaultTimeLimitMs);
    ~SendmailTransport() override;
    SendmailTransport(const SendmailTransport&) = delete;
    SendmailTransport& operator=(const SendmailTransport&) = delete;

    void Deliver(const std::shared_ptr<const HostMailItem>& message, Done done) override;

    const QString& Command() const { return m_command; }
    // The words of a command as a POSIX shell splits them: blanks separate,
    // '...' keeps everything, "..." keeps all but \" \\ \$ \` (the
    // character after the backslash), and a backslash outside quotes keeps
    // the next character. Nothing else of a shell applies: no variables, no
    // globbing, no redirection.
    static QStringList SplitCommand(const QString& command);
    // The words run for a message to these recipients: the program first.
    // Empty when the command holds no program.
    static QStringList CommandLine(const QString& command, const QStringList& recipients);
    // The envelope recipients of a message, To, CC and BCC in its order;
    // false, with what is wrong in failure, when one cannot be resolved.
    static bool EnvelopeRecipients(const HostMailItem& message, const Resolver& resolve,
                                   QStringList& recipients, QString& failure);
    int Running() const override;

private:
    QString m_command;
    Resolver m_resolve;
    qint32 m_timeLimitMs;
    // Parent of the running deliveries: they end with the transport.
    std::unique_ptr<QObject> m_running;
};

}  // namespace host::app
