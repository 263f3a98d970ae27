#include "platform/FileErrors.h"

#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace platform {

namespace {

const char* Verb(FileStep step) {
    switch (step) {
        case FileStep::Read:
            return "read";
        case FileStep::Create:
            return "create";
        case FileStep::Write:
        case FileStep::Flush:
        case FileStep::Close:
            return "write";
        case FileStep::Sync:
        case FileStep::SyncFolder:
            return "sync";
        case FileStep::Rename:
            return "replace";
    }
    return "use";
}

int Number(FileStep step, int errorCode) {
    switch (errorCode) {
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return 61;  // Disk full
        case EACCES:
        case EPERM:
        case EROFS:
            return 70;  // Permission denied
        case ENOENT:
            return step == FileStep::Read ? 53 : 76;  // File not found, Path not found
        case ENOTDIR:
            return 76;
        default:
            return 57;  // Device I/O error
    }
}

}  // namespace

RuntimeError FileError(FileStep step, const QString& path, int errorCode) {
    const QString reason = QString::fromLocal8Bit(std::strerror(errorCode));
    return RuntimeError(
        Number(step, errorCode),
        QStringLiteral("Could not %1 %2: %3").arg(QLatin1String(Verb(step)), path, reason));
}

RuntimeError NewFileError(const QString& path, int errorCode) {
    const QFileInfo target(path);
    const QString reason = QString::fromLocal8Bit(std::strerror(errorCode));
    return RuntimeError(Number(FileStep::Create, errorCode),
                        QStringLiteral("Could not create a new file for %1 in %2: %3")
                            .arg(target.fileName(), target.absolutePath(), reason));
}

}  // namespace platform
