#pragma once

#include <QMainWindow>
#include <memory>

#include "host/mail/MailModel.h"

class QLabel;
class QPlainTextEdit;

namespace host::app {

class MailClient;

// The inspector on a message that was sent or received: who it is from and
// to, when it was sent, its subject and body, for reading only. Closing the
// window closes the inspector.
class MessageWindow : public QMainWindow {
public:
    MessageWindow(MailClient& client, std::shared_ptr<HostInspector> inspector);
    ~MessageWindow() override;

    const std::shared_ptr<HostInspector>& Inspector() const { return m_inspector; }

    QLabel* from() const { return m_from; }
    QLabel* to() const { return m_to; }
    QLabel* cc() const { return m_cc; }
    QLabel* sent() const { return m_sent; }
    QLabel* subject() const { return m_subject; }
    QPlainTextEdit* body() const { return m_body; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CloseInspector();

    MailClient& m_client;
    std::shared_ptr<HostInspector> m_inspector;
    QLabel* m_from;
    QLabel* m_to;
    QLabel* m_cc;
    QLabel* m_sent;
    QLabel* m_subject;
    QPlainTextEdit* m_body;
    bool m_closed = false;
};

}  // namespace host::app
