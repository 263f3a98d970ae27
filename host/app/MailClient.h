#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <vector>

#include "host/app/SendmailTransport.h"
#include "host/engine/EngineLog.h"
#include "host/engine/HxEngine.h"
#include "host/engine/HxGlobal.h"
#include "host/mail/MailModel.h"
#include "host/maildir/MaildirMailbox.h"

namespace host::app {

class ComposeWindow;
class MainWindow;
class MessageWindow;

// How the mail client opens its mailbox.
struct MailboxChoice {
    // The data folder (ends in a separator): the mailbox is its Mail folder,
    // seeded with the sample messages on first start.
    QString dataFolder;
    // When set, an existing Maildir tree opened instead.
    QString maildir;
};

// The running mail client: the mailbox on disk, the model over it, the engine
// with the add-in started in it, and the windows. Everything the windows and
// the scripted mode do goes through here.
class MailClient {
public:
    MailClient();
    ~MailClient();

    // Opens the mailbox, returns false with the reason in error.
    bool OpenMailbox(const MailboxChoice& choice, QString& error);
    // Starts the module in the engine and opens the main window (the
    // explorer) on the Inbox; shown unless show is false.
    void Start(std::shared_ptr<engine::IModuleAPI> module, bool show);
    // Shuts the add-in down and closes every window.
    void Stop();

    // A new compose window (an inspector on a new message), shown.
    ComposeWindow* NewMessage();
    // Shows an inspector opened on an item other than by NewMessage (the
    // add-in displaying a message): a message not yet sent in a compose
    // window, ready to send; anything else in a message window, to read.
    QWidget* ShowInspector(const std::shared_ptr<HostInspector>& inspector);
    // A reply from the first To or CC recipient of a sent message arrives in
    // the Inbox: "RE: " + its subject, from that recipient (a directory
    // address as the directory resolves it). False with the reason in error.
    bool MakeReplyArrive(const std::shared_ptr<HostMailItem>& sent, QString& error);
    // Imports an .eml file into a folder (see MaildirMailbox::Import).
    bool Import(const std::shared_ptr<HostFolder>& folder, const QString& path, QString& error);

    // Messages are delivered through this sendmail command (see
    // SendmailTransport); empty: they are only filed in Sent Items.
    void UseSendmail(const QString& command,
                     qint32 timeLimitMs = SendmailTransport::kDefaultTimeLimitMs);
    const QString& SendmailCommand() const { return m_sendmail; }
    // Messages handed to the sendmail command that it has not yet delivered.
    int DeliveriesRunning() const;
    // Sends a message (MailModel::Send). Without a sendmail command the sent
    // copy is only filed, and the first time in a run the user is told so
    // (kNotDeliveredNotice). With one, the message waits in the Outbox
    // until the command is done; a failure is told in the notice bar
    // (NotDeliveredNotice). False, with the reason in error, when the
    // message cannot be sent at all (no recipients, say); true also when the
    // add-in cancelled the send.
    bool Send(const std::shared_ptr<HostMailItem>& mail, QString& error);
    // Said once, after the first message sent without a sendmail command.
    static const QString kNoSendmailNotice;
    // Said when a message was not delivered.
    static QString NotDeliveredNotice(const QString& subject, const QString& failure);
    // Asks every compose window to close (each asks about what it holds);
    // false when one stays open.
    bool CloseComposeWindows();

    // Shows a problem: the status bar and the log view.
    void ShowProblem(const QString& text);
    // Shows a notice in the main window's notice bar (and the log view).
    void ShowNotice(const QString& text);

    EngineLog& Log() { return m_log; }
    const std::shared_ptr<HxGlobal>& Global() const { return m_global; }
    const std::shared_ptr<MailModel>& Model() const { return m_model; }
    const std::shared_ptr<HxEngine>& Engine() const { return m_engine; }
    maildir::MaildirMailbox& Mailbox() { return *m_mailbox; }
    MainWindow* Main() const { return m_main; }
    const std::vector<ComposeWindow*>& ComposeWindows() const { return m_compose; }
    // The message windows still open, oldest first.
    std::vector<MessageWindow*> MessageWindows() const;
    // Called by a compose window as it closes.
    void Forget(ComposeWindow* window);

private:
    void CommandAdded(const CommandRecord& command);

    EngineLog m_log;
    std::shared_ptr<HxGlobal> m_global;
    std::shared_ptr<MailModel> m_model;
    std::unique_ptr<maildir::MaildirMailbox> m_mailbox;
    std::shared_ptr<HxEngine> m_engine;
    MainWindow* m_main = nullptr;
    std::vector<ComposeWindow*> m_compose;
    std::vector<QPointer<MessageWindow>> m_messages;
    // Set while NewMessage opens its own inspector, which needs no window
    // made for it.
    bool m_openingOwnInspector = false;
    // Problems reported before the main window existed (while the add-in
    // started), shown once it does.
    QStringList m_early;
    QString m_sendmail;
    bool m_toldNoSendmail = false;
    bool m_started = false;
};

}  // namespace host::app
