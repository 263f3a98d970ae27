#include "host/engine/EngineLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
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
void Keep(std::deque<T>& kept, T&& item, size_t limit) {
    kept.push_back(std::move(item));
    while (kept.size() > limit) kept.pop_front();
}

// "yyyy-MM-dd HH:mm:ss": written out here, since the locale's general
// formatter took longer than everything else a line costs.
void AppendStamp(QString& text, const QDateTime& when) {
    const QDate date = when.date();
    const QTime time = when.time();
    char16_t stamp[19];
    const auto put = [&stamp](int at, int value, int digits) {
        for (int i = digits - 1; i >= 0; --i, value /= 10)
            stamp[at + i] = static_cast<char16_t>(u'0' + value % 10);
    };
    const int year = date.year();
    if (!date.isValid() || year < 0 || year > 9999) {
        text.append(when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        return;
    }
    put(0, year, 4);
    stamp[4] = u'-';
    put(5, date.month(), 2);
    stamp[7] = u'-';
    put(8, date.day(), 2);
    stamp[10] = u' ';
    put(11, time.hour(), 2);
    stamp[13] = u':';
    put(14, time.minute(), 2);
    stamp[16] = u':';
    put(17, time.second(), 2);
    text.append(reinterpret_cast<const QChar*>(stamp), 19);
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
    Flush();
    CloseFile();
}

void EngineLog::SetFile(const QString& path, qint64 rotateBytes) {
    Flush();
    CloseFile();
    m_file = path;
    m_rotateBytes = rotateBytes;
    m_problem.clear();
    m_problemTold = false;
}

void EngineLog::AddTrace(TraceLine line) {
    Keep(m_traces, std::move(line), m_keptTraces);
    if (m_file.isEmpty())
        return;
    const TraceLine& kept = m_traces.back();
    BeginLine();
    m_text.append(QLatin1StringView("TRACE "))
        .append(kept.module)
        .append(u' ')
        .append(kept.procedure)
        .append(QLatin1StringView(": "))
        .append(kept.message);
    Append(false);
}

void EngineLog::AddError(const ErrorReportRecord& report) {
    Keep(m_errors, ErrorReportRecord(report), m_keptErrors);
    if (!m_file.isEmpty()) {
        BeginLine();
        m_text.append(QLatin1StringView("ERROR "))
            .append(report.source)
            .append(QLatin1StringView(" [flag "))
            .append(QString::number(report.flag))
            .append(QLatin1StringView("]: "))
            .append(report.message);
        Append(true);
    }
    if (onError)
        onError(report);
}

void EngineLog::Flush() {
    if (!m_pending.isEmpty())
        WritePending();
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

void EngineLog::BeginLine() {
    m_text.truncate(0);
    // The platform clock, so that lines follow a simulated clock too.
    AppendStamp(m_text, platform::Now());
    m_text.append(u' ');
}

void EngineLog::Append(bool isError) {
    m_text.append(u'\n');
    const QByteArray line = m_text.toUtf8();

    int error = 0;
    bool open = m_fd >= 0 || Open(&error);
    if (open && m_size > 0 && m_size + line.size() > m_rotateBytes) {
        // What was gathered belongs to the file being put aside.
        WritePending();
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
    m_pending.append(line);
    m_size += line.size();
    const bool now = isError || m_pending.size() >= kGatherBytes || !FlushLater();
    if (now && !WritePending() && isError)
        ToStandardError(line);
}

bool EngineLog::WritePending() {
    QByteArray pending = std::exchange(m_pending, QByteArray());
    if (m_fd < 0) {
        // The file went (rotation failed to reopen it); its problem is told.
        m_size -= pending.size();
        return false;
    }
    const char* data = pending.constData();
    size_t left = static_cast<size_t>(pending.size());
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            m_size -= static_cast<qint64>(left);
            Failed(written < 0 ? errno : EIO);
            return false;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    // Written again: a later failure is news.
    m_problem.clear();
    m_problemTold = false;
    // The buffer is kept for the next lines.
    if (m_pending.isEmpty()) {
        pending.truncate(0);
        m_pending = std::move(pending);
    }
    return true;
}

bool EngineLog::FlushLater() {
    if (m_flushAsked)
        return true;
    QCoreApplication* const app = QCoreApplication::instance();
    if (!app)
        return false;
    m_flushAsked = true;
    QMetaObject::invokeMethod(
        app,
        [self = std::weak_ptr<EngineLog*>(m_self)] {
            if (const auto log = self.lock()) {
                (*log)->m_flushAsked = false;
                (*log)->Flush();
            }
        },
        Qt::QueuedConnection);
    return true;
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
