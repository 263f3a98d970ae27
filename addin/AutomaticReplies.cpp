#include "addin/AutomaticReplies.h"

#include <QStringList>

#include "addin/MessageHeaders.h"

namespace {

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
        QStringLiteral("Automatiskt svar:"),
        QStringLiteral("Automatisk svar:"),
        QStringLiteral("Automaattinen vastaus:"),
        QStringLiteral("Odpowiedź automatyczna:"),
        QStringLiteral("Automatická odpověď:"),
    };
    return prefixes;
}

}  // namespace

std::optional<QString> AutomaticReplyMarker(const QString& headers, const QString& subject) {
    const auto fields = HeaderFields(headers);
    for (const auto& [name, value] : fields) {
        if (IsField(name, "Auto-Submitted") && Token(value) != QLatin1String("no"))
            return name + QStringLiteral(": ") + value;
    }
    for (const auto& [name, value] : fields) {
        const QString token = Token(value);
        const bool marker =
            IsField(name, "X-Autoreply") || IsField(name, "X-Autorespond") ||
            IsField(name, "X-Autoreply-From") || IsField(name, "X-Mail-Autoreply") ||
            (IsField(name, "X-Auto-Response-Suppress") && token != QLatin1String("none")) ||
            (IsField(name, "Precedence") && token == QLatin1String("auto_reply")) ||
            (IsField(name, "Return-Path") && (token == QLatin1String("<>") || token.isEmpty())) ||
            (IsField(name, "Content-Type") && token == QLatin1String("multipart/report"));
        if (marker)
            return name + QStringLiteral(": ") + value;
    }
    // French typography puts a no-break space before the colon
    // ("Réponse automatique\u00A0:"); the prefixes are written with a blank.
    QString plain = subject.trimmed();
    plain.replace(u'\u00A0', u' ').replace(u'\u202F', u' ');
    for (const QString& prefix : AutomaticSubjectPrefixes())
        if (plain.startsWith(prefix, Qt::CaseInsensitive))
            return QStringLiteral("subject \"") + subject + u'"';
    return std::nullopt;
}
