// The content of a message file: its texts and attachments, read only when a
// message is opened.

#include "host/maildir/GMimeSupport.h"

#include "host/maildir/MessageFile.h"

namespace host::maildir {

namespace {

// Windows-1252 in 0x80..0x9F, where it differs from Latin-1; the five
// codes it leaves undefined stay Latin-1's control characters, so that no
// byte is ever lost.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString FromWindows1252(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = byte >= 0x80 && byte < 0xA0 ? QChar(kWindows1252High[byte - 0x80]) : QChar(byte);
    }
    return text;
}

bool IsUtf8(const QByteArray& bytes) {
    return g_utf8_validate(bytes.constData(), bytes.size(), nullptr);
}

// The decoded bytes of a leaf part (transfer encoding undone).
QByteArray PartBytes(GMimePart* part) {
    GMimeDataWrapper* content = g_mime_part_get_content(part);
    if (!content)
        return QByteArray();
    Ref<GMimeStream> stream(g_mime_stream_mem_new());
    if (g_mime_data_wrapper_write_to_stream(content, stream.p) < 0)
        return QByteArray();
    GByteArray* array = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream.p));
    return QByteArray(reinterpret_cast<const char*>(array->data),
                      static_cast<qsizetype>(array->len));
}

QString PartText(GMimePart* part) {
    const char* charset = g_mime_object_get_content_type_parameter(GMIME_OBJECT(part), "charset");
    QString text = DecodeText(PartBytes(part), charset ? QByteArray(charset) : QByteArray());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

bool IsAttachment(GMimeObject* object) {
    const char* disposition = g_mime_object_get_disposition(object);
    return disposition && g_ascii_strcasecmp(disposition, "attachment") == 0;
}

bool IsType(GMimeObject* object, const char* type, const char* subtype) {
    GMimeContentType* contentType = g_mime_object_get_content_type(object);
    return contentType && g_mime_content_type_is_type(contentType, type, subtype);
}

QString MimeTypeOf(GMimeObject* object) {
    GMimeContentType* contentType = g_mime_object_get_content_type(object);
    if (!contentType)
        return QStringLiteral("application/octet-stream");
    char* type = g_mime_content_type_get_mime_type(contentType);
    const QString text = FromUtf8(type).toLower();
    g_free(type);
    return text;
}

class ContentReader {
public:
    HostMessageContent content;

    void Walk(GMimeObject* object) {
        if (!object)
            return;
        if (GMIME_IS_MULTIPART(object)) {
            GMimeMultipart* multipart = GMIME_MULTIPART(object);
            const int count = g_mime_multipart_get_count(multipart);
            for (int i = 0; i < count; ++i) Walk(g_mime_multipart_get_part(multipart, i));
            return;
        }
        if (GMIME_IS_MESSAGE_PART(object)) {
            // A forwarded message is offered as a file of its own.
            GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
            HostAttachment attachment;
            attachment.mimeType = QStringLiteral("message/rfc822");
            const QString subject = inner ? FromUtf8(g_mime_message_get_subject(inner)) : QString();
            attachment.name = (subject.isEmpty() ? QStringLiteral("message") : subject) + ".eml";
            if (inner) {
                char* text = g_mime_object_to_string(GMIME_OBJECT(inner), nullptr);
                attachment.data = QByteArray(text);
                g_free(text);
            }
            content.attachments.push_back(std::move(attachment));
            return;
        }
        if (!GMIME_IS_PART(object))
            return;
        GMimePart* part = GMIME_PART(object);
        const bool attachment = IsAttachment(object);
        const bool named = g_mime_part_get_filename(part) != nullptr;
        if (!attachment && !named && IsType(object, "text", "plain")) {
            // Inline text parts after the first (a list's footer) belong to
            // the text too.
            const QString text = PartText(part);
            content.body = content.body.isEmpty() ? text : content.body + '\n' + text;
            return;
        }
        if (!attachment && !named && IsType(object, "text", "html") && content.htmlBody.isEmpty()) {
            content.htmlBody = PartText(part);
            return;
        }
        HostAttachment file;
        file.name = FromUtf8(g_mime_part_get_filename(part));
        file.mimeType = MimeTypeOf(object);
        file.contentId = FromUtf8(g_mime_part_get_content_id(part));
        file.data = PartBytes(part);
        if (file.name.isEmpty())
            file.name = file.contentId.isEmpty()
                            ? QStringLiteral("attachment %1").arg(content.attachments.size() + 1)
                            : file.contentId;
        content.attachments.push_back(std::move(file));
    }

    // A picture the HTML shows by its Content-ID is part of the text.
    void MarkInline() {
        for (auto& attachment : content.attachments)
            attachment.inlinePart =
                !attachment.contentId.isEmpty() &&
                content.htmlBody.contains("cid:" + attachment.contentId, Qt::CaseInsensitive);
    }
};

}  // namespace

QString DecodeText(const QByteArray& bytes, const QByteArray& charset) {
    const QByteArray name = charset.trimmed().toLower();
    // What a message that declares nothing, plain ASCII or UTF-8 holds is
    // often something else: old mailers sent their own 8-bit text.
    if (name.isEmpty() || name == "us-ascii" || name == "ascii" || name == "utf-8" ||
        name == "utf8")
        return IsUtf8(bytes) ? QString::fromUtf8(bytes) : FromWindows1252(bytes);
    // Latin-1 is read as Windows-1252, as browsers and mail readers do.
    if (name == "iso-8859-1" || name == "latin1" || name == "windows-1252" || name == "cp1252")
        return FromWindows1252(bytes);
    gsize written = 0;
    GError* error = nullptr;
    gchar* converted = g_convert(bytes.constData(), bytes.size(), "UTF-8", name.constData(),
                                 nullptr, &written, &error);
    if (!converted) {
        g_clear_error(&error);
        // An unknown charset, or bytes not valid in it: the same fall back.
        return IsUtf8(bytes) ? QString::fromUtf8(bytes) : FromWindows1252(bytes);
    }
    const QString text = QString::fromUtf8(converted, static_cast<qsizetype>(written));
    g_free(converted);
    return text;
}

HostMessageContent ReadContent(const QByteArray& original) {
    // A header far larger than any real one is cut first, as when the
    // folder was read, so that it cannot hold the program up here either.
    const qsizetype headerEnd = HeaderEnd(original);
    bool shortened = false;
    const QByteArray header = CapHeader(original.left(headerEnd), shortened);
    const QByteArray bytes = shortened ? header + original.mid(headerEnd) : original;
    Ref<GMimeMessage> message(ParseMessage(bytes));
    ContentReader reader;
    if (!message.p)
        return reader.content;
    reader.Walk(g_mime_message_get_mime_part(message.p));
    reader.MarkInline();
    return reader.content;
}

}  // namespace host::maildir
