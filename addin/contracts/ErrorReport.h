#pragma once

// Error reports and trace lines, the two things every operation hands to the
// engine.

#include <QString>
#include <utility>

#include "platform/RuntimeError.h"

namespace engine {

// "Error occurred.  Reason: " + description
QString ReasonMessage(const QString& description);
// "Error occurred at line " + step + ".  Reason: " + description
QString LineMessage(int step, const QString& description);

// Where a report comes from: a fixed text ("Chasewell.CReminderItems.SaveData"),
// or a suffix put after the settings application name, asked for when the
// report is made (".HxItemEvent").
class ReportSource {
public:
    static ReportSource Fixed(QString text) { return ReportSource(std::move(text), false); }
    static ReportSource AfterAppName(QString suffix) { return ReportSource(std::move(suffix), true); }
    QString Text() const;
    // The text as given, without the application name.
    const QString& RawText() const { return m_text; }

private:
    ReportSource(QString text, bool afterAppName) : m_text(std::move(text)), m_afterAppName(afterAppName) {}
    QString m_text;
    bool m_afterAppName;
};

// Hands a report to the engine's global object. Never throws: when even that
// fails the report goes to the process's standard error.
void ReportError(const QString& message, qint32 flag, const QString& source);
void ReportError(const QString& message, qint32 flag, const ReportSource& source);

// Writes one trace line: creates a trace log object, calls WriteLine with the
// module name "Chasewell", the procedure, the message and level 0, and
// releases it. Traps nothing: a trace log that cannot be created or called is
// an error of the calling operation.
void WriteTrace(const QString& procedure, const QString& message);

// The number of the last step begun, for operations whose reports name it.
class Steps {
public:
    void Begin(int step) { m_last = step; }
    int Last() const { return m_last; }

private:
    int m_last = 0;
};

// Runs body; on an error, reports "Error occurred.  Reason: " + description
// with the flag and source. Returns true when body completed.
template <class Body>
bool Trapped(const ReportSource& source, qint32 flag, Body&& body) {
    try {
        body();
        return true;
    } catch (...) {
        ReportError(ReasonMessage(platform::CurrentErrorDescription()), flag, source);
        return false;
    }
}

// Runs body(steps); on an error, reports "Error occurred at line " + the last
// step begun + ".  Reason: " + description. Returns true when body completed.
template <class Body>
bool TrappedSteps(const ReportSource& source, qint32 flag, Body&& body) {
    Steps steps;
    try {
        body(steps);
        return true;
    } catch (...) {
        ReportError(LineMessage(steps.Last(), platform::CurrentErrorDescription()), flag, source);
        return false;
    }
}

}  // namespace engine
