#pragma once

#include <QString>
#include <QStringList>

namespace host::thunderbird {

// Thunderbird hands addresses over as the user sees them: "Pat Jones
// <pat@example.com>", "\"Jones, Pat\" <pat@example.com>" or a bare
// "pat@example.com", and a compose field may hold several separated by
// commas.

// The mailboxes of a list, split at the commas that separate them (not those
// inside quotes, angle brackets or comments), each trimmed; empty ones
// dropped.
QStringList SplitMailboxes(const QString& list);

// The address of one mailbox: what stands in its angle brackets, or the
// whole text (without comments) when it has none, trimmed; empty unless that
// is one plain address (a group name such as "Team:;", a name alone or a
// broken mailbox has none).
QString AddressOf(const QString& mailbox);

}  // namespace host::thunderbird
