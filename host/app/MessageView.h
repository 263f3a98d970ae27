#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "host/mail/HostMailItem.h"

class QFormLayout;
class QLabel;
class QListWidget;
class QPushButton;

namespace host::app {

class SafeTextBrowser;

// One message for reading, as the reading pane and the message window show
// it: the subject; From, To, Cc and Bcc each on a line of its own, as the
// message has them (Cc and Bcc only when it has any: Bcc is known only for
// messages the user sent); the date; what the reader should know about how
// it was read; the text (plain text as it is, or, for a message that has
// only HTML, the HTML formatted by SafeTextBrowser); and its attachments by
// name and size, each of which can be saved (a button, the list's context
// menu, or a double click).
class MessageView : public QWidget {
public:
    explicit MessageView(QWidget* parent = nullptr);

    // Shows a message (reading its content if it was not read yet); no
    // object empties the view.
    void Show(const std::shared_ptr<HostMailItem>& mail, const QString& userAddress = QString());
    const std::shared_ptr<HostMailItem>& Shown() const { return m_mail; }

    // Saves the attachment at that row of the list: asks where
    // (chooseSavePath), then writes it. False when it was not saved (no
    // place chosen, or a failure, which onError is told).
    bool SaveAttachment(int row);
    // Saves the attachment chosen in the list (the first when none is).
    bool SaveChosen();

    // Where to save a file suggested under that (safe) name; empty when the
    // user chose nowhere. A file dialog unless replaced.
    std::function<QString(const QString& suggestedName)> chooseSavePath;
    // A problem saving a file.
    std::function<void(const QString&)> onError;

    QLabel* subject() const { return m_subject; }
    QLabel* from() const { return m_from; }
    QLabel* to() const { return m_to; }
    QLabel* cc() const { return m_cc; }
    QLabel* bcc() const { return m_bcc; }
    QLabel* sent() const { return m_sent; }
    QLabel* notice() const { return m_notice; }
    SafeTextBrowser* body() const { return m_body; }
    QListWidget* attachments() const { return m_attachments; }
    QPushButton* saveAttachmentButton() const { return m_saveAttachment; }
    // Attachments listed, in list order (pictures inside the text are not).
    const std::vector<const HostAttachment*>& Listed() const { return m_listed; }

private:
    std::shared_ptr<HostMailItem> m_mail;
    std::vector<const HostAttachment*> m_listed;
    QFormLayout* m_form;
    QLabel* m_subject;
    QLabel* m_from;
    QLabel* m_to;
    QLabel* m_cc;
    QLabel* m_bcc;
    QLabel* m_sent;
    QLabel* m_notice;
    SafeTextBrowser* m_body;
    QListWidget* m_attachments;
    QPushButton* m_saveAttachment;
    QWidget* m_attachmentBox;
};

}  // namespace host::app
