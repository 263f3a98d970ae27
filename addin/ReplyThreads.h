#pragma once

#include <QString>
#include <QStringList>

#include "addin/contracts/MailClient.h"

class CReminderItem;

// A reply names the message it answers: mail programs put that message's
// Message-ID in In-Reply-To, and the Message-IDs of the whole thread so far
// in References. So a reply whose subject was changed ("Numbers you asked
// for") still says which message it answers.

// The Message-IDs that the In-Reply-To and References fields of a received
// message's header name, without their angle brackets, each once, in the
// order they stand (In-Reply-To's first when it comes first). Only what
// stands in angle brackets counts, since old mail programs write more
// ("In-Reply-To: Your message of 4 March <id@example.com>"); a field with no
// angle bracket at all is read as ids separated by blanks, those holding an
// "@". Empty for a header that names none.
QStringList ThreadMessageIds(const QString& headers);

// The Message-ID of the message a reminder was made for, read through the
// mail helper library from the message the reminder names (its EntryId),
// looked up in the default store first and then in the store its StoreId
// names, as View Original finds it. Empty when the reminder names no
// message, the message is gone (the mail client finds nothing), or it has
// no Message-ID. A failure of the mail helper library passes to the caller.
QString SentMessageId(client::NameSpace& ns, const CReminderItem& reminder);
