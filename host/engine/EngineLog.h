#pragma once

#include <QString>
#include <functional>
#include <vector>

namespace host {

struct TraceLine {
    QString module;
    QString procedure;
    QString message;
    qint32 level = 0;
    bool operator==(const TraceLine&) const = default;
};

struct ErrorReportRecord {
    QString message;
    qint32 flag = 0;
    QString source;
    bool operator==(const ErrorReportRecord&) const = default;
};

// Everything the modules handed to the engine: trace lines and error
// reports, kept in memory (for tests and the program's log view) and
// appended to a log file when one is set.
class EngineLog {
public:
    // Empty: no file.
    void SetFile(const QString& path) { m_file = path; }
    const QString& File() const { return m_file; }

    void AddTrace(const TraceLine& line);
    void AddError(const ErrorReportRecord& report);

    const std::vector<TraceLine>& Traces() const { return m_traces; }
    const std::vector<ErrorReportRecord>& Errors() const { return m_errors; }
    // Messages of the trace lines, in order (optionally of one procedure).
    std::vector<QString> TraceMessages(const QString& procedure = QString()) const;
    void Clear();

    // Called after each error report is recorded (the program shows them).
    std::function<void(const ErrorReportRecord&)> onError;

private:
    void Append(const QString& text) const;
    QString m_file;
    std::vector<TraceLine> m_traces;
    std::vector<ErrorReportRecord> m_errors;
};

}  // namespace host
