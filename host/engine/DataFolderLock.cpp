#include "host/engine/DataFolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>

namespace host {

namespace {

// What a holder writes: its process id, then its name, a line each.
constexpr qsizetype kMaxHolderBytes = 4096;

QString Reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

}  // namespace

DataFolderLock::DataFolderLock(const QString& folder, const QString& holder)
    : m_folder(QDir::cleanPath(folder)) {
    const QByteArray path = QFile::encodeName(m_folder + u'/' + kFileName);
    do {
        m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0) {
        m_failure = Reason(errno);
        return;
    }
    int result = 0;
    do {
        result = ::flock(m_fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK) {
            m_state = State::InUse;
            ReadHolder();
        } else {
            m_failure = Reason(error);
        }
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_state = State::Held;
    // Who holds the folder, for a program that is refused. The lock stands
    // whether or not this gets written: it only names the holder.
    const QByteArray who = QByteArray::number(qint64(::getpid())) + '\n' + holder.toUtf8() + '\n';
    if (::ftruncate(m_fd, 0) == 0) {
        [[maybe_unused]] const ssize_t written =
            ::pwrite(m_fd, who.constData(), static_cast<size_t>(who.size()), 0);
    }
}

DataFolderLock::~DataFolderLock() {
    if (m_fd < 0)
        return;
    // Nobody holds the folder now; a name left in the file would only
    // mislead. Emptied while still held, so no new holder's name is lost.
    [[maybe_unused]] const int emptied = ::ftruncate(m_fd, 0);
    ::close(m_fd);
}

void DataFolderLock::ReadHolder() {
    QByteArray bytes(kMaxHolderBytes, Qt::Uninitialized);
    ssize_t got = 0;
    do {
        got = ::pread(m_fd, bytes.data(), static_cast<size_t>(bytes.size()), 0);
    } while (got < 0 && errno == EINTR);
    if (got <= 0)
        return;
    bytes.truncate(got);
    const QList<QByteArray> lines = bytes.split('\n');
    bool number = false;
    const qint64 pid = lines.value(0).trimmed().toLongLong(&number);
    const QString name = QString::fromUtf8(lines.value(1)).trimmed();
    // Half written (the holder is taking the lock this moment): unknown.
    if (!number || pid <= 0 || name.isEmpty())
        return;
    m_holderProcessId = pid;
    m_holderName = name;
}

QString DataFolderLock::Refusal() const {
    switch (m_state) {
        case State::Held:
            return QString();
        case State::InUse:
            if (m_holderName.isEmpty())
                return QStringLiteral("The data folder %1 is in use by another program.")
                    .arg(m_folder);
            return QStringLiteral("The data folder %1 is in use by %2 (process %3).")
                .arg(m_folder, m_holderName)
                .arg(m_holderProcessId);
        case State::Failed:
            break;
    }
    return QStringLiteral("The data folder %1 cannot be locked: %2.").arg(m_folder, m_failure);
}

}  // namespace host
