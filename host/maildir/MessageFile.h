#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
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

// Reads RFC 5322 bytes into item (a new item in no folder): everything
// ReadMessageHeader reads, and the content (ReadContent).
ReadResult ReadMessage(const QByteArray& bytes, HostMailItem& item, const QString& fileName);

// Reads what the header of RFC 5322 bytes says into item: subject, sender,
// To/CC/BCC recipients (directory recipients from kDirectoryRecipientHeader),
// send time (taken to the local wall clock), Message-ID, and the header
// itself (TransportMessageHeaders); encoded words are decoded. bytes may be
// the whole message or only its header: nothing after the header's empty
// line is looked at, and the content is left as it is. Header fields, the
// header and the recipients are cut at the limits above (an address list at
// the last whole address), and the item's reading notice says so. Never
// throws for any input; fileName only names the file in what an unreadable
// item shows.
ReadResult ReadMessageHeader(const QByteArray& bytes, HostMailItem& item, const QString& fileName);

// Where the header of bytes ends: the position of its empty line (or the
// size of bytes when it has none). A header read from the start of a file
// is whole once this is less than what was read.
qsizetype HeaderEnd(QByteArrayView bytes);
// The same for bytes read in pieces, looking only at what the last look, at
// the first `from` bytes, could not settle: a reader that asks after every
// piece looks at each byte about once, however long the header. from is what
// was read at the last look, or 0.
qsizetype HeaderEnd(QByteArrayView bytes, qsizetype from);

// The content of a message: its plain text (the first text/plain part that
// is not an attachment; the parts of a multipart/alternative are one text),
// its HTML text, and every other part as an attachment, with its file name
// and decoded bytes (pictures its HTML names by "cid:" are marked inline).
// Text in a declared charset is converted from it; text without one, or
// not valid in the one it declares (us-ascii or utf-8), is read as UTF-8
// when it is valid UTF-8 and as Windows-1252 (Latin-1's superset) when not,
// as mail readers do. Never throws.
HostMessageContent ReadContent(const QByteArray& bytes);

// Text bytes in a charset, with the fall back described at ReadContent.
QString DecodeText(const QByteArray& bytes, const QByteArray& charset);

// How WriteMessage writes a message.
struct WriteOptions {
    // The Bcc line; a message handed over for delivery has none (its BCC
    // recipients are only in the envelope), our own copy keeps it.
    bool bcc = true;
    // Directory ("EX") recipients: when set, each goes into To or Cc as the
    // Internet address this gives (a message for the world); otherwise each
    // is kept in a kDirectoryRecipientHeader line.
    std::function<QString(const QString& directoryAddress)> resolveDirectory;
};

// The item as an RFC 5322 message: From, To, Cc, Bcc, Subject (encoded
// words where needed), Date (the wall-clock send time with the local offset;
// now when the item has none), Message-ID (the item's; a new one when it has
// none), directory recipients, and a text/plain UTF-8 body; with attachments,
// a multipart/mixed message holding the text and then each attachment.
QByteArray WriteMessage(const HostMailItem& item, const WriteOptions& options = {});

}  // namespace host::maildir
