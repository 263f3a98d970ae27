#include "platform/DataFiles.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <set>

namespace platform {

namespace {

QByteArray Encoded(const QString& path) {
    return QFile::encodeName(path);
}

// The temporary files of replacements under way in this process: never
// leftovers, whatever their names say.
std::set<QByteArray>& InFlight() {
    static std::set<QByteArray> paths;
    return paths;
}

// ".<name>.tmp-<process id>-<8 hex digits>": hidden, beside the target, and
// recognisable as ours, with the writer's process id so that a leftover is
// told from a file another running program is still writing.
const QRegularExpression& TemporaryName() {
    static const QRegularExpression pattern(QStringLiteral("^\\.(.+)\\.tmp-(\\d+)-[0-9a-f]{8}$"));
    return pattern;
}

QString TemporaryPath(const QFileInfo& target) {
    const QString hex =
        QStringLiteral("%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    return QDir::cleanPath(target.absolutePath()) + QStringLiteral("/.") + target.fileName() +
           QStringLiteral(".tmp-") + QString::number(::getpid()) + u'-' + hex;
}

// A symbolic link stays a link: its file is the one replaced.
QString ResolvedTarget(const QString& path) {
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

// Whether no running program can still be writing a temporary file of this
// process id: it is ours (one thread, so none of ours is half-way now unless
// InFlight says so), or no such process exists.
bool Abandoned(qint64 pid) {
    if (pid <= 0 || pid > 0x7FFFFFFF)
        return false;
    if (pid == ::getpid())
        return true;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

int ReadOpen(const QString& path, int* fd) {
    do {
        *fd = ::open(Encoded(path).constData(), O_RDONLY | O_CLOEXEC);
    } while (*fd < 0 && errno == EINTR);
    return *fd < 0 ? errno : 0;
}

// Up to size bytes; 0 at the end of the file. Throws on a failed read.
size_t ReadSome(int fd, char* data, size_t size, const QString& path) {
    for (;;) {
        const ssize_t got = ::read(fd, data, size);
        if (got >= 0)
            return static_cast<size_t>(got);
        if (errno != EINTR)
            throw FileError(FileStep::Read, path, errno);
    }
}

class ReadDescriptor {
public:
    explicit ReadDescriptor(const QString& path) {
        if (const int error = ReadOpen(path, &m_fd))
            throw FileError(FileStep::Read, path, error);
    }
    ~ReadDescriptor() { ::close(m_fd); }
    ReadDescriptor(const ReadDescriptor&) = delete;
    ReadDescriptor& operator=(const ReadDescriptor&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd = -1;
};

constexpr size_t kReadPieceBytes = 64 * 1024;

}  // namespace

// The file being written; see LocalDataFiles for the steps.
class LocalWritableFile : public WritableFile {
public:
    LocalWritableFile(LocalDataFiles& files, const QString& path)
        : m_files(files), m_path(path), m_target(ResolvedTarget(path)) {
        const QFileInfo target(m_target);
        // An existing file its owner may not write is protected on purpose.
        if (target.exists() && ::access(Encoded(m_target).constData(), W_OK) != 0 &&
            errno == EACCES)
            throw FileError(FileStep::Rename, m_path, EACCES);
        int error = EEXIST;
        for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
            m_temporary = Encoded(TemporaryPath(target));
            error = m_files.CreateExclusive(m_temporary, &m_fd);
        }
        if (error != 0) {
            m_fd = -1;
            // The file named was never touched: its folder refused the new
            // one, and the user must look there.
            throw NewFileError(m_target, error);
        }
        InFlight().insert(m_temporary);
        m_folder = Encoded(target.absolutePath());
        m_buffer.reserve(LocalDataFiles::kBufferBytes);
    }

    ~LocalWritableFile() override { Abandon(); }

    void Append(const QByteArray& bytes) override {
        if (m_done)
            throw RuntimeError::InvalidProcedureCall();
        const char* data = bytes.constData();
        size_t left = static_cast<size_t>(bytes.size());
        while (left > 0) {
            // A buffer's worth or more, with nothing buffered: written as it
            // is, without copying.
            if (m_buffer.isEmpty() && left >= LocalDataFiles::kBufferBytes) {
                const size_t whole = left - left % LocalDataFiles::kBufferBytes;
                Guarded([&] { WriteAll(FileStep::Write, data, whole); });
                data += whole;
                left -= whole;
                continue;
            }
            const size_t room = LocalDataFiles::kBufferBytes - static_cast<size_t>(m_buffer.size());
            const size_t taken = std::min(room, left);
            m_buffer.append(data, static_cast<qsizetype>(taken));
            data += taken;
            left -= taken;
            if (static_cast<size_t>(m_buffer.size()) == LocalDataFiles::kBufferBytes)
                Guarded([&] { WriteBuffer(FileStep::Write); });
        }
    }

    void Commit() override {
        if (m_done)
            throw RuntimeError::InvalidProcedureCall();
        Guarded([&] {
            // What is still buffered must reach the file, checked, before the
            // file is synced: a rename after a failed hand-over would put a
            // short file in place of a whole one.
            WriteBuffer(FileStep::Flush);
            Check(FileStep::Sync, Retried([&] { return m_files.SyncFile(m_fd); }));
            const int closed = m_files.CloseFile(m_fd);
            m_fd = -1;
            Check(FileStep::Close, closed);
            Check(FileStep::Rename, m_files.Rename(m_temporary, Encoded(m_target)));
        });
        // The temporary file is the target now.
        InFlight().erase(m_temporary);
        m_temporary.clear();
        m_done = true;
        const int synced = Retried([&] { return m_files.SyncFolder(m_folder); });
        Check(FileStep::SyncFolder, synced);
    }

private:
    template <class Step>
    void Guarded(Step&& step) {
        try {
            step();
        } catch (...) {
            Abandon();
            throw;
        }
    }

    template <class Call>
    static int Retried(Call&& call) {
        int error = 0;
        do {
            error = call();
        } while (error == EINTR);
        return error;
    }

    void Check(FileStep step, int error) const {
        if (error != 0)
            throw FileError(step, m_path, error);
    }

    void WriteBuffer(FileStep step) {
        WriteAll(step, m_buffer.constData(), static_cast<size_t>(m_buffer.size()));
        m_buffer.truncate(0);
    }

    void WriteAll(FileStep step, const char* data, size_t left) {
        while (left > 0) {
            size_t written = 0;
            const int error = m_files.WriteSome(step, m_fd, data, left, &written);
            if (error == EINTR)
                continue;
            Check(step, error);
            // Nothing written and no reason given: never loop on it.
            if (written == 0 || written > left)
                Check(step, EIO);
            data += written;
            left -= written;
        }
    }

    // Closes and removes the temporary file, if any; the target is untouched.
    void Abandon() {
        m_done = true;
        if (m_fd >= 0) {
            m_files.CloseFile(m_fd);
            m_fd = -1;
        }
        if (!m_temporary.isEmpty()) {
            m_files.RemoveFile(m_temporary);
            InFlight().erase(m_temporary);
            m_temporary.clear();
        }
    }

    LocalDataFiles& m_files;
    QString m_path;    // as the caller named it, for error descriptions
    QString m_target;  // the file replaced
    QByteArray m_temporary;
    QByteArray m_folder;
    QByteArray m_buffer;
    int m_fd = -1;
    bool m_done = false;
};

bool LocalDataFiles::Exists(const QString& path) {
    return QFileInfo(path).isFile();
}

QByteArray LocalDataFiles::ReadAll(const QString& path) {
    ReadDescriptor file(path);
    struct stat status {};
    // Straight into the result, as much as the file says it holds and one
    // byte more, to see whether it grew meanwhile; in pieces after that.
    qsizetype expected = 0;
    if (::fstat(file.fd(), &status) == 0 && S_ISREG(status.st_mode))
        expected = static_cast<qsizetype>(status.st_size);
    QByteArray content(expected + 1, Qt::Uninitialized);
    qsizetype size = 0;
    while (size < content.size()) {
        const size_t got = ReadSome(file.fd(), content.data() + size,
                                    static_cast<size_t>(content.size() - size), path);
        if (got == 0) {
            content.truncate(size);
            return content;
        }
        size += static_cast<qsizetype>(got);
    }
    char piece[kReadPieceBytes];
    while (const size_t got = ReadSome(file.fd(), piece, sizeof piece, path))
        content.append(piece, static_cast<qsizetype>(got));
    return content;
}

std::unique_ptr<WritableFile> LocalDataFiles::NewWritableFile(const QString& path) {
    return std::make_unique<LocalWritableFile>(*this, path);
}

void LocalDataFiles::Copy(const QString& from, const QString& to) {
    ReadDescriptor source(from);
    auto target = NewWritableFile(to);
    // In pieces, so a large file is never held whole in memory.
    QByteArray piece(kReadPieceBytes, Qt::Uninitialized);
    while (const size_t got = ReadSome(source.fd(), piece.data(), kReadPieceBytes, from))
        target->Append(piece.left(static_cast<qsizetype>(got)));
    target->Commit();
}

int LocalDataFiles::RemoveLeftovers(const QString& path) {
    const QFileInfo target(ResolvedTarget(path));
    const QString name = target.fileName();
    const QDir folder(QDir::cleanPath(target.absolutePath()));
    int removed = 0;
    for (const QString& entry : folder.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        const QRegularExpressionMatch match = TemporaryName().match(entry);
        if (!match.hasMatch() || !match.captured(1).startsWith(name))
            continue;
        if (!Abandoned(match.captured(2).toLongLong()))
            continue;
        const QString full = folder.filePath(entry);
        if (QFileInfo(full).isSymLink() || InFlight().count(Encoded(full)) > 0)
            continue;
        if (RemoveFile(Encoded(full)) == 0)
            ++removed;
    }
    return removed;
}

int LocalDataFiles::CreateExclusive(const QByteArray& path, int* fd) {
    do {
        *fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    } while (*fd < 0 && errno == EINTR);
    if (*fd < 0)
        return errno;
    // The umask may have taken more than group and others' bits; the file
    // holds addresses and subjects, and is its owner's alone.
    if (::fchmod(*fd, 0600) != 0) {
        const int error = errno;
        ::close(*fd);
        ::unlink(path.constData());
        *fd = -1;
        return error;
    }
    return 0;
}

int LocalDataFiles::WriteSome(FileStep, int fd, const char* data, size_t size, size_t* written) {
    const ssize_t result = ::write(fd, data, size);
    if (result < 0)
        return errno;
    *written = static_cast<size_t>(result);
    return 0;
}

int LocalDataFiles::SyncFile(int fd) {
    return ::fsync(fd) == 0 ? 0 : errno;
}

int LocalDataFiles::CloseFile(int fd) {
    // Never retried: on Linux the descriptor is gone even when close fails.
    return ::close(fd) == 0 ? 0 : errno;
}

int LocalDataFiles::Rename(const QByteArray& from, const QByteArray& to) {
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

int LocalDataFiles::SyncFolder(const QByteArray& folder) {
    int fd = -1;
    do {
        fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return errno;
    int error = ::fsync(fd) == 0 ? 0 : errno;
    // A file system that cannot sync a folder has nothing to sync there.
    if (error == EINVAL || error == ENOTSUP)
        error = 0;
    ::close(fd);
    return error;
}

int LocalDataFiles::RemoveFile(const QByteArray& path) {
    return ::unlink(path.constData()) == 0 ? 0 : errno;
}

}  // namespace platform
