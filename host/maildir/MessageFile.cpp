#include "host/maildir/GMimeSupport.h"

#include "host/maildir/MessageFile.h"

#include <QTimeZone>
#include <algorithm>

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
    // The header ends at the first empty line; a message that starts with
    // one has an empty header.
    if (all.startsWith("\n") || all.startsWith("\r\n"))
        return 0;
    for (qsizetype at = all.indexOf('\n'); at >= 0; at = all.indexOf('\n', at + 1)) {
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

ReadResult ReadMessageHeader(const QByteArray& original, HostMailItem& item,
                             const QString& fileName) {
    InitGMime();
    ReadResult result;
    bool shortened = false;
    const QByteArray headerBlock = CapHeader(original.left(HeaderEnd(original)), shortened);
    if (headerBlock.isEmpty() && !original.trimmed().isEmpty()) {
        // A body without a header: a message that says nothing about itself.
        result.hasDate = false;
        return result;
    }
    // Only the header is parsed: the body is read when it is asked for.
    Ref<GMimeMessage> message(ParseMessage(headerBlock + "\n"));
    if (!message.p) {
        result.readable = false;
        result.hasDate = false;
        MakeUnreadable(item, fileName);
        return result;
    }

    item.setTransportMessageHeaders(headerBlock);
    item.setSubject(FromUtf8(g_mime_message_get_subject(message.p)));
    item.setMessageId(FromUtf8(g_mime_message_get_message_id(message.p)));
    const QString from = FirstAddress(g_mime_message_get_from(message.p));
    if (!from.isEmpty())
        item.setSender(HostAddressEntry::ForAddress(from));

    auto recipients = item.RecipientList();
    const bool allRecipients =
        AddAddresses(g_mime_message_get_to(message.p), client::olTo, *recipients) &&
        AddAddresses(g_mime_message_get_cc(message.p), client::olCC, *recipients) &&
        AddAddresses(g_mime_message_get_bcc(message.p), client::olBCC, *recipients);
    if (shortened || !allRecipients)
        item.setReadingNotice(kShortenedHeaderNotice);
    GMimeHeaderList* headers = g_mime_object_get_header_list(GMIME_OBJECT(message.p));
    const int headerCount = g_mime_header_list_get_count(headers);
    for (int i = 0; i < headerCount; ++i) {
        GMimeHeader* header = g_mime_header_list_get_header_at(headers, i);
        if (g_ascii_strcasecmp(g_mime_header_get_name(header), kDirectoryRecipientHeader) != 0)
            continue;
        const QString value = FromUtf8(g_mime_header_get_value(header)).simplified();
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

    if (GDateTime* date = g_mime_message_get_date(message.p))
        item.setSentOn(FromGDateTime(date));
    else
        result.hasDate = false;
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
