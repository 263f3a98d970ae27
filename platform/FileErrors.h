#pragma once

#include <QString>

#include "platform/RuntimeError.h"

namespace platform {

// The steps of reading a file and of replacing one durably, so that an error
// can say which went wrong.
enum class FileStep {
    Read,        // reading a file
    Create,      // creating the new file (or a missing folder) beside the target
    Write,       // any write(2) of the new file's bytes
    Flush,       // the write(2)s that hand over what was still buffered, at commit
    Sync,        // fsync of the new file
    Close,       // closing the new file
    Rename,      // putting the new file in place of the old
    SyncFolder,  // fsync of the folder, so that the rename survives a power cut
};

// The error a failed step raises, described so that a user can act on it:
// "Could not <verb> <path>: <the system's text for errorCode>", for example
// "Could not write /home/pat/.local/share/Chasewell/ChasewellData.txt: No
// space left on device". The verbs are read, create, write (Write, Flush and
// Close: a close can report a write that did not reach the disk), sync (Sync
// and SyncFolder) and replace (Rename). The number tells callers the kind of
// failure, as the runtime numbered them: 61 disk full, 70 permission denied,
// 76 path not found, 53 file not found (reading), 57 any other input or output
// error.
RuntimeError FileError(FileStep step, const QString& path, int errorCode);

// The new file that is to replace the one at path could not be made in its
// folder: "Could not create a new file for <name> in <folder>: <reason>".
// The user learns that the folder is what refused (the file itself was never
// touched), numbered as FileError numbers FileStep::Create.
RuntimeError NewFileError(const QString& path, int errorCode);

}  // namespace platform
