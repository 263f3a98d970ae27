#include "host/maildir/GMimeSupport.h"

#include "host/maildir/MessageFile.h"

#include <QTimeZone>
#include <algorithm>
#include <optional>

#include "platform/Clock.h"
#include "platform/Env.h"

namespace host::maildir {

namespace {

QString TypeWord(qint32 type) {
    switch (type) {
        case client::olCC:
            return QStringLiteral("CC");
        case client::olBCC:
            return QStringLiteral("BCC");
        default:
            return QStringLiteral("To");
    }
}

// Appends every mailbox of a list (groups are opened) as recipients, up to
// kMaxRecipients in all; false when some were left out.
bool AddAddresses(InternetAddressList* list, qint32 type, HostRecipients& recipients) {
    if (!list)
        return true;
    const int count = internet_address_list_length(list);
    for (int i = 0; i < count; ++i) {
        if (recipients.Count() >= kMaxRecipients)
            return false;
        InternetAddress* address = internet_address_list_get_address(list, i);
        if (INTERNET_ADDRESS_IS_GROUP(address)) {
            if (!AddAddresses(internet_address_group_get_members(INTERNET_ADDRESS_GROUP(address)),
                              type, recipients))
                return false;
        } else if (INTERNET_ADDRESS_IS_MAILBOX(address)) {
            const QString addr =
                FromUtf8(internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address)))
                    .trimmed();
            if (!addr.isEmpty())
                recipients.AddRecipient(type, addr);
        }
    }
    return true;
}

// Where a field that is too long is cut: after the last address separator
// (or, in other fields, the last blank) before the limit, so that no half
// address is read; at the limit itself when there is neither.
qsizetype CutPoint(QByteArrayView field, qsizetype limit) {
    // Never inside the field's name, nor so that the value is left empty.
    const qsizetype valueStart = field.indexOf(':') + 2;
    const QByteArrayView head = field.first(limit);
    qsizetype cut = head.lastIndexOf(',');
    if (cut <= valueStart)
        cut = std::max(head.lastIndexOf(' '), head.lastIndexOf('\t'));
    return cut > valueStart ? cut : limit;
}

QString FirstAddress(InternetAddressList* list) {
    if (!list)
        return QString();
    const int count = internet_address_list_length(list);
    for (int i = 0; i < count; ++i) {
        InternetAddress* address = internet_address_list_get_address(list, i);
        if (INTERNET_ADDRESS_IS_MAILBOX(address))
            return FromUtf8(internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address)));
    }
    return QString();
}

QDateTime FromGDateTime(GDateTime* date) {
    const QDateTime utc = QDateTime::fromSecsSinceEpoch(g_date_time_to_unix(date), Qt::UTC);
    return platform::ToWallClock(utc);
}

void MakeUnreadable(HostMailItem& item, const QString& fileName) {
    item.setSubject(QStringLiteral("(unreadable message)"));
    item.setBody(QStringLiteral("The file \"%1\" could not be read as a message.").arg(fileName));
}

}  // namespace

void InitGMime() {
    static const bool done = [] {
        g_mime_init();
        return true;
    }();
    (void)done;
}

GMimeMessage* ParseMessage(const QByteArray& bytes) {
    InitGMime();
    if (bytes.trimmed().isEmpty())
        return nullptr;
    Ref<GMimeStream> stream(
        g_mime_stream_mem_new_with_buffer(bytes.constData(), static_cast<size_t>(bytes.size())));
    Ref<GMimeParser> parser(g_mime_parser_new_with_stream(stream.p));
    g_mime_parser_set_format(parser.p, GMIME_FORMAT_MESSAGE);
    return g_mime_parser_construct_message(parser.p, nullptr);
}

// One pass over the header.
QByteArray CapHeader(const QByteArray& header, bool& shortened) {
    shortened = false;
    // A header shorter than one field may be holds nothing to cut.
    if (header.size() <= kMaxHeaderFieldBytes)
        return header;
    const QByteArrayView all(header);
    const qsizetype headerEnd = all.size();
    QByteArray out;
    qsizetype fieldStart = 0;
    while (fieldStart < headerEnd) {
        // A field runs on over the lines that start with a blank.
        qsizetype fieldEnd = fieldStart;
        for (;;) {
            const qsizetype lineEnd = all.indexOf('\n', fieldEnd);
            fieldEnd = lineEnd < 0 || lineEnd >= headerEnd ? headerEnd : lineEnd + 1;
            if (fieldEnd >= headerEnd || (all[fieldEnd] != ' ' && all[fieldEnd] != '\t'))
                break;
        }
        QByteArrayView field = all.sliced(fieldStart, fieldEnd - fieldStart);
        fieldStart = fieldEnd;
        if (out.size() + std::min(field.size(), kMaxHeaderFieldBytes) > kMaxHeaderBytes) {
            shortened = true;
            break;
        }
        if (field.size() > kMaxHeaderFieldBytes) {
            shortened = true;
            out += field.first(CutPoint(field, kMaxHeaderFieldBytes));
            out += "\r\n";
        } else {
            out += field;
        }
    }
    if (!shortened)
        return header;
    if (!out.endsWith('\n'))
        out += "\r\n";
    return out;
}

qsizetype HeaderEnd(QByteArrayView all) {
    return HeaderEnd(all, 0);
}

qsizetype HeaderEnd(QByteArrayView all, qsizetype from) {
    // The header ends at the first empty line; a message that starts with
    // one has an empty header.
    if (all.startsWith("\n") || all.startsWith("\r\n"))
        return 0;
    // A line end that the last look saw without what follows it ("\n" or
    // "\n\r" at the end of what had been read) is looked at again.
    const qsizetype start = std::max<qsizetype>(0, std::min(from, all.size()) - 2);
    for (qsizetype at = all.indexOf('\n', start); at >= 0; at = all.indexOf('\n', at + 1)) {
        const qsizetype next = at + 1;
        if (next < all.size() && all[next] == '\n')
            return next;
        if (next + 1 < all.size() && all[next] == '\r' && all[next + 1] == '\n')
            return next;
    }
    return all.size();
}

ReadResult ReadMessage(const QByteArray& bytes, HostMailItem& item, const QString& fileName) {
    const ReadResult result = ReadMessageHeader(bytes, item, fileName);
    if (result.readable)
        item.setContentLoader([bytes] { return ReadContent(bytes); });
    return result;
}

namespace {

// A header field's value as GMime takes it: folding undone, blanks around
// it dropped. NUL-terminated, for GMime's functions.
QByteArray Unfolded(QByteArrayView raw) {
    const QByteArrayView trimmed = raw.trimmed();
    if (!trimmed.contains('\n') && !trimmed.contains('\r'))
        return trimmed.toByteArray();
    QByteArray value;
    value.reserve(raw.size());
    for (const char c : raw)
        if (c != '\r' && c != '\n')
            value += c;
    return value.trimmed();
}

// The fields the list and the add-in need, as they stand in the header:
// the later of two Subject, Date or Message-ID fields wins and address
// fields add up, as GMime reads a message.
struct HeaderFields {
    QByteArray subject, date, messageId;
    std::vector<QByteArray> from, to, cc, bcc, directory;
    bool any = false;
};

HeaderFields FieldsOf(QByteArrayView header) {
    HeaderFields fields;
    qsizetype start = 0;
    while (start < header.size()) {
        // A field runs on over the lines that start with a blank.
        qsizetype end = start;
        for (;;) {
            const qsizetype lineEnd = header.indexOf('\n', end);
            end = lineEnd < 0 ? header.size() : lineEnd + 1;
            if (end >= header.size() || (header[end] != ' ' && header[end] != '\t'))
                break;
        }
        const QByteArrayView field = header.sliced(start, end - start);
        start = end;
        const qsizetype colon = field.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArrayView name = field.first(colon).trimmed();
        const QByteArrayView raw = field.sliced(colon + 1);
        fields.any = true;
        const auto is = [&](const char* wanted) {
            return name.compare(QByteArrayView(wanted), Qt::CaseInsensitive) == 0;
        };
        if (is("Subject"))
            fields.subject = Unfolded(raw);
        else if (is("Date"))
            fields.date = Unfolded(raw);
        else if (is("Message-ID"))
            fields.messageId = Unfolded(raw);
        else if (is("From"))
            fields.from.push_back(Unfolded(raw));
        else if (is("To"))
            fields.to.push_back(Unfolded(raw));
        else if (is("Cc"))
            fields.cc.push_back(Unfolded(raw));
        else if (is("Bcc"))
            fields.bcc.push_back(Unfolded(raw));
        else if (is(kDirectoryRecipientHeader))
            fields.directory.push_back(Unfolded(raw));
    }
    return fields;
}

// The addresses of a list written the plain way most lists are
// ("a@x.org, Pat Jones <pat@y.org>"), read without GMime's full parser;
// false for anything else (quotes, comments, groups, encoded words, 8-bit
// text, escapes), which GMime reads.
bool PlainAddresses(QByteArrayView value, QList<QByteArrayView>& addresses) {
    for (const char c : value)
        if ((c & 0x80) || c == '"' || c == '(' || c == ')' || c == ':' || c == ';' || c == '\\' ||
            c == '[' || c == ']')
            return false;
    if (value.contains("=?"))
        return false;
    for (qsizetype start = 0; start <= value.size();) {
        qsizetype comma = value.indexOf(',', start);
        if (comma < 0)
            comma = value.size();
        const QByteArrayView part = value.sliced(start, comma - start).trimmed();
        start = comma + 1;
        if (part.isEmpty())
            continue;
        const qsizetype open = part.indexOf('<');
        if (open < 0) {
            if (part.contains(' ') || part.contains('\t') || part.contains('>'))
                return false;
            addresses << part;
            continue;
        }
        if (!part.endsWith('>') || part.indexOf('<', open + 1) >= 0 ||
            part.first(part.size() - 1).contains('>'))
            return false;
        const QByteArrayView address = part.sliced(open + 1, part.size() - open - 2).trimmed();
        if (address.isEmpty() || address.contains(' '))
            return false;
        addresses << address;
    }
    return true;
}

// Adds the mailboxes of address fields; false when some were left out.
bool AddAddressFields(const std::vector<QByteArray>& values, qint32 type,
                      HostRecipients& recipients) {
    for (const QByteArray& value : values) {
        QList<QByteArrayView> plain;
        if (PlainAddresses(value, plain)) {
            for (const QByteArrayView address : plain) {
                if (recipients.Count() >= kMaxRecipients)
                    return false;
                recipients.AddRecipient(type, QString::fromLatin1(address));
            }
            continue;
        }
        InternetAddressList* list = internet_address_list_parse(nullptr, value.constData());
        const bool all = AddAddresses(list, type, recipients);
        if (list)
            g_object_unref(list);
        if (!all)
            return false;
    }
    return true;
}

// Text that needs no decoding: printable ASCII without encoded words.
bool IsPlainText(QByteArrayView text) {
    for (const char c : text)
        if (c < 0x20 || c > 0x7e)
            return false;
    return !text.contains("=?");
}

// A date written as RFC 5322 has it ("Tue, 5 Mar 2024 08:00:00 +0100"),
// read directly; nothing for any other form, which GMime reads.
std::optional<QDateTime> PlainDate(QByteArrayView text) {
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    QList<QByteArrayView> words;
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = text.indexOf(' ', start);
        if (end < 0)
            end = text.size();
        if (end > start)
            words << text.sliced(start, end - start);
        start = end + 1;
    }
    if (!words.isEmpty() && words.front().endsWith(','))
        words.removeFirst();
    if (words.size() != 5)
        return std::nullopt;
    const auto number = [](QByteArrayView digits, int& value) {
        if (digits.isEmpty() || digits.size() > 4)
            return false;
        value = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9')
                return false;
            value = value * 10 + (c - '0');
        }
        return true;
    };
    int day = 0, year = 0, month = 0;
    for (int i = 0; i < 12; ++i)
        if (words[1] == QByteArrayView(months[i]))
            month = i + 1;
    if (!number(words[0], day) || month == 0 || words[2].size() != 4 || !number(words[2], year))
        return std::nullopt;
    const QByteArrayView clock = words[3];
    int hour = 0, minute = 0, second = 0;
    if ((clock.size() != 5 && clock.size() != 8) || clock[2] != ':' ||
        !number(clock.first(2), hour) || !number(clock.sliced(3, 2), minute) ||
        (clock.size() == 8 && (clock[5] != ':' || !number(clock.sliced(6), second))))
        return std::nullopt;
    const QByteArrayView zone = words[4];
    int offset = 0;
    if (zone.size() != 5 || (zone[0] != '+' && zone[0] != '-') || !number(zone.sliced(1), offset))
        return std::nullopt;
    const int offsetSeconds = ((offset / 100) * 60 + offset % 100) * 60 * (zone[0] == '-' ? -1 : 1);
    const QDate date(year, month, day);
    const QTime time(hour, minute, second == 60 ? 59 : second);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    const QDateTime utc = QDateTime(date, time, Qt::UTC).addSecs(-offsetSeconds);
    return platform::ToWallClock(utc);
}

}  // namespace

ReadResult ReadMessageHeader(const QByteArray& original, HostMailItem& item,
                             const QString& fileName) {
    InitGMime();
    ReadResult result;
    bool shortened = false;
    const QByteArray headerBlock = CapHeader(original.left(HeaderEnd(original)), shortened);
    if (original.trimmed().isEmpty()) {
        result.readable = false;
        result.hasDate = false;
        MakeUnreadable(item, fileName);
        return result;
    }
    // The fields are taken out of the header directly and only they are
    // decoded (with GMime's decoders): a folder of many thousands is read
    // this way at start, and building a whole message object for each
    // took most of that time.
    const HeaderFields fields = FieldsOf(headerBlock);
    if (!fields.any) {
        // A body without a header: a message that says nothing about itself.
        result.hasDate = false;
        return result;
    }

    item.setTransportMessageHeaders(headerBlock);
    if (IsPlainText(fields.subject)) {
        item.setSubject(QString::fromLatin1(fields.subject));
    } else {
        char* subject = g_mime_utils_header_decode_text(nullptr, fields.subject.constData());
        item.setSubject(FromUtf8(subject));
        g_free(subject);
    }
    const QByteArrayView id = fields.messageId;
    if (id.size() > 2 && id.startsWith('<') && id.endsWith('>') && IsPlainText(id) &&
        !id.contains(' ') && id.indexOf('<', 1) < 0) {
        item.setMessageId(QString::fromLatin1(id.sliced(1, id.size() - 2)));
    } else if (!id.isEmpty()) {
        char* decoded = g_mime_utils_decode_message_id(fields.messageId.constData());
        item.setMessageId(FromUtf8(decoded));
        g_free(decoded);
    }
    for (const QByteArray& value : fields.from) {
        QList<QByteArrayView> plain;
        if (PlainAddresses(value, plain)) {
            if (plain.isEmpty())
                continue;
            item.setSender(HostAddressEntry::ForAddress(QString::fromLatin1(plain.front())));
            break;
        }
        InternetAddressList* list = internet_address_list_parse(nullptr, value.constData());
        const QString from = FirstAddress(list);
        if (list)
            g_object_unref(list);
        if (!from.isEmpty()) {
            item.setSender(HostAddressEntry::ForAddress(from));
            break;
        }
    }

    auto recipients = item.RecipientList();
    const bool allRecipients = AddAddressFields(fields.to, client::olTo, *recipients) &&
                               AddAddressFields(fields.cc, client::olCC, *recipients) &&
                               AddAddressFields(fields.bcc, client::olBCC, *recipients);
    if (shortened || !allRecipients)
        item.setReadingNotice(kShortenedHeaderNotice);
    for (const QByteArray& line : fields.directory) {
        const QString value = QString::fromUtf8(line).simplified();
        const int space = value.indexOf(' ');
        if (space <= 0)
            continue;
        const QString word = value.left(space).toUpper();
        const qint32 type = word == "CC"    ? client::olCC
                            : word == "BCC" ? client::olBCC
                                            : client::olTo;
        const QString address = value.mid(space + 1).trimmed();
        if (address.isEmpty())
            continue;
        if (recipients->Count() >= kMaxRecipients) {
            item.setReadingNotice(kShortenedHeaderNotice);
            break;
        }
        recipients->AddRecipient(type, address);
    }

    if (auto plain = PlainDate(fields.date)) {
        item.setSentOn(*plain);
        return result;
    }
    GDateTime* date =
        fields.date.isEmpty() ? nullptr : g_mime_utils_header_decode_date(fields.date.constData());
    if (date) {
        item.setSentOn(FromGDateTime(date));
        g_date_time_unref(date);
    } else {
        result.hasDate = false;
    }
    return result;
}

namespace {

void AddMailbox(GMimeMessage* message, GMimeAddressType type, const QString& address) {
    g_mime_message_add_mailbox(message, type, nullptr, address.toUtf8().constData());
}

GMimeObject* TextPart(const QString& text) {
    GMimeTextPart* part = g_mime_text_part_new_with_subtype("plain");
    QString body = text;
    if (!body.isEmpty() && !body.endsWith('\n'))
        body += '\n';
    g_mime_text_part_set_text(part, body.toUtf8().constData());
    g_mime_part_set_content_encoding(
        GMIME_PART(part),
        g_mime_part_get_best_content_encoding(GMIME_PART(part), GMIME_ENCODING_CONSTRAINT_7BIT));
    return GMIME_OBJECT(part);
}

GMimeObject* AttachmentPart(const HostAttachment& attachment) {
    const QByteArray type = attachment.mimeType.isEmpty()
                                ? QByteArrayLiteral("application/octet-stream")
                                : attachment.mimeType.toUtf8();
    Ref<GMimeContentType> contentType(g_mime_content_type_parse(nullptr, type.constData()));
    GMimePart* part =
        g_mime_part_new_with_type(g_mime_content_type_get_media_type(contentType.p),
                                  g_mime_content_type_get_media_subtype(contentType.p));
    Ref<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(
        attachment.data.constData(), static_cast<size_t>(attachment.data.size())));
    Ref<GMimeDataWrapper> content(
        g_mime_data_wrapper_new_with_stream(stream.p, GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(part, content.p);
    g_mime_part_set_content_encoding(part, GMIME_CONTENT_ENCODING_BASE64);
    if (!attachment.name.isEmpty())
        g_mime_part_set_filename(part, attachment.name.toUtf8().constData());
    if (!attachment.contentId.isEmpty())
        g_mime_part_set_content_id(part, attachment.contentId.toUtf8().constData());
    g_mime_object_set_disposition(GMIME_OBJECT(part),
                                  attachment.inlinePart ? "inline" : "attachment");
    return GMIME_OBJECT(part);
}

}  // namespace

QByteArray WriteMessage(const HostMailItem& item, const WriteOptions& options) {
    InitGMime();
    Ref<GMimeMessage> message(g_mime_message_new(TRUE));
    GMimeObject* object = GMIME_OBJECT(message.p);

    if (auto sender = item.Sender())
        AddMailbox(message.p, GMIME_ADDRESS_TYPE_FROM, sender->Address());
    auto recipients = item.RecipientList();
    for (qint32 i = 1; i <= recipients->Count(); ++i) {
        auto recipient = recipients->Item(i);
        auto entry = recipient->AddressEntry();
        QString address = recipient->Address();
        if (recipient->Type() == client::olBCC && !options.bcc)
            continue;
        if (entry && entry->Type() == kExchangeAddressType) {
            if (options.resolveDirectory) {
                address = options.resolveDirectory(address);
            } else {
                const QString line = TypeWord(recipient->Type()) + ' ' + address;
                g_mime_object_append_header(object, kDirectoryRecipientHeader,
                                            line.toUtf8().constData(), "utf-8");
                continue;
            }
        }
        const GMimeAddressType type = recipient->Type() == client::olCC    ? GMIME_ADDRESS_TYPE_CC
                                      : recipient->Type() == client::olBCC ? GMIME_ADDRESS_TYPE_BCC
                                                                           : GMIME_ADDRESS_TYPE_TO;
        AddMailbox(message.p, type, address);
    }
    g_mime_message_set_subject(message.p, item.Subject().toUtf8().constData(), "utf-8");

    // Send times are wall-clock values; the file says which offset they had.
    const QDateTime wall = item.SentOn().isValid() ? item.SentOn() : platform::Now();
    const QDateTime local(wall.date(), wall.time(), Qt::LocalTime);
    GTimeZone* zone = g_time_zone_new_offset(local.offsetFromUtc());
    GDateTime* date =
        g_date_time_new(zone, wall.date().year(), wall.date().month(), wall.date().day(),
                        wall.time().hour(), wall.time().minute(), wall.time().second());
    g_mime_message_set_date(message.p, date);
    g_date_time_unref(date);
    g_time_zone_unref(zone);

    if (!item.MessageId().isEmpty()) {
        g_mime_message_set_message_id(message.p, item.MessageId().toUtf8().constData());
    } else {
        char* id = g_mime_utils_generate_message_id("chasewell.localhost");
        g_mime_message_set_message_id(message.p, id);
        g_free(id);
    }

    GMimeObject* text = TextPart(item.Body());
    const auto& attachments = item.Attachments();
    if (attachments.empty()) {
        g_mime_message_set_mime_part(message.p, text);
    } else {
        GMimeMultipart* mixed = g_mime_multipart_new_with_subtype("mixed");
        g_mime_multipart_add(mixed, text);
        for (const auto& attachment : attachments) {
            GMimeObject* part = AttachmentPart(attachment);
            g_mime_multipart_add(mixed, part);
            g_object_unref(part);
        }
        g_mime_message_set_mime_part(message.p, GMIME_OBJECT(mixed));
        g_object_unref(mixed);
    }
    g_object_unref(text);

    char* written = g_mime_object_to_string(object, nullptr);
    QByteArray bytes(written);
    g_free(written);
    return bytes;
}

}  // namespace host::maildir
