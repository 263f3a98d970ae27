#include "platform/DataFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "platform/FileErrors.h"
#include "platform/RuntimeError.h"

namespace platform {

namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

std::unique_ptr<QSaveFile> OpenForReplacing(const QString& path) {
    auto file = std::make_unique<QSaveFile>(path);
    // Never write in place: a failure part-way must leave the old file whole.
    file->setDirectWriteFallback(false);
    if (!file->open(QIODevice::WriteOnly))
        throw WriteFailure(path);
    // The data file holds addresses and subjects.
    if (!file->setPermissions(kOwnerOnly))
        throw WriteFailure(path);
    return file;
}

void Commit(QSaveFile& file, const QString& path) {
    // commit() flushes, syncs and renames over the target in one step.
    if (!file.commit())
        throw WriteFailure(path);
}

class LocalWritableFile : public WritableFile {
public:
    explicit LocalWritableFile(const QString& path)
        : m_path(path), m_file(OpenForReplacing(path)) {}

    void Append(const QByteArray& bytes) override {
        if (!m_file->isOpen())
            throw RuntimeError::InvalidProcedureCall();
        if (m_file->write(bytes) != bytes.size())
            throw RuntimeError::DeviceIOError();
    }

    void Commit() override {
        if (!m_file->isOpen())
            throw RuntimeError::InvalidProcedureCall();
        platform::Commit(*m_file, m_path);
    }

private:
    QString m_path;
    // Destroyed without commit, QSaveFile removes its temporary file.
    std::unique_ptr<QSaveFile> m_file;
};

}  // namespace

bool LocalDataFiles::Exists(const QString& path) {
    return QFileInfo(path).isFile();
}

QByteArray LocalDataFiles::ReadAll(const QString& path) {
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        throw ReadFailure(path);
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw RuntimeError::DeviceIOError();
    return content;
}

std::unique_ptr<WritableFile> LocalDataFiles::NewWritableFile(const QString& path) {
    return std::make_unique<LocalWritableFile>(path);
}

void LocalDataFiles::Copy(const QString& from, const QString& to) {
    QFile source(from);
    if (QFileInfo(from).isDir() || !source.open(QIODevice::ReadOnly))
        throw ReadFailure(from);
    auto target = OpenForReplacing(to);
    // In pieces, so a large file is never held whole in memory.
    QByteArray chunk;
    while (!(chunk = source.read(64 * 1024)).isEmpty()) {
        if (target->write(chunk) != chunk.size())
            throw RuntimeError::DeviceIOError();
    }
    if (source.error() != QFileDevice::NoError)
        throw RuntimeError::DeviceIOError();
    Commit(*target, to);
}

}  // namespace platform
