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

QString AddressOf(const QString& mailbox) {
    // The last angle-bracketed part outside quotes is the address.
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
        } else if (!quoted && c == u'>' && open >= 0) {
            close = i;
        }
    }
    if (open >= 0 && close > open)
        return mailbox.mid(open + 1, close - open - 1).trimmed();
    const QString whole = mailbox.trimmed();
    // A group ("Team: a@x, b@y;") or a display name alone is no address.
    if (whole.endsWith(u';') || !whole.contains(u'@'))
        return QString();
    return whole;
}

}  // namespace host::thunderbird
