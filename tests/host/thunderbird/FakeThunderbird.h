#pragma once

// Thunderbird's side of the native-messaging port, in the test's own
// process: two pipes, the host's ends handed to its port. What the host
// sends is read as the event loop runs (also inside the host's own waits),
// kept in order, and each request answered by the test's answer for its kind,
// or left unanswered when the test has none.

#include <QHash>
#include <QJsonObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tb_testing {

class FakeThunderbird {
public:
    FakeThunderbird();
    ~FakeThunderbird();
    FakeThunderbird(const FakeThunderbird&) = delete;
    FakeThunderbird& operator=(const FakeThunderbird&) = delete;

    int HostInput() const { return m_toHost[0]; }
    int HostOutput() const { return m_fromHost[1]; }

    // Writes one message, framed as Thunderbird frames it.
    void Send(const QJsonObject& message);
    // Writes bytes as they are (for frames that are wrong).
    void SendBytes(const QByteArray& bytes);
    // Sends a request with a new id; returns the id.
    qint64 Request(const QString& kind, QJsonObject fields);
    // Closes Thunderbird's end: the host reads the end of its input.
    void Close();

    // An answer to the host's requests of a kind: the reply's result fields
    // (ok), or no value to leave the request unanswered. Called as the
    // request arrives, inside the host's wait.
    using Answerer = std::function<std::optional<QJsonObject>(const QJsonObject& request)>;
    void Answer(const QString& kind, Answerer answer) { m_answers[kind] = std::move(answer); }
    // A reply that is not ok, with that error, to every request of a kind.
    void Refuse(const QString& kind, const QString& error);

    // Runs the event loop until cond holds or nothing more happens for a
    // while (a bounded number of rounds: no wall-clock wait).
    bool PumpUntil(const std::function<bool()>& cond);
    // Runs the event loop until the host's reply to request id came.
    std::optional<QJsonObject> ReplyTo(qint64 id);

    // Every message the host sent, in order, and those of one kind.
    const std::vector<QJsonObject>& Received() const { return m_received; }
    std::vector<QJsonObject> ReceivedOf(const QString& kind) const;
    // Messages that could not be read as JSON objects (framing faults).
    int Unreadable() const { return m_unreadable; }

private:
    void ReadHost();

    int m_toHost[2] = {-1, -1};
    int m_fromHost[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_buffer;
    std::vector<QJsonObject> m_received;
    QHash<QString, Answerer> m_answers;
    qint64 m_nextId = 1000;
    int m_unreadable = 0;
};

// A Folder, Message and ComposeDetails as the extension sends them.
QJsonObject FolderJson(const QString& accountId, const QString& path, const QString& name,
                       const QString& type = QString());
QJsonObject MessageJson(const QString& messageId, const QJsonObject& folder, const QString& subject,
                        const QString& author, const QStringList& to, const QStringList& cc = {},
                        const QJsonObject& headers = {});
QJsonObject ComposeDetailsJson(const QStringList& to, const QString& subject,
                               const QStringList& cc = {}, const QStringList& bcc = {});

}  // namespace tb_testing
