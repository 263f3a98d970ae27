#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace host::thunderbird {

// Which way a message goes.
enum class Direction { ToHost, ToExtension };

// The protocol between the extension and this host, as thunderbird/protocol.json
// defines it (compiled into the host, so both sides read the same file): the
// version, the limits, the headers the extension forwards, and every kind of
// message with its fields. Check tells whether a message fits; nothing else in
// the host needs to know the file's layout.
class Protocol {
public:
    // The protocol compiled into the host.
    static const Protocol& Builtin();
    // A protocol from its definition (tests make variants of the built-in one).
    explicit Protocol(QJsonObject definition);

    int Version() const;
    QString HostName() const;
    QString ExtensionId() const;
    // A number under "limits" ("toHostBytes", "replyTimeoutMs", ...); 0 when
    // it has none.
    qint64 Limit(const QString& name) const;
    QStringList ForwardedHeaders() const;

    // Empty when the message fits its kind; otherwise what is wrong, in words:
    //   'it has no "kind"', 'the kind "x" is unknown',
    //   'the field "message.folder.path" is missing',
    //   'the field "tabId" is a text, not a whole number'.
    // Fields the protocol does not name are allowed (a newer peer may add some).
    QString Check(Direction direction, const QJsonObject& message) const;
    // The same for the result fields a reply to a request of requestKind
    // (sent in the other direction) must carry when it is ok.
    QString CheckResult(Direction requestDirection, const QString& requestKind,
                        const QJsonObject& reply) const;
    // Whether the kind is a request, answered by a reply.
    bool IsRequest(Direction direction, const QString& kind) const;

private:
    QString CheckFields(const QJsonObject& fields, const QJsonObject& value,
                        const QString& path) const;
    QString CheckValue(const QString& type, const QJsonValue& value, const QString& path) const;

    QJsonObject m_definition;
};

}  // namespace host::thunderbird
