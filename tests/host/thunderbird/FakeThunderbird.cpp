#include "tests/host/thunderbird/FakeThunderbird.h"

#include <fcntl.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace tb_testing {

FakeThunderbird::FakeThunderbird() {
    if (::pipe(m_toHost) != 0 || ::pipe(m_fromHost) != 0)
        throw std::runtime_error("no pipes");
    // Big frames must not block the test's writes while the host has not
    // read yet.
    ::fcntl(m_toHost[1], F_SETPIPE_SZ, 1 << 20);
    ::fcntl(m_fromHost[0], F_SETFL, ::fcntl(m_fromHost[0], F_GETFL) | O_NONBLOCK);
    m_notifier = std::make_unique<QSocketNotifier>(m_fromHost[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { ReadHost(); });
}

FakeThunderbird::~FakeThunderbird() {
    m_notifier.reset();
    for (int fd : {m_toHost[0], m_toHost[1], m_fromHost[0], m_fromHost[1]})
        if (fd >= 0)
            ::close(fd);
}

void FakeThunderbird::SendBytes(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(m_toHost[1], bytes.constData() + done,
                                    static_cast<size_t>(bytes.size() - done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            throw std::runtime_error("the host's input is closed");
        done += put;
    }
}

void FakeThunderbird::Send(const QJsonObject& message) {
    const QByteArray json = QJsonDocument(message).toJson(QJsonDocument::Compact);
    const std::uint32_t length = static_cast<std::uint32_t>(json.size());
    SendBytes(QByteArray(reinterpret_cast<const char*>(&length), sizeof length) + json);
}

qint64 FakeThunderbird::Request(const QString& kind, QJsonObject fields) {
    const qint64 id = m_nextId++;
    fields["kind"] = kind;
    fields["id"] = id;
    Send(fields);
    return id;
}

void FakeThunderbird::Close() {
    ::close(m_toHost[1]);
    m_toHost[1] = -1;
}

void FakeThunderbird::Refuse(const QString& kind, const QString& error) {
    m_answers[kind] = [error](const QJsonObject&) -> std::optional<QJsonObject> {
        QJsonObject reply;
        reply["ok"] = false;
        reply["error"] = error;
        return reply;
    };
}

void FakeThunderbird::ReadHost() {
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(m_fromHost[0], chunk, sizeof chunk);
        if (got <= 0)
            break;
        m_buffer.append(chunk, got);
    }
    while (m_buffer.size() >= 4) {
        std::uint32_t length = 0;
        std::memcpy(&length, m_buffer.constData(), sizeof length);
        if (m_buffer.size() < 4 + static_cast<qsizetype>(length))
            break;
        const QJsonDocument document = QJsonDocument::fromJson(m_buffer.mid(4, length));
        m_buffer.remove(0, 4 + static_cast<qsizetype>(length));
        if (!document.isObject()) {
            ++m_unreadable;
            continue;
        }
        const QJsonObject message = document.object();
        m_received.push_back(message);
        const QString kind = message.value("kind").toString();
        if (!message.contains("id") || kind == QLatin1String("reply") || !m_answers.contains(kind))
            continue;
        const std::optional<QJsonObject> answer = m_answers.value(kind)(message);
        if (!answer)
            continue;
        QJsonObject reply = *answer;
        reply["kind"] = QStringLiteral("reply");
        reply["id"] = message.value("id");
        if (!reply.contains("ok"))
            reply["ok"] = true;
        Send(reply);
    }
}

bool FakeThunderbird::PumpUntil(const std::function<bool()>& cond) {
    // Everything travels through pipes inside this process: a few rounds of
    // the event loop carry any message across.
    for (int round = 0; round < 200; ++round) {
        if (cond())
            return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents(nullptr, 0);
    }
    return cond();
}

std::optional<QJsonObject> FakeThunderbird::ReplyTo(qint64 id) {
    std::optional<QJsonObject> found;
    PumpUntil([&] {
        for (const QJsonObject& message : m_received)
            if (message.value("kind").toString() == QLatin1String("reply") &&
                message.value("id").toInteger() == id) {
                found = message;
                return true;
            }
        return false;
    });
    return found;
}

std::vector<QJsonObject> FakeThunderbird::ReceivedOf(const QString& kind) const {
    std::vector<QJsonObject> found;
    for (const QJsonObject& message : m_received)
        if (message.value("kind").toString() == kind)
            found.push_back(message);
    return found;
}

QJsonObject FolderJson(const QString& accountId, const QString& path, const QString& name,
                       const QString& type) {
    QJsonObject folder;
    folder["accountId"] = accountId;
    folder["path"] = path;
    folder["name"] = name;
    if (!type.isEmpty())
        folder["type"] = type;
    return folder;
}

QJsonObject MessageJson(const QString& messageId, const QJsonObject& folder, const QString& subject,
                        const QString& author, const QStringList& to, const QStringList& cc,
                        const QJsonObject& headers) {
    QJsonObject message;
    message["messageId"] = messageId;
    message["folder"] = folder;
    message["subject"] = subject;
    message["author"] = author;
    message["date"] = 1709805600000.0;  // 2024-03-07 10:00 UTC
    message["to"] = QJsonArray::fromStringList(to);
    message["cc"] = QJsonArray::fromStringList(cc);
    message["bcc"] = QJsonArray();
    if (!headers.isEmpty())
        message["headers"] = headers;
    return message;
}

QJsonObject ComposeDetailsJson(const QStringList& to, const QString& subject, const QStringList& cc,
                               const QStringList& bcc) {
    QJsonObject details;
    details["from"] = QStringLiteral("Me <me@example.org>");
    details["to"] = QJsonArray::fromStringList(to);
    details["cc"] = QJsonArray::fromStringList(cc);
    details["bcc"] = QJsonArray::fromStringList(bcc);
    details["subject"] = subject;
    return details;
}

}  // namespace tb_testing
