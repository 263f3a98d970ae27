#include "host/engine/EngineLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/Env.h"

namespace host {

namespace {

template <class T>
void Keep(std::deque<T>& kept, const T& item, size_t limit) {
    kept.push_back(item);
    while (kept.size() > limit) kept.pop_front();
}

void ToStandardError(const QByteArray& text) {
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stderr);
    std::fflush(stderr);
}

}  // namespace

EngineLog::EngineLog(size_t keptTraces, size_t keptErrors)
    : m_keptTraces(std::max<size_t>(keptTraces, 1)),
      m_keptErrors(std::max<size_t>(keptErrors, 1)) {}

EngineLog::~EngineLog() {
    CloseFile();
}

void EngineLog::SetFile(const QString& path, qint64 rotateBytes) {
    CloseFile();
    m_file = path;
    m_rotateBytes = rotateBytes;
    m_problem.clear();
    m_problemTold = false;
}

void EngineLog::AddTrace(const TraceLine& line) {
    Keep(m_traces, line, m_keptTraces);
    Append(QStringLiteral("TRACE %1 %2: %3").arg(line.module, line.procedure, line.message), false);
}

void EngineLog::AddError(const ErrorReportRecord& report) {
    Keep(m_errors, report, m_keptErrors);
    Append(QStringLiteral("ERROR %1 [flag %2]: %3")
               .arg(report.source)
               .arg(report.flag)
               .arg(report.message),
           true);
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

void EngineLog::SetFileProblemHandler(std::function<void(const QString&)> handler) {
    m_onFileProblem = std::move(handler);
    if (m_onFileProblem && !m_problem.isEmpty() && !m_problemTold) {
        m_problemTold = true;
        m_onFileProblem(m_problem);
    }
}

void EngineLog::Append(const QString& text, bool isError) {
    if (m_file.isEmpty())
        return;
    // The platform clock, so that lines follow a simulated clock too.
    const QString stamp = platform::Now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QByteArray line = (stamp + u' ' + text + u'\n').toUtf8();

    int error = 0;
    bool open = m_fd >= 0 || Open(&error);
    if (open && m_size > 0 && m_size + line.size() > m_rotateBytes) {
        Rotate();
        open = m_fd >= 0 || Open(&error);
    }
    if (!open) {
        Failed(error);
        // The reports at least must reach someone.
        if (isError)
            ToStandardError(line);
        return;
    }
    const char* data = line.constData();
    size_t left = static_cast<size_t>(line.size());
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            Failed(written < 0 ? errno : EIO);
            if (isError)
                ToStandardError(line);
            return;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    m_size += line.size();
    // Written again: a later failure is news.
    m_problem.clear();
    m_problemTold = false;
}

bool EngineLog::Open(int* error) {
    const QByteArray path = QFile::encodeName(m_file);
    do {
        m_fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0) {
        *error = errno;
        return false;
    }
    struct stat status {};
    m_size = ::fstat(m_fd, &status) == 0 && S_ISREG(status.st_mode) ? qint64(status.st_size) : 0;
    return true;
}

void EngineLog::Rotate() {
    struct stat status {};
    // Only a plain file is rotated; a device (a terminal, /dev/null) just
    // takes the lines.
    if (::fstat(m_fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        m_size = 0;
        return;
    }
    CloseFile();
    const QByteArray path = QFile::encodeName(m_file);
    const QByteArray older = QFile::encodeName(m_file + QStringLiteral(".1"));
    if (::rename(path.constData(), older.constData()) != 0) {
        // Kept in bounds even so: the file starts again from empty.
        const int fd = ::open(path.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd >= 0)
            ::close(fd);
    }
}

void EngineLog::CloseFile() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_size = 0;
}

void EngineLog::Failed(int error) {
    if (!m_problem.isEmpty())
        return;
    m_problem = QStringLiteral("Could not write the log file %1: %2")
                    .arg(m_file, QString::fromLocal8Bit(std::strerror(error)));
    ToStandardError((m_problem + u'\n').toUtf8());
    if (m_onFileProblem) {
        m_problemTold = true;
        m_onFileProblem(m_problem);
    }
}

}  // namespace host
