#include "addin/AutomaticReplies.h"

#include <QStringList>
#include <utility>
#include <vector>

namespace {

// The fields of a header, in order, each as name and value with its folded
// lines joined.
std::vector<std::pair<QString, QString>> Fields(const QString& headers) {
    std::vector<std::pair<QString, QString>> fields;
    const QStringList lines = headers.split(u'\n');
    for (QString line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty())
            break;  // the header ends at the first empty line
        if ((line.startsWith(u' ') || line.startsWith(u'\t')) && !fields.empty()) {
            QString& value = fields.back().second;
            value += (value.isEmpty() ? QString() : QStringLiteral(" ")) + line.trimmed();
            continue;
        }
        const qsizetype colon = line.indexOf(u':');
        if (colon <= 0)
            continue;
        fields.emplace_back(line.left(colon).trimmed(), line.mid(colon + 1).trimmed());
    }
    return fields;
}

// The value without its parameters or comments ("auto-replied; foo=bar").
QString Token(const QString& value) {
    QString token = value;
    for (QChar stop : {u';', u'('}) {
        const qsizetype at = token.indexOf(stop);
        if (at >= 0)
            token.truncate(at);
    }
    return token.trimmed().toLower();
}

bool Named(const QString& field, const char* name) {
    return field.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

// How out-of-office and vacation replies begin their subjects.
const QStringList& AutomaticSubjectPrefixes() {
    static const QStringList prefixes = {
        QStringLiteral("Automatic reply:"),
        QStringLiteral("Auto reply:"),
        QStringLiteral("Autoreply:"),
        QStringLiteral("Auto-reply:"),
        QStringLiteral("Auto response:"),
        QStringLiteral("Autoresponse:"),
        QStringLiteral("Out of Office:"),
        QStringLiteral("Out of Office AutoReply:"),
        QStringLiteral("Out of the office:"),
        QStringLiteral("Abwesenheitsnotiz:"),
        QStringLiteral("Automatische Antwort:"),
        QStringLiteral("Réponse automatique :"),
        QStringLiteral("Réponse automatique:"),
        QStringLiteral("Respuesta automática:"),
        QStringLiteral("Risposta automatica:"),
        QStringLiteral("Automatisch antwoord:"),
        QStringLiteral("Resposta automática:"),
    };
    return prefixes;
}

}  // namespace

std::optional<QString> AutomaticReplyMarker(const QString& headers, const QString& subject) {
    const auto fields = Fields(headers);
    for (const auto& [name, value] : fields) {
        if (Named(name, "Auto-Submitted") && Token(value) != QLatin1String("no"))
            return name + QStringLiteral(": ") + value;
    }
    for (const auto& [name, value] : fields) {
        const QString token = Token(value);
        const bool marker =
            Named(name, "X-Autoreply") || Named(name, "X-Autorespond") ||
            Named(name, "X-Autoreply-From") || Named(name, "X-Mail-Autoreply") ||
            (Named(name, "X-Auto-Response-Suppress") && token != QLatin1String("none")) ||
            (Named(name, "Precedence") && token == QLatin1String("auto_reply")) ||
            (Named(name, "Return-Path") && (token == QLatin1String("<>") || token.isEmpty())) ||
            (Named(name, "Content-Type") && token == QLatin1String("multipart/report"));
        if (marker)
            return name + QStringLiteral(": ") + value;
    }
    for (const QString& prefix : AutomaticSubjectPrefixes())
        if (subject.trimmed().startsWith(prefix, Qt::CaseInsensitive))
            return QStringLiteral("subject \"") + subject + u'"';
    return std::nullopt;
}
