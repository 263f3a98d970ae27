#include "host/app/SendmailTransport.h"

#include <QProcess>

#include "host/mail/HostMailItem.h"
#include "host/maildir/MessageFile.h"
#include "platform/Env.h"

namespace host::app {

namespace {

// What is kept of what a command writes to its standard error: enough for
// any real complaint, never the megabytes a runaway command could write.
constexpr qsizetype kMaxErrorBytes = 8 * 1024;

// One message on its way: the running command, what it said, its time limit.
class Delivery : public QObject {
public:
    Delivery(QObject* parent, QString command, MailTransport::Done done)
        : QObject(parent), m_command(std::move(command)), m_done(std::move(done)) {
        m_process.setStandardOutputFile(QProcess::nullDevice());
        connect(&m_process, &QProcess::readyReadStandardError, this, [this] {
            const QByteArray more = m_process.readAllStandardError();
            m_error += more.left(kMaxErrorBytes - m_error.size());
        });
        connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                Finish(QStringLiteral("The command \"%1\" could not be started: %2.")
                           .arg(m_command, m_process.errorString()));
            else if (error == QProcess::WriteError)
                m_writeFailed = true;
        });
        connect(&m_process, &QProcess::finished, this,
                [this](int exitCode, QProcess::ExitStatus status) { Finished(exitCode, status); });
    }

    ~Delivery() override {
        StopTimer();
        // A command still running when the program ends is stopped; its
        // message stays in the Outbox.
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(1000);
        }
    }

    void Start(const QStringList& commandLine, const QByteArray& message, qint32 timeLimitMs) {
        m_timeLimitMs = timeLimitMs;
        m_timer = platform::Timers().SetTimer(timeLimitMs, [this] { TimeIsUp(); });
        m_process.start(commandLine.front(), commandLine.mid(1));
        if (m_finished)
            return;
        m_process.write(message);
        m_process.closeWriteChannel();
    }

    // Tells done once, from the event loop (never from inside Deliver), after
    // the process object is done with its signal.
    void Finish(const QString& failure) {
        if (m_finished)
            return;
        m_finished = true;
        StopTimer();
        QMetaObject::invokeMethod(
            this,
            [this, failure] {
                auto done = std::move(m_done);
                deleteLater();
                done(failure);
            },
            Qt::QueuedConnection);
    }

private:
    void TimeIsUp() {
        StopTimer();
        m_timedOut = true;
        // The failure is told once the command has ended.
        m_process.kill();
    }

    void StopTimer() {
        if (m_timer)
            platform::Timers().KillTimer(m_timer);
        m_timer = 0;
    }

    void Finished(int exitCode, QProcess::ExitStatus status) {
        m_error += m_process.readAllStandardError().left(kMaxErrorBytes - m_error.size());
        const QString said = QString::fromLocal8Bit(m_error).trimmed();
        const QString saying =
            said.isEmpty() ? QStringLiteral(" and said nothing.") : QStringLiteral(": ") + said;
        if (m_timedOut)
            Finish(QStringLiteral("The command \"%1\" did not finish within %2 seconds and was "
                                  "stopped.")
                       .arg(m_command)
                       .arg(m_timeLimitMs / 1000));
        else if (status == QProcess::CrashExit)
            Finish(
                QStringLiteral("The command \"%1\" was stopped before it finished").arg(m_command) +
                saying);
        else if (exitCode != 0)
            Finish(QStringLiteral("The command \"%1\" ended with exit code %2")
                       .arg(m_command)
                       .arg(exitCode) +
                   saying);
        else if (m_writeFailed)
            Finish(QStringLiteral("The command \"%1\" ended before it read the whole message.")
                       .arg(m_command));
        else
            Finish(QString());
    }

    QString m_command;
    MailTransport::Done m_done;
    QProcess m_process;
    QByteArray m_error;
    quint32 m_timer = 0;
    qint32 m_timeLimitMs = 0;
    bool m_timedOut = false;
    bool m_writeFailed = false;
    bool m_finished = false;
};

}  // namespace

SendmailTransport::SendmailTransport(QString command, Resolver resolveDirectory, qint32 timeLimitMs)
    : m_command(std::move(command)),
      m_resolve(std::move(resolveDirectory)),
      m_timeLimitMs(timeLimitMs),
      m_running(std::make_unique<QObject>()) {}

SendmailTransport::~SendmailTransport() = default;

int SendmailTransport::Running() const {
    return static_cast<int>(m_running->children().size());
}

QStringList SendmailTransport::SplitCommand(const QString& command) {
    QStringList words;
    QString word;
    bool inWord = false;
    QChar quote;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        if (quote == u'\'') {
            if (c == u'\'')
                quote = QChar();
            else
                word += c;
        } else if (quote == u'"') {
            if (c == u'"')
                quote = QChar();
            else if (c == u'\\' && i + 1 < command.size() &&
                     QStringLiteral("\"\\$`").contains(command[i + 1]))
                word += command[++i];
            else
                word += c;
        } else if (c == u'\'' || c == u'"') {
            quote = c;
            inWord = true;
        } else if (c == u'\\' && i + 1 < command.size()) {
            word += command[++i];
            inWord = true;
        } else if (c.isSpace()) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words << word;
    return words;
}

QStringList SendmailTransport::CommandLine(const QString& command, const QStringList& recipients) {
    QStringList words = SplitCommand(command);
    if (words.isEmpty())
        return words;
    bool ignoreDots = false;
    for (qsizetype i = 1; i < words.size();) {
        const QString& word = words[i];
        if (word == "-t" || word == "--read-recipients") {
            words.removeAt(i);
            continue;
        }
        ignoreDots = ignoreDots || word == "-i" || word == "-oi";
        ++i;
    }
    if (!ignoreDots)
        words << QStringLiteral("-i");
    words << QStringLiteral("--") << recipients;
    return words;
}

bool SendmailTransport::EnvelopeRecipients(const HostMailItem& message, const Resolver& resolve,
                                           QStringList& recipients, QString& failure) {
    auto list = message.RecipientList();
    for (qint32 i = 1; i <= list->Count(); ++i) {
        auto recipient = list->Item(i);
        QString address = recipient->Address().trimmed();
        auto entry = recipient->AddressEntry();
        if (entry && entry->Type() == kExchangeAddressType)
            address = resolve ? resolve(address).trimmed() : QString();
        if (address.isEmpty() || !address.contains('@')) {
            failure = QStringLiteral(
                          "The recipient \"%1\" has no Internet address mail could be "
                          "sent to.")
                          .arg(recipient->Address());
            return false;
        }
        if (!recipients.contains(address, Qt::CaseInsensitive))
            recipients << address;
    }
    return true;
}

void SendmailTransport::Deliver(const std::shared_ptr<const HostMailItem>& message, Done done) {
    auto* delivery = new Delivery(m_running.get(), m_command, std::move(done));
    QStringList recipients;
    QString failure;
    QStringList commandLine;
    if (EnvelopeRecipients(*message, m_resolve, recipients, failure)) {
        commandLine = CommandLine(m_command, recipients);
        if (commandLine.isEmpty())
            failure = QStringLiteral("The sendmail command is empty.");
    }
    if (!failure.isEmpty()) {
        delivery->Finish(failure);
        return;
    }
    maildir::WriteOptions options;
    options.bcc = false;
    options.resolveDirectory = m_resolve;
    delivery->Start(commandLine, maildir::WriteMessage(*message, options), m_timeLimitMs);
}

}  // namespace host::app
