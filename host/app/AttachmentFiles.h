#pragma once

#include <QString>

#include "host/mail/HostMailItem.h"

namespace host::app {

// A file name for an attachment that is safe to offer in a folder of the
// user's: the message's name with any folder part, leading dots, control
// characters and characters file systems refuse taken out ("../../.bashrc"
// becomes "bashrc"); "attachment" when nothing is left.
QString SafeFileName(const QString& name);

// Writes an attachment's bytes to path through platform::Files() (a
// temporary file beside it, flushed and renamed over it, so a failure never
// leaves half a file). False, with the reason in error, when any step fails.
bool SaveAttachment(const HostAttachment& attachment, const QString& path, QString& error);

// What the reading pane lists for an attachment: "name (size)", the size in
// the locale's words ("523 bytes", "12.1 KB").
QString AttachmentCaption(const HostAttachment& attachment);

}  // namespace host::app
