#pragma once

#include <QMainWindow>
#include <memory>

#include "host/mail/MailModel.h"

class QLabel;

namespace host::app {

class MailClient;
class MessageView;
class SafeTextBrowser;

// The inspector on a message that was sent or received, for reading: the
// message as the reading pane shows it (MessageView). Closing the window
// (Ctrl+W) closes the inspector.
class MessageWindow : public QMainWindow {
public:
    MessageWindow(MailClient& client, std::shared_ptr<HostInspector> inspector);
    ~MessageWindow() override;

    const std::shared_ptr<HostInspector>& Inspector() const { return m_inspector; }

    MessageView* view() const { return m_view; }
    QLabel* from() const;
    QLabel* to() const;
    QLabel* cc() const;
    QLabel* bcc() const;
    QLabel* sent() const;
    QLabel* subject() const;
    SafeTextBrowser* body() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CloseInspector();

    MailClient& m_client;
    std::shared_ptr<HostInspector> m_inspector;
    MessageView* m_view;
    bool m_closed = false;
};

}  // namespace host::app
