#pragma once

#include <QString>

#include "platform/RuntimeError.h"

namespace platform {

// Why a file could not be opened for reading, in the runtime's terms:
// "File not found", "Permission denied" or "Device I/O error".
RuntimeError ReadFailure(const QString& path);
// Why a file could not be created or replaced: "Path not found" (no such
// folder), "Permission denied" or "Device I/O error".
RuntimeError WriteFailure(const QString& path);

}  // namespace platform
