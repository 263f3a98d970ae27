#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <memory>

#include "platform/FileErrors.h"

namespace platform {

class LocalWritableFile;

// A file being written. Nothing is visible at the destination until Commit
// succeeds; a file destroyed without Commit, or whose Append or Commit failed,
// leaves the destination as it was and nothing beside it.
class WritableFile {
public:
    virtual ~WritableFile() = default;
    // Each throws RuntimeError on failure (see FileError); after a failure or
    // a Commit, both fail with "Invalid procedure call or argument".
    virtual void Append(const QByteArray& bytes) = 0;
    virtual void Commit() = 0;
};

// Every read and write of the data file and the settings file goes through
// here, so that a test can make one fail part-way (subclass LocalDataFiles and
// override a method). Failures are RuntimeErrors made by FileError: "Could not
// read <path>: <reason>", "Could not write <path>: No space left on device";
// a new file that its folder refuses is NewFileError's "Could not create a new
// file for <name> in <folder>: <reason>".
class DataFiles {
public:
    virtual ~DataFiles() = default;

    // True for a file (not a folder) at path.
    virtual bool Exists(const QString& path) = 0;
    // The whole content.
    virtual QByteArray ReadAll(const QString& path) = 0;
    // A new file that replaces the one at path in one step when committed,
    // readable and writable by its owner only. A path that is a symbolic link
    // replaces the file the link leads to. An existing file that its owner may
    // not write is not replaced ("Could not replace <path>: Permission
    // denied").
    virtual std::unique_ptr<WritableFile> NewWritableFile(const QString& path) = 0;
    // Copies a file, keeping its bytes; the copy replaces any file at `to` as
    // NewWritableFile does.
    virtual void Copy(const QString& from, const QString& to) = 0;
    // Removes the temporary files that an interrupted replacement left beside
    // path: those of path itself and of files beside it whose names begin with
    // its name (the copies kept of it). Only files named as this layer names
    // its temporary files are touched, and never one that a running program
    // may still be writing. Returns how many were removed; never throws.
    virtual int RemoveLeftovers(const QString& path) = 0;
};

// The real file system. A replacement writes a temporary file beside the
// target (".<name>.tmp-<process id>-<8 hex digits>", created exclusively,
// owner-only), checks every write, hands over what it buffered, syncs and
// closes the file, renames it over the target and syncs the folder. A failure
// before the rename removes the temporary file and leaves the target
// byte-identical; a failure to sync the folder after the rename is reported
// too, though the new content is already in place.
//
// The system calls are small virtual methods, so that a test makes exactly
// one of them fail (return an errno value) or stops the process there. Each
// returns 0 or the errno value of its failure.
class LocalDataFiles : public DataFiles {
public:
    // Bytes a WritableFile gathers before it writes them.
    static constexpr size_t kBufferBytes = 64 * 1024;

    bool Exists(const QString& path) override;
    QByteArray ReadAll(const QString& path) override;
    std::unique_ptr<WritableFile> NewWritableFile(const QString& path) override;
    void Copy(const QString& from, const QString& to) override;
    int RemoveLeftovers(const QString& path) override;

protected:
    friend class LocalWritableFile;

    // open(2) with O_CREAT | O_EXCL, mode 0600 whatever the umask.
    virtual int CreateExclusive(const QByteArray& path, int* fd);
    // One write(2); step is FileStep::Write while appending and
    // FileStep::Flush while Commit hands over the buffer. May write less than
    // size, or fail with EINTR; the caller carries on.
    virtual int WriteSome(FileStep step, int fd, const char* data, size_t size, size_t* written);
    virtual int SyncFile(int fd);
    // The descriptor is gone afterwards, whatever the result.
    virtual int CloseFile(int fd);
    virtual int Rename(const QByteArray& from, const QByteArray& to);
    virtual int SyncFolder(const QByteArray& folder);
    virtual int RemoveFile(const QByteArray& path);
};

}  // namespace platform
