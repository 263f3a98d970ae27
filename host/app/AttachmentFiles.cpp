#include "host/app/AttachmentFiles.h"

#include <QLocale>
#include <QRegularExpression>

#include "platform/Env.h"
#include "platform/RuntimeError.h"

namespace host::app {

QString SafeFileName(const QString& name) {
    // Only the last part of a path is a name: attachments have been sent
    // named "../../.profile" and "C:\Windows\x.dll".
    QString safe = name.section(QRegularExpression(QStringLiteral("[/\\\\]")), -1);
    QString kept;
    kept.reserve(safe.size());
    for (const QChar c : safe) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
            QStringLiteral("<>:\"|?*").contains(c))
            continue;
        kept += c;
    }
    kept = kept.trimmed();
    // A leading dot hides the file, and "." or ".." name folders.
    while (kept.startsWith('.')) kept.remove(0, 1);
    kept = kept.trimmed();
    return kept.isEmpty() ? QStringLiteral("attachment") : kept;
}

bool SaveAttachment(const HostAttachment& attachment, const QString& path, QString& error) {
    try {
        auto file = platform::Files().NewWritableFile(path);
        file->Append(attachment.data);
        file->Commit();
    } catch (const platform::RuntimeError& failure) {
        error = QStringLiteral("The attachment \"%1\" could not be saved as %2: %3.")
                    .arg(attachment.name, path, failure.description());
        return false;
    }
    return true;
}

QString AttachmentCaption(const HostAttachment& attachment) {
    return QStringLiteral("%1 (%2)").arg(
        attachment.name,
        QLocale().formattedDataSize(attachment.data.size(), 1, QLocale::DataSizeTraditionalFormat));
}

}  // namespace host::app
