#include "host/common/ProgramFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace host {

QString ProgramLibrary(const QString& fileName) {
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString beside = programFolder + '/' + fileName;
    if (QFileInfo::exists(beside))
        return beside;
    return QDir::cleanPath(programFolder +
                           QStringLiteral("/" CHASEWELL_LIBRARY_DIR_FROM_PROGRAM "/") + fileName);
}

}  // namespace host
