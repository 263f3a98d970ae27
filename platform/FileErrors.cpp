#include "platform/FileErrors.h"

#include <QFileInfo>

namespace platform {

RuntimeError ReadFailure(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return RuntimeError::FileNotFound();
    if (!info.isReadable())
        return RuntimeError::PermissionDenied();
    return RuntimeError::DeviceIOError();
}

RuntimeError WriteFailure(const QString& path) {
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.exists() || !folder.isDir())
        return RuntimeError::PathNotFound();
    if (!folder.isWritable() || (file.exists() && !file.isWritable()))
        return RuntimeError::PermissionDenied();
    return RuntimeError::DeviceIOError();
}

}  // namespace platform
