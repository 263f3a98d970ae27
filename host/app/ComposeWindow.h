#pragma once

#include <QMainWindow>
#include <memory>

#include "host/engine/HxEngine.h"
#include "host/mail/MailModel.h"

class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QToolBar;

namespace host::app {

class MailClient;

// The inspector on a message being written: To, CC, BCC, Subject and body, a
// Send button and Ctrl+Enter to send, and the add-in's inspector commands as
// toolbar buttons and items of the "&Actions" menu. Addresses in a field are
// separated by ";" or ",".
//
// The message is the inspector's: a new one (MailClient::NewMessage), or one
// made elsewhere and displayed (a follow-up the add-in prepared), whose
// recipients, subject and body fill the fields.
class ComposeWindow : public QMainWindow {
public:
    ComposeWindow(MailClient& client, std::shared_ptr<HostInspector> inspector);
    ~ComposeWindow() override;

    const std::shared_ptr<HostInspector>& Inspector() const { return m_inspector; }
    void AddCommand(const CommandRecord& command);
    // Sends what the fields hold (MailModel::Send); a message that cannot be
    // sent says why in the status bar and stays open. True when sent.
    bool Send();

    QLineEdit* to() const { return m_to; }
    QLineEdit* cc() const { return m_cc; }
    QLineEdit* bcc() const { return m_bcc; }
    QLineEdit* subject() const { return m_subject; }
    QPlainTextEdit* body() const { return m_body; }
    QMenu* actionsMenu() const { return m_actions; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    MailClient& m_client;
    std::shared_ptr<HostMailItem> m_item;
    std::shared_ptr<HostInspector> m_inspector;
    QLineEdit* m_to;
    QLineEdit* m_cc;
    QLineEdit* m_bcc;
    QLineEdit* m_subject;
    QPlainTextEdit* m_body;
    QPushButton* m_send;
    QToolBar* m_toolBar;
    QMenu* m_actions;
    bool m_closed = false;
};

// An object name for a command's control: "cmd" + its short text without
// spaces or "&" ("Send With Reminder" -> "cmdSendWithReminder").
QString CommandObjectName(const CommandRecord& command);

}  // namespace host::app
