#pragma once

#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <deque>
#include <functional>
#include <vector>

#include "host/thunderbird/Protocol.h"

class QEventLoop;

namespace host::thunderbird {

class NativePort;

// The conversation with the extension over the port: every message checked
// against the protocol, the extension's events and requests handed to their
// handlers, the extension's replies matched to the host's requests.
//
// A message that is not JSON, not an object, of an unknown kind or with a
// missing or mistyped field is logged with what was wrong and dropped; a
// request among them is answered with a reply that says so, when its id can
// be read. Nothing else happens for it.
//
// The host's requests wait for their reply in a nested event loop (Call), at
// most a bound of time. While the add-in waits that way in the middle of an
// operation (the mail client's object model answering a call), the
// extension's events are held and handled, in order, once the wait is over,
// so that no event runs inside another operation. A wait that lets events
// through (WhileWaiting::HandleEvents) is for the host's own waits between
// operations, as the mail client's message loop runs while a window is
// modal.
class ExtensionLink {
public:
    // How to answer a request of the extension: Reply once, with the result
    // fields, or Fail with a sentence for the user.
    class Request {
    public:
        Request(ExtensionLink& link, qint64 id, QString kind)
            : m_link(&link), m_id(id), m_kind(std::move(kind)) {}
        void Reply(const QJsonObject& result) const;
        void Fail(const QString& problem, const QString& error) const;
        qint64 Id() const { return m_id; }

    private:
        ExtensionLink* m_link;
        qint64 m_id;
        QString m_kind;
    };

    using EventHandler = std::function<void(const QJsonObject& message)>;
    using RequestHandler = std::function<void(const QJsonObject& message, const Request& request)>;

    enum class WhileWaiting { HoldEvents, HandleEvents };

    struct Result {
        // False when no reply came: the bound passed, or the port ended.
        bool answered = false;
        bool ok = false;
        QJsonObject reply;
        // The reply's error, or why there was none (in words).
        QString error;
    };

    ExtensionLink(NativePort& port, const Protocol& protocol);
    ~ExtensionLink();
    ExtensionLink(const ExtensionLink&) = delete;
    ExtensionLink& operator=(const ExtensionLink&) = delete;

    void OnEvent(const QString& kind, EventHandler handler);
    void OnRequest(const QString& kind, RequestHandler handler);
    // Every log line of the conversation (dropped messages, late replies).
    std::function<void(const QString& line)> onLog;
    // The port ended (Thunderbird closed it): called once, after every wait
    // in progress was ended.
    std::function<void()> onEnd;

    // Sends an event to the extension; false when it could not be sent (said
    // in the log).
    bool Send(const QString& kind, QJsonObject fields);
    // Sends a request and waits at most timeoutMs for its reply. untilAlso,
    // when given, is asked after every message handled while waiting and
    // ends the wait early (unanswered) when it says true; the reply that
    // comes later is then taken quietly (a failure in it is logged).
    Result Call(const QString& kind, QJsonObject fields, qint64 timeoutMs,
                WhileWaiting whileWaiting = WhileWaiting::HoldEvents,
                const std::function<bool()>& untilAlso = nullptr);

    // Handles the events held during waits, in order (the host calls it
    // once more as it stops, so that nothing Thunderbird said is lost).
    void HandleHeld();
    // Events held during waits, not yet handled.
    size_t HeldEvents() const { return m_held.size(); }
    bool Ended() const { return m_ended; }

private:
    struct Pending {
        QString kind;
        Result result;
        bool done = false;
    };

    void Received(const QByteArray& bytes);
    void Dispatch(const QJsonObject& message);
    void HandleReply(const QJsonObject& message);
    void Log(const QString& line) const;
    void PortEnded(const QString& why);
    // Lets every wait look at its condition again.
    void WakeWaits();
    bool Write(const QJsonObject& message);

    NativePort& m_port;
    const Protocol& m_protocol;
    QHash<QString, EventHandler> m_events;
    QHash<QString, RequestHandler> m_requests;
    QHash<qint64, Pending*> m_pending;
    // Requests whose waits ended early, the latest few, with their kinds.
    std::deque<std::pair<qint64, QString>> m_abandoned;
    std::vector<QEventLoop*> m_waits;
    // Context of queued calls: they are dropped with the link.
    QObject* m_context;
    std::deque<QJsonObject> m_held;
    int m_holding = 0;
    qint64 m_nextId = 1;
    bool m_ended = false;
};

}  // namespace host::thunderbird
