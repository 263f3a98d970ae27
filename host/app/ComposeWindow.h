#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>

#include "host/engine/HxEngine.h"
#include "host/mail/MailModel.h"

class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QToolBar;

namespace host::app {

class MailClient;

// The inspector on a message being written: To, CC, BCC, Subject and body, a
// Send button, and the add-in's inspector commands as toolbar buttons and
// items of the "&Actions" menu. Every command has a key: Send Ctrl+Enter,
// "Send With Reminder" Ctrl+Shift+Enter, Save Draft Ctrl+S, Close Ctrl+W.
// Addresses in a field are separated by ";" or ",".
//
// The message is the inspector's: a new one (MailClient::NewMessage), or one
// made elsewhere and displayed (a follow-up the add-in prepared, a draft or
// a message waiting in the Outbox opened to go on with it), whose
// recipients, subject and body fill the fields.
//
// Closing the window when the fields hold what was not saved or sent asks
// whether to keep it in Drafts, to discard it, or to go on writing.
class ComposeWindow : public QMainWindow {
public:
    ComposeWindow(MailClient& client, std::shared_ptr<HostInspector> inspector);
    ~ComposeWindow() override;

    const std::shared_ptr<HostInspector>& Inspector() const { return m_inspector; }
    const std::shared_ptr<HostMailItem>& Message() const { return m_item; }
    void AddCommand(const CommandRecord& command);
    // Sends what the fields hold (MailClient::Send); a message that cannot be
    // sent says why in the status bar and stays open. True when sent.
    bool Send();
    // Keeps what the fields hold in Drafts (the same draft when it is one
    // already). False, saying why in the status bar, when it cannot.
    bool SaveDraft();
    // True when the fields differ from what was last saved, sent or opened.
    bool HasChanges() const;

    enum class CloseAnswer { SaveDraft, Discard, Cancel };
    // Asked when the window closes with changes; a message box with
    // "&Save Draft", "&Discard" and "Cancel" (Escape) unless replaced.
    std::function<CloseAnswer()> askOnClose;
    // The question's words.
    static const QString kCloseQuestion;

    QLineEdit* to() const { return m_to; }
    QLineEdit* cc() const { return m_cc; }
    QLineEdit* bcc() const { return m_bcc; }
    QLineEdit* subject() const { return m_subject; }
    QPlainTextEdit* body() const { return m_body; }
    QMenu* actionsMenu() const { return m_actions; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Fields {
        QString to, cc, bcc, subject, body;
        bool operator==(const Fields&) const = default;
    };
    Fields Current() const;
    // Puts what the fields hold into the message.
    void ApplyFields();
    CloseAnswer AskOnClose();
    void CloseInspector();

    MailClient& m_client;
    std::shared_ptr<HostMailItem> m_item;
    std::shared_ptr<HostInspector> m_inspector;
    QLineEdit* m_to;
    QLineEdit* m_cc;
    QLineEdit* m_bcc;
    QLineEdit* m_subject;
    QPlainTextEdit* m_body;
    QLabel* m_attached;
    QPushButton* m_send;
    QToolBar* m_toolBar;
    QMenu* m_actions;
    // What the fields held when the window opened or the message was last
    // saved.
    Fields m_saved;
    bool m_closed = false;
    bool m_sent = false;
};

// An object name for a command's control: "cmd" + its short text without
// spaces or "&" ("Send With Reminder" -> "cmdSendWithReminder").
QString CommandObjectName(const CommandRecord& command);

}  // namespace host::app
