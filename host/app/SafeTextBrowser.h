#pragma once

#include <QByteArray>
#include <QList>
#include <QTextBrowser>
#include <QUrl>
#include <functional>
#include <optional>

namespace host::app {

// Shows a message's HTML as formatted text without trusting it: nothing it
// names is fetched or read, neither from the network nor from the disk
// (a remote picture tells its sender that, when and where the message was
// read; a local path reads the reader's files). Only what the message holds
// itself is shown: pictures it carries ("cid:" names, through inlinePart)
// and "data:" pictures. Scripts never run (the text engine has none), and a
// link opens in the user's browser only when it is clicked.
class SafeTextBrowser : public QTextBrowser {
public:
    explicit SafeTextBrowser(QWidget* parent = nullptr);

    // The bytes of the part with that Content-ID; empty when none.
    std::function<QByteArray(const QString& contentId)> inlinePart;
    // Every resource the text asked for, refused or not, in order.
    const QList<QUrl>& Requested() const { return m_requested; }
    void ClearRequested() { m_requested.clear(); }

    QVariant loadResource(int type, const QUrl& name) override;

    // The text of HTML without its markup, read as safely: nothing it names
    // is loaded.
    static QString PlainTextOf(const QString& html);

    // The bytes of a "data:" URL, or nothing when it is not one.
    static std::optional<QByteArray> DataUrlBytes(const QUrl& url);

private:
    QList<QUrl> m_requested;
};

}  // namespace host::app
