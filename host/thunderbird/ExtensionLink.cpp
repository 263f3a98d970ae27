#include "host/thunderbird/ExtensionLink.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonParseError>
#include <algorithm>
#include <climits>
#include <exception>
#include <optional>

#include "host/thunderbird/NativePort.h"
#include "platform/Env.h"
#include "platform/RuntimeError.h"

namespace host::thunderbird {

namespace {

// The start of a message, for a log line about it.
QString Preview(const QByteArray& bytes) {
    constexpr qsizetype kShown = 200;
    QString text = QString::fromUtf8(bytes.left(kShown));
    text.replace(u'\n', u' ');
    return bytes.size() > kShown ? text + QStringLiteral("...") : text;
}

}  // namespace

void ExtensionLink::Request::Reply(const QJsonObject& result) const {
    QJsonObject reply = result;
    reply["kind"] = QStringLiteral("reply");
    reply["id"] = m_id;
    reply["ok"] = true;
    m_link->Write(reply);
}

void ExtensionLink::Request::Fail(const QString& problem, const QString& error) const {
    QJsonObject reply;
    reply["kind"] = QStringLiteral("reply");
    reply["id"] = m_id;
    reply["ok"] = false;
    reply["problem"] = problem;
    reply["error"] = error;
    m_link->Write(reply);
}

ExtensionLink::ExtensionLink(NativePort& port, const Protocol& protocol)
    : m_port(port), m_protocol(protocol), m_context(new QObject) {
    m_port.onMessage = [this](const QByteArray& bytes) { Received(bytes); };
    m_port.onProblem = [this](const QString& why) {
        Log(QStringLiteral("Dropped a message from Thunderbird: %1.").arg(why));
    };
    m_port.onEnd = [this](const QString& why) { PortEnded(why); };
}

ExtensionLink::~ExtensionLink() {
    m_port.onMessage = nullptr;
    m_port.onProblem = nullptr;
    m_port.onEnd = nullptr;
    delete m_context;
}

void ExtensionLink::OnEvent(const QString& kind, EventHandler handler) {
    m_events.insert(kind, std::move(handler));
}

void ExtensionLink::OnRequest(const QString& kind, RequestHandler handler) {
    m_requests.insert(kind, std::move(handler));
}

void ExtensionLink::Log(const QString& line) const {
    if (onLog)
        onLog(line);
}

void ExtensionLink::Received(const QByteArray& bytes) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        Log(QStringLiteral("Dropped a message from Thunderbird: it is not JSON (%1 at byte %2): "
                           "%3")
                .arg(parseError.errorString())
                .arg(parseError.offset)
                .arg(Preview(bytes)));
        return;
    }
    if (!document.isObject()) {
        Log(QStringLiteral("Dropped a message from Thunderbird: it is not a JSON object: %1")
                .arg(Preview(bytes)));
        return;
    }
    const QJsonObject message = document.object();
    if (const QString wrong = m_protocol.Check(Direction::ToHost, message); !wrong.isEmpty()) {
        const QString kind = message.value("kind").toString();
        Log(QStringLiteral("Dropped a message from Thunderbird: %1: %2")
                .arg(wrong, Preview(bytes)));
        // A request that cannot be read is still answered, so that the
        // extension does not wait for nothing.
        const QJsonValue id = message.value("id");
        if (m_protocol.IsRequest(Direction::ToHost, kind) && id.isDouble())
            Request(*this, static_cast<qint64>(id.toDouble()), kind)
                .Fail(QStringLiteral("request"),
                      QStringLiteral("Chasewell could not read the %1 message from Thunderbird: "
                                     "%2.")
                          .arg(kind, wrong));
        return;
    }
    if (message.value("kind").toString() == QLatin1String("reply")) {
        HandleReply(message);
        return;
    }
    if (m_holding > 0) {
        m_held.push_back(message);
        return;
    }
    Dispatch(message);
}

void ExtensionLink::Dispatch(const QJsonObject& message) {
    const QString kind = message.value("kind").toString();
    const bool request = m_protocol.IsRequest(Direction::ToHost, kind);
    std::optional<Request> answer;
    if (request)
        answer.emplace(*this, static_cast<qint64>(message.value("id").toDouble()), kind);
    try {
        if (request && m_requests.contains(kind))
            m_requests.value(kind)(message, *answer);
        else if (!request && m_events.contains(kind))
            m_events.value(kind)(message);
        else {
            Log(QStringLiteral("Ignored a %1 message from Thunderbird: this host does not handle "
                               "it.")
                    .arg(kind));
            if (answer)
                answer->Fail(QStringLiteral("request"),
                             QStringLiteral("Chasewell does not handle %1 messages.").arg(kind));
        }
    } catch (...) {
        const QString description = platform::CurrentErrorDescription();
        Log(QStringLiteral("The %1 message from Thunderbird failed: %2").arg(kind, description));
        if (answer)
            answer->Fail(
                QStringLiteral("request"),
                QStringLiteral("Chasewell could not carry out %1: %2").arg(kind, description));
    }
    WakeWaits();
}

void ExtensionLink::HandleReply(const QJsonObject& message) {
    const qint64 id = static_cast<qint64>(message.value("id").toDouble());
    Pending* pending = m_pending.value(id);
    const auto abandoned = std::find_if(m_abandoned.begin(), m_abandoned.end(),
                                        [id](const auto& entry) { return entry.first == id; });
    if (!pending && abandoned != m_abandoned.end()) {
        if (!message.value("ok").toBool())
            Log(QStringLiteral("Thunderbird could not carry out %1: %2")
                    .arg(abandoned->second, message.value("error").toString()));
        m_abandoned.erase(abandoned);
        return;
    }
    if (!pending) {
        Log(QStringLiteral("Dropped a reply from Thunderbird to no waiting request (id %1); it "
                           "may have come too late.")
                .arg(id));
        return;
    }
    Result& result = pending->result;
    result.answered = true;
    result.reply = message;
    result.ok = message.value("ok").toBool();
    result.error = message.value("error").toString();
    if (result.ok) {
        if (const QString wrong =
                m_protocol.CheckResult(Direction::ToExtension, pending->kind, message);
            !wrong.isEmpty()) {
            result.ok = false;
            result.error = QStringLiteral("Thunderbird's answer to %1 could not be read: %2.")
                               .arg(pending->kind, wrong);
            Log(result.error);
        }
    }
    pending->done = true;
    WakeWaits();
}

void ExtensionLink::WakeWaits() {
    for (QEventLoop* loop : m_waits) loop->quit();
}

bool ExtensionLink::Write(const QJsonObject& message) {
    if (const QString wrong = m_protocol.Check(Direction::ToExtension, message); !wrong.isEmpty()) {
        Log(QStringLiteral("Did not send a %1 message to Thunderbird: %2.")
                .arg(message.value("kind").toString(), wrong));
        return false;
    }
    QString why;
    if (!m_port.Send(QJsonDocument(message).toJson(QJsonDocument::Compact), why)) {
        Log(QStringLiteral("Could not send a %1 message to Thunderbird: %2.")
                .arg(message.value("kind").toString(), why));
        return false;
    }
    return true;
}

bool ExtensionLink::Send(const QString& kind, QJsonObject fields) {
    fields["kind"] = kind;
    return Write(fields);
}

ExtensionLink::Result ExtensionLink::Call(const QString& kind, QJsonObject fields, qint64 timeoutMs,
                                          WhileWaiting whileWaiting,
                                          const std::function<bool()>& untilAlso) {
    Result result;
    if (m_ended) {
        result.error = QStringLiteral("Thunderbird has closed its connection to Chasewell");
        return result;
    }
    const qint64 id = m_nextId++;
    fields["kind"] = kind;
    fields["id"] = id;
    Pending pending;
    pending.kind = kind;
    if (!Write(fields)) {
        result.error =
            QStringLiteral("Chasewell could not send the %1 request to Thunderbird").arg(kind);
        return result;
    }
    m_pending.insert(id, &pending);
    const bool hold = whileWaiting == WhileWaiting::HoldEvents;
    if (hold)
        ++m_holding;
    QEventLoop loop;
    m_waits.push_back(&loop);
    bool timedOut = false;
    platform::WindowTimers& timers = platform::Timers();
    const quint32 timer =
        timers.SetTimer(static_cast<qint32>(std::min<qint64>(timeoutMs, INT32_MAX)), [&] {
            timedOut = true;
            loop.quit();
        });
    while (!pending.done && !timedOut && !m_ended && !(untilAlso && untilAlso())) loop.exec();
    if (timer != 0)
        timers.KillTimer(timer);
    std::erase(m_waits, &loop);
    m_pending.remove(id);
    if (hold && --m_holding == 0 && !m_held.empty())
        QMetaObject::invokeMethod(
            m_context, [this] { HandleHeld(); }, Qt::QueuedConnection);
    if (pending.done)
        return pending.result;
    if (!timedOut && !m_ended) {
        // Ended early: the reply is still to come. Only the latest few are
        // remembered; one that never comes must not be kept for ever.
        constexpr size_t kRemembered = 32;
        m_abandoned.emplace_back(id, kind);
        if (m_abandoned.size() > kRemembered)
            m_abandoned.pop_front();
    }
    if (m_ended)
        result.error = QStringLiteral(
            "Thunderbird closed its connection to Chasewell before it "
            "answered");
    else if (timedOut)
        result.error = QStringLiteral("Thunderbird did not answer within %1 seconds")
                           .arg(QString::number(static_cast<double>(timeoutMs) / 1000.0));
    return result;
}

void ExtensionLink::HandleHeld() {
    while (m_holding == 0 && !m_held.empty()) {
        const QJsonObject message = m_held.front();
        m_held.pop_front();
        Dispatch(message);
    }
}

void ExtensionLink::PortEnded(const QString& why) {
    if (m_ended)
        return;
    m_ended = true;
    Log(why.isEmpty() ? QStringLiteral("Thunderbird closed its connection to Chasewell.")
                      : QStringLiteral("The connection to Thunderbird broke: %1.").arg(why));
    WakeWaits();
    if (onEnd)
        onEnd();
}

}  // namespace host::thunderbird
