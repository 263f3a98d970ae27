#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <memory>

#include "host/mail/HostMailItem.h"

namespace host::maildir {

// The header that carries a message's directory ("EX") recipients: RFC 5322
// address headers hold Internet addresses only, so each such recipient is
// written as one "X-Chasewell-Directory-Recipient: To|CC|BCC <address>" line
// and read back into the same place.
inline constexpr char kDirectoryRecipientHeader[] = "X-Chasewell-Directory-Recipient";

// What is read of a message's header, however large the file says it is. Mail
// servers refuse far larger headers than real mail ever has; a header line
// of 20 MB, or a To: line with a million addresses, would otherwise freeze
// the program and take gigabytes.
inline constexpr qsizetype kMaxHeaderFieldBytes = 64 * 1024;  // one field, folded lines and all
inline constexpr qsizetype kMaxHeaderBytes = 1024 * 1024;     // the whole header
inline constexpr int kMaxRecipients = 1000;                   // To, Cc and Bcc together

// Said in the reading pane when the header was shortened.
inline const QString kShortenedHeaderNotice = QStringLiteral(
    "Parts of this message's header were longer than mail servers accept and were shortened "
    "when it was read.");

// What was read from one message file.
struct ReadResult {
    // False when the bytes were not a message at all (empty, or no header
    // could be read): the item then says so in its subject and body.
    bool readable = true;
    // The message had no Date header: the caller supplies a time (the file's).
    bool hasDate = true;
};

// Reads RFC 5322 bytes into item (a new item in no folder): subject, sender,
// To/CC/BCC recipients (directory recipients from kDirectoryRecipientHeader),
// send time (taken to the local wall clock) and the first text/plain body
// (any charset and transfer encoding, encoded-word headers decoded).
// Header fields, the header and the recipients are cut at the limits above
// (an address list at the last whole address), and the item's reading
// notice says so. Never throws for any input; fileName only names the file
// in what an unreadable item shows.
ReadResult ReadMessage(const QByteArray& bytes, HostMailItem& item, const QString& fileName);

// The item as an RFC 5322 message: From, To, Cc, Bcc, Subject (encoded
// words where needed), Date (the wall-clock send time with the local offset;
// now when the item has none), Message-ID, directory recipients, and a
// text/plain UTF-8 body.
QByteArray WriteMessage(const HostMailItem& item);

}  // namespace host::maildir
