#include "host/thunderbird/Protocol.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <cmath>

namespace host::thunderbird {

namespace {

const char* DirectionKey(Direction direction) {
    return direction == Direction::ToHost ? "toHost" : "toExtension";
}

// How a JSON value is called in a message about it.
QString Describe(const QJsonValue& value) {
    switch (value.type()) {
        case QJsonValue::Null:
            return QStringLiteral("null");
        case QJsonValue::Bool:
            return QStringLiteral("true or false");
        case QJsonValue::Double:
            return QStringLiteral("a number");
        case QJsonValue::String:
            return QStringLiteral("a text");
        case QJsonValue::Array:
            return QStringLiteral("a list");
        case QJsonValue::Object:
            return QStringLiteral("an object");
        default:
            return QStringLiteral("nothing");
    }
}

QString Wanted(const QString& type) {
    if (type == QLatin1String("string"))
        return QStringLiteral("a text");
    if (type == QLatin1String("integer"))
        return QStringLiteral("a whole number");
    if (type == QLatin1String("boolean"))
        return QStringLiteral("true or false");
    if (type.endsWith(QLatin1String("[]")))
        return QStringLiteral("a list");
    return QStringLiteral("an object");
}

QString Join(const QString& path, const QString& name) {
    return path.isEmpty() ? name : path + u'.' + name;
}

// JSON numbers are doubles; a whole number must be one exactly, within the
// range a double holds without loss.
bool IsWholeNumber(const QJsonValue& value) {
    if (!value.isDouble())
        return false;
    const double number = value.toDouble();
    return std::isfinite(number) && std::floor(number) == number &&
           std::fabs(number) <= 9007199254740992.0;
}

QJsonObject LoadBuiltin() {
    QFile file(QStringLiteral(":/chasewell/protocol.json"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("The protocol definition is missing from the program.");
    return QJsonDocument::fromJson(file.readAll()).object();
}

}  // namespace

const Protocol& Protocol::Builtin() {
    static const Protocol protocol(LoadBuiltin());
    return protocol;
}

Protocol::Protocol(QJsonObject definition) : m_definition(std::move(definition)) {}

int Protocol::Version() const {
    return m_definition.value("version").toInt();
}

QString Protocol::HostName() const {
    return m_definition.value("hostName").toString();
}

QString Protocol::ExtensionId() const {
    return m_definition.value("extensionId").toString();
}

qint64 Protocol::Limit(const QString& name) const {
    return static_cast<qint64>(m_definition.value("limits").toObject().value(name).toDouble());
}

QStringList Protocol::ForwardedHeaders() const {
    QStringList names;
    for (const QJsonValue& name : m_definition.value("forwardedHeaders").toArray())
        names << name.toString();
    return names;
}

bool Protocol::IsRequest(Direction direction, const QString& kind) const {
    return m_definition.value(DirectionKey(direction))
        .toObject()
        .value(kind)
        .toObject()
        .value("request")
        .toBool();
}

QString Protocol::Check(Direction direction, const QJsonObject& message) const {
    const QJsonValue kind = message.value("kind");
    if (kind.isUndefined())
        return QStringLiteral("it has no \"kind\"");
    if (!kind.isString())
        return QStringLiteral("its \"kind\" is %1, not a text").arg(Describe(kind));
    const QJsonValue definition =
        m_definition.value(DirectionKey(direction)).toObject().value(kind.toString());
    if (!definition.isObject())
        return QStringLiteral("the kind \"%1\" is unknown").arg(kind.toString());
    if (definition.toObject().value("request").toBool()) {
        if (const QString wrong = CheckValue("integer", message.value("id"), "id");
            !wrong.isEmpty())
            return wrong;
    }
    return CheckFields(definition.toObject().value("fields").toObject(), message, QString());
}

QString Protocol::CheckResult(Direction requestDirection, const QString& requestKind,
                              const QJsonObject& reply) const {
    const QJsonObject result = m_definition.value(DirectionKey(requestDirection))
                                   .toObject()
                                   .value(requestKind)
                                   .toObject()
                                   .value("result")
                                   .toObject();
    return CheckFields(result, reply, QString());
}

QString Protocol::CheckFields(const QJsonObject& fields, const QJsonObject& value,
                              const QString& path) const {
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        if (const QString wrong =
                CheckValue(it.value().toString(), value.value(it.key()), Join(path, it.key()));
            !wrong.isEmpty())
            return wrong;
    }
    return QString();
}

QString Protocol::CheckValue(const QString& declared, const QJsonValue& value,
                             const QString& path) const {
    QString type = declared;
    if (type.endsWith(u'?')) {
        type.chop(1);
        if (value.isUndefined() || value.isNull())
            return QString();
    }
    if (value.isUndefined())
        return QStringLiteral("the field \"%1\" is missing").arg(path);
    const auto mistyped = [&] {
        return QStringLiteral("the field \"%1\" is %2, not %3")
            .arg(path, Describe(value), Wanted(type));
    };
    if (type == QLatin1String("string"))
        return value.isString() ? QString() : mistyped();
    if (type == QLatin1String("boolean"))
        return value.isBool() ? QString() : mistyped();
    if (type == QLatin1String("integer"))
        return IsWholeNumber(value) ? QString() : mistyped();
    if (type.endsWith(QLatin1String("[]"))) {
        if (!value.isArray())
            return mistyped();
        const QString element = type.chopped(2);
        const QJsonArray array = value.toArray();
        for (qsizetype i = 0; i < array.size(); ++i) {
            if (const QString wrong =
                    CheckValue(element, array.at(i), path + u'[' + QString::number(i) + u']');
                !wrong.isEmpty())
                return wrong;
        }
        return QString();
    }
    const QJsonObject named = m_definition.value("types").toObject().value(type).toObject();
    if (!value.isObject())
        return mistyped();
    if (named.contains("values")) {
        // A map: any names, each value of one type.
        const QString each = named.value("values").toString();
        const QJsonObject map = value.toObject();
        for (auto it = map.begin(); it != map.end(); ++it) {
            if (const QString wrong = CheckValue(each, it.value(), Join(path, it.key()));
                !wrong.isEmpty())
                return wrong;
        }
        return QString();
    }
    return CheckFields(named.value("fields").toObject(), value.toObject(), path);
}

}  // namespace host::thunderbird
