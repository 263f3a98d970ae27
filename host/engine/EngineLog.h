#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
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
// reports. The most recent are kept in memory (for tests and the program's
// log view), a bounded number of each, and every line is appended to a log
// file when one is set.
//
// The file stays open between lines. Lines are gathered and written
// together: every error report at once, with whatever was gathered before
// it; trace lines when 64 KiB have gathered, when the program's event loop
// next runs, at Flush, and when the file is changed or the log destroyed.
// (A program loading 100,000 reminders writes 700,000 trace lines; one
// write each took longer than the loading.) Without a QCoreApplication
// every line is written at once.
//
// When a line would take the file past its size limit, the file is renamed
// to "<file>.1" (replacing the older one) and a new file begun, so the log
// never takes more than about twice the limit. A log file that cannot be
// written loses only its lines: error reports are still kept in memory and
// also written to standard error, and the file problem handler is told once,
// naming the file ("Could not write the log file <path>: <reason>"), and
// again only after the file was written once more.
class EngineLog {
public:
    static constexpr size_t kKeptTraces = 10000;
    static constexpr size_t kKeptErrors = 1000;
    static constexpr qint64 kRotateBytes = 5 * 1024 * 1024;

    explicit EngineLog(size_t keptTraces = kKeptTraces, size_t keptErrors = kKeptErrors);
    ~EngineLog();
    EngineLog(const EngineLog&) = delete;
    EngineLog& operator=(const EngineLog&) = delete;

    // Empty: no file. The file is created owner-only (trace lines carry
    // addresses and subjects).
    void SetFile(const QString& path, qint64 rotateBytes = kRotateBytes);
    const QString& File() const { return m_file; }

    void AddTrace(TraceLine line);
    void AddError(const ErrorReportRecord& report);
    // Writes the lines gathered so far.
    void Flush();

    // The kept lines, oldest first.
    std::vector<TraceLine> Traces() const { return {m_traces.begin(), m_traces.end()}; }
    std::vector<ErrorReportRecord> Errors() const { return {m_errors.begin(), m_errors.end()}; }
    // Messages of the kept trace lines, in order (optionally of one procedure).
    std::vector<QString> TraceMessages(const QString& procedure = QString()) const;
    void Clear();

    // Called after each error report is recorded (the program shows them).
    std::function<void(const ErrorReportRecord&)> onError;
    // Told when the log file cannot be written (see above). A problem met
    // before the handler was set is told when it is set.
    void SetFileProblemHandler(std::function<void(const QString&)> handler);
    // The text of the current file problem; empty while the file is written.
    const QString& FileProblem() const { return m_problem; }

    // Lines gathered before they are written.
    static constexpr qsizetype kGatherBytes = 64 * 1024;

private:
    // Starts the next line in m_text with its time stamp.
    void BeginLine();
    // Appends the line made in m_text.
    void Append(bool isError);
    // Writes m_pending; false (the problem told) when that failed.
    bool WritePending();
    // Has the event loop flush the log when it next runs; false when there
    // is no event loop.
    bool FlushLater();
    bool Open(int* error);
    void Rotate();
    void CloseFile();
    void Failed(int error);

    QString m_file;
    qint64 m_rotateBytes = kRotateBytes;
    int m_fd = -1;
    qint64 m_size = 0;
    size_t m_keptTraces;
    size_t m_keptErrors;
    std::deque<TraceLine> m_traces;
    std::deque<ErrorReportRecord> m_errors;
    QString m_problem;
    bool m_problemTold = false;
    std::function<void(const QString&)> m_onFileProblem;
    // The line being made, and the lines made and not yet written.
    QString m_text;
    QByteArray m_pending;
    bool m_flushAsked = false;
    // What a flush asked of the event loop holds on to: gone with the log.
    std::shared_ptr<EngineLog*> m_self = std::make_shared<EngineLog*>(this);
};

}  // namespace host
