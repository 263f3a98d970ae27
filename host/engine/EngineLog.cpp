#include "host/engine/EngineLog.h"

#include <QDateTime>
#include <QFile>

#include "platform/Env.h"

namespace host {

void EngineLog::AddTrace(const TraceLine& line) {
    m_traces.push_back(line);
    Append(QStringLiteral("TRACE %1 %2: %3").arg(line.module, line.procedure, line.message));
}

void EngineLog::AddError(const ErrorReportRecord& report) {
    m_errors.push_back(report);
    Append(QStringLiteral("ERROR %1 [flag %2]: %3")
               .arg(report.source)
               .arg(report.flag)
               .arg(report.message));
    if (onError)
        onError(report);
}

std::vector<QString> EngineLog::TraceMessages(const QString& procedure) const {
    std::vector<QString> messages;
    for (const auto& line : m_traces)
        if (procedure.isNull() || line.procedure == procedure)
            messages.push_back(line.message);
    return messages;
}

void EngineLog::Clear() {
    m_traces.clear();
    m_errors.clear();
}

void EngineLog::Append(const QString& text) const {
    if (m_file.isEmpty())
        return;
    QFile file(m_file);
    const bool created = !file.exists();
    // The log is a convenience: a log that cannot be written loses the line,
    // never the operation.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return;
    // Trace lines carry addresses and subjects: the log is its owner's alone.
    if (created)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // The platform clock, so that lines follow a simulated clock too.
    const QString stamp = platform::Now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    file.write((stamp + ' ' + text + '\n').toUtf8());
}

}  // namespace host
