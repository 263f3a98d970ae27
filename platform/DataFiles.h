#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

namespace platform {

// A file being written. Nothing is visible at the destination until Commit
// succeeds; a file destroyed without Commit leaves the destination as it was.
class WritableFile {
public:
    virtual ~WritableFile() = default;
    // Each throws RuntimeError on failure.
    virtual void Append(const QByteArray& bytes) = 0;
    virtual void Commit() = 0;
};

// Every read and write of the data file goes through here, so that a test
// can make one fail part-way (subclass LocalDataFiles and override a method).
class DataFiles {
public:
    virtual ~DataFiles() = default;

    // True for a file (not a folder) at path.
    virtual bool Exists(const QString& path) = 0;
    // The whole content. Throws RuntimeError when the file cannot be read:
    // "File not found", "Permission denied", or "Device I/O error".
    virtual QByteArray ReadAll(const QString& path) = 0;
    // A new file that replaces the one at path in one step when committed,
    // readable and writable by its owner only. Throws RuntimeError when it
    // cannot be created ("Path not found" when the folder is missing,
    // "Permission denied"). Append or Commit after a Commit fails with
    // "Invalid procedure call or argument".
    virtual std::unique_ptr<WritableFile> NewWritableFile(const QString& path) = 0;
    // Copies a file, keeping its bytes; the copy replaces any file at `to` in
    // one step and is owner-only like every data file. Throws RuntimeError on
    // failure, as ReadAll and NewWritableFile do.
    virtual void Copy(const QString& from, const QString& to) = 0;
};

// The real file system. Writes go to a temporary file beside the target,
// are flushed to disk and then renamed over it.
class LocalDataFiles : public DataFiles {
public:
    bool Exists(const QString& path) override;
    QByteArray ReadAll(const QString& path) override;
    std::unique_ptr<WritableFile> NewWritableFile(const QString& path) override;
    void Copy(const QString& from, const QString& to) override;
};

}  // namespace platform
