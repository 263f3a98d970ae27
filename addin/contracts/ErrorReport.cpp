#include "addin/contracts/ErrorReport.h"

#include <QtGlobal>

#include "addin/contracts/HostEngine.h"
#include "platform/Env.h"

namespace engine {

QString ReasonMessage(const QString& description) {
    return QStringLiteral("Error occurred.  Reason: ") + description;
}

QString LineMessage(int step, const QString& description) {
    return QStringLiteral("Error occurred at line ") + QString::number(step) +
           QStringLiteral(".  Reason: ") + description;
}

QString ReportSource::Text() const {
    if (!m_afterAppName) return m_text;
    return Global()->SettingsApplicationName() + m_text;
}

void ReportError(const QString& message, qint32 flag, const QString& source) {
    try {
        Global()->ReportError(message, flag, source);
    } catch (...) {
        qWarning("Error report could not be handed to the engine (%s): %s [%s, flag %d]",
                 qUtf8Printable(platform::CurrentErrorDescription()), qUtf8Printable(message),
                 qUtf8Printable(source), flag);
    }
}

void ReportError(const QString& message, qint32 flag, const ReportSource& source) {
    QString sourceText;
    try {
        sourceText = source.Text();
    } catch (...) {
        // The application name could not be had; the report still goes out.
        sourceText = source.RawText();
    }
    ReportError(message, flag, sourceText);
}

void WriteTrace(const QString& procedure, const QString& message) {
    auto log = platform::Objects().CreateObjectAs<ITraceLog>(kTraceLogProgId);
    QString moduleName = QStringLiteral("Chasewell");
    QString procedureName = procedure;
    QString text = message;
    qint32 level = 0;
    log->WriteLine(moduleName, procedureName, text, level);
}

std::shared_ptr<IEngineGlobal> Global() {
    return platform::Objects().CreateObjectAs<IEngineGlobal>(kGlobalProgId);
}

}  // namespace engine
