#include "host/thunderbird/TbAddresses.h"

namespace host::thunderbird {

QStringList SplitMailboxes(const QString& list) {
    QStringList mailboxes;
    QString current;
    bool quoted = false;
    int angle = 0;
    int comment = 0;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QChar c = list.at(i);
        if (quoted) {
            if (c == u'\\' && i + 1 < list.size()) {
                current += c;
                current += list.at(++i);
                continue;
            }
            if (c == u'"')
                quoted = false;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u'(') {
            ++comment;
        } else if (c == u')' && comment > 0) {
            --comment;
        } else if (c == u'<' && comment == 0) {
            ++angle;
        } else if (c == u'>' && angle > 0) {
            --angle;
        } else if (c == u',' && angle == 0 && comment == 0) {
            if (!current.trimmed().isEmpty())
                mailboxes << current.trimmed();
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.trimmed().isEmpty())
        mailboxes << current.trimmed();
    return mailboxes;
}

namespace {

// One plain address: a local part and a domain, nothing a header line could
// read as more (no blanks, brackets, quotes, commas or semicolons).
bool IsPlainAddress(const QString& address) {
    static const QString kNever = QStringLiteral("<>()[],;:\\\"");
    if (address.isEmpty() || !address.contains(u'@'))
        return false;
    for (const QChar c : address)
        if (c.isSpace() || kNever.contains(c))
            return false;
    return true;
}

// The text without its comments ("(Pat) pat@example.com").
QString WithoutComments(const QString& text) {
    QString kept;
    int depth = 0;
    for (const QChar c : text) {
        if (c == u'(')
            ++depth;
        else if (c == u')' && depth > 0)
            --depth;
        else if (depth == 0)
            kept += c;
    }
    return kept;
}

}  // namespace

QString AddressOf(const QString& mailbox) {
    // The last angle-bracketed part outside quotes is the address; an
    // opening bracket never closed still begins it.
    bool quoted = false;
    qsizetype open = -1;
    qsizetype close = -1;
    for (qsizetype i = 0; i < mailbox.size(); ++i) {
        const QChar c = mailbox.at(i);
        if (c == u'\\' && quoted) {
            ++i;
        } else if (c == u'"') {
            quoted = !quoted;
        } else if (!quoted && c == u'<') {
            open = i;
            close = -1;
        } else if (!quoted && c == u'>' && open >= 0 && close < 0) {
            close = i;
        }
    }
    const QString candidate =
        open >= 0
            ? mailbox.mid(open + 1, (close > open ? close : mailbox.size()) - open - 1).trimmed()
            : WithoutComments(mailbox).trimmed();
    // Anything else (a group "Team:;", a name alone, a broken mailbox) has
    // no address to remind; the add-in says so when it meets one.
    return IsPlainAddress(candidate) ? candidate : QString();
}

}  // namespace host::thunderbird
