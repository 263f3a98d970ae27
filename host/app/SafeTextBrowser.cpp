#include "host/app/SafeTextBrowser.h"

#include <QDesktopServices>
#include <QTextDocument>
#include <optional>

namespace host::app {

namespace {

// A document that loads nothing the HTML names.
class RefusingDocument : public QTextDocument {
protected:
    QVariant loadResource(int, const QUrl&) override { return QVariant(); }
};

}  // namespace

QString SafeTextBrowser::PlainTextOf(const QString& html) {
    RefusingDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

SafeTextBrowser::SafeTextBrowser(QWidget* parent) : QTextBrowser(parent) {
    // A link is never followed inside the pane: that would load its target
    // as the next document.
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, [](const QUrl& url) {
        const QString scheme = url.scheme().toLower();
        if (scheme == "http" || scheme == "https" || scheme == "mailto")
            QDesktopServices::openUrl(url);
    });
}

std::optional<QByteArray> SafeTextBrowser::DataUrlBytes(const QUrl& url) {
    if (url.scheme().compare(QLatin1String("data"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const QByteArray text = url.toEncoded(QUrl::RemoveScheme);
    const qsizetype comma = text.indexOf(',');
    if (comma < 0)
        return std::nullopt;
    const QByteArray head = text.left(comma);
    const QByteArray payload = QByteArray::fromPercentEncoding(text.mid(comma + 1));
    if (head.endsWith(";base64"))
        return QByteArray::fromBase64(payload);
    return payload;
}

QVariant SafeTextBrowser::loadResource(int type, const QUrl& name) {
    Q_UNUSED(type);
    m_requested << name;
    if (name.scheme().compare(QLatin1String("cid"), Qt::CaseInsensitive) == 0 && inlinePart) {
        const QByteArray bytes = inlinePart(name.path());
        if (!bytes.isEmpty())
            return bytes;
        return QVariant();
    }
    if (auto bytes = DataUrlBytes(name))
        return *bytes;
    // Everything else is refused: http, https, ftp, file, and plain paths.
    return QVariant();
}

}  // namespace host::app
