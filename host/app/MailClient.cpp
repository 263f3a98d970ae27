#include "host/app/MailClient.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLineEdit>
#include <QStatusBar>

#include "host/app/ComposeWindow.h"
#include "host/app/MainWindow.h"
#include "host/app/MessageWindow.h"
#include "host/app/SampleMailbox.h"
#include "host/engine/MailConnection.h"
#include "platform/RuntimeError.h"

namespace host::app {

namespace {

// Folder ids follow the folders' names, so that ids the add-in kept from an
// earlier run (a reminder's StoreId) name the same folders in this one.
QString StableFolderId(const QString& key) {
    return QStringLiteral("00000000") +
           QString::fromLatin1(
               QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Md5).toHex().toUpper());
}

}  // namespace

const QString MailClient::kNoSendmailNotice = QStringLiteral(
    "The message was filed in Sent Items but not delivered: no sendmail command is set. Start "
    "Chasewell once with --sendmail CMD (for example --sendmail \"msmtp -t\") and it delivers "
    "through that command from then on.");

QString MailClient::NotDeliveredNotice(const QString& subject, const QString& failure) {
    return QStringLiteral(
               "The message \"%1\" was not delivered and waits in the Outbox. %2 To send it "
               "again, open it from the Outbox and press Send, or select it there and choose "
               "Message > Send Again (F9).")
        .arg(subject, failure);
}

MailClient::MailClient() : m_model(MailModel::Create(StableFolderId)) {
    m_mailbox = std::make_unique<maildir::MaildirMailbox>(m_model);
    m_mailbox->onError = [this](const QString& text) { ShowProblem(text); };
    m_model->onDeliveryFailed = [this](const std::shared_ptr<HostMailItem>& mail,
                                       const QString& failure) {
        ShowNotice(NotDeliveredNotice(mail->Subject(), failure));
    };
    m_model->onDelivered = [this](const std::shared_ptr<HostMailItem>& copy) {
        if (m_main)
            m_main->statusBar()->showMessage(
                QStringLiteral("The message \"%1\" was delivered.").arg(copy->Subject()));
    };
}

void MailClient::UseSendmail(const QString& command, qint32 timeLimitMs) {
    m_sendmail = command.trimmed();
    if (m_sendmail.isEmpty()) {
        m_model->setTransport(nullptr);
        return;
    }
    std::weak_ptr<MailModel> model = m_model;
    m_model->setTransport(std::make_shared<SendmailTransport>(
        m_sendmail,
        [model](const QString& address) {
            auto held = model.lock();
            return held ? held->Directory().Resolve(address) : QString();
        },
        timeLimitMs));
}

int MailClient::DeliveriesRunning() const {
    return m_model->Transport() ? m_model->Transport()->Running() : 0;
}

bool MailClient::Send(const std::shared_ptr<HostMailItem>& mail, QString& error) {
    std::shared_ptr<HostMailItem> copy;
    try {
        copy = m_model->Send(mail);
    } catch (const platform::RuntimeError& failure) {
        error = failure.description();
        return false;
    }
    if (copy && !m_model->Transport() && !std::exchange(m_toldNoSendmail, true))
        ShowNotice(kNoSendmailNotice);
    return true;
}

bool MailClient::CloseComposeWindows() {
    for (auto* compose : std::vector<ComposeWindow*>(m_compose))
        if (compose->isVisible() && !compose->close())
            return false;
    return true;
}

MailClient::~MailClient() {
    Stop();
}

bool MailClient::OpenMailbox(const MailboxChoice& choice, QString& error) {
    m_global = std::make_shared<HxGlobal>(m_log, choice.dataFolder);
    SeedSampleDirectory(*m_model);
    if (!choice.maildir.isEmpty())
        return m_mailbox->OpenTree(choice.maildir, error);
    const QString root = choice.dataFolder + maildir::kMailFolderName;
    // A new mailbox gets the sample messages, which then go to disk with it.
    if (maildir::MaildirMailbox::IsNew(root))
        SeedSampleMailbox(*m_model);
    return m_mailbox->OpenOwn(root, error);
}

void MailClient::Start(std::shared_ptr<engine::IModuleAPI> module, bool show) {
    m_engine = std::make_shared<HxEngine>(m_model->Application());
    ConnectEngine(*m_model, m_engine);
    // The windows follow the mailbox after the add-in has seen each change.
    auto toModules = m_model->onItemAdded;
    m_model->onItemAdded = [this, toModules](const auto& folder, const auto& item) {
        if (toModules)
            toModules(folder, item);
        if (m_main)
            m_main->ItemAdded(folder, item);
    };
    auto toMailbox = m_model->onRemoved;
    m_model->onRemoved = [this, toMailbox](const auto& folder, const auto& item) {
        if (toMailbox)
            toMailbox(folder, item);
        if (m_main)
            m_main->ItemRemoved(folder, item);
    };
    auto savedToMailbox = m_model->onSaved;
    m_model->onSaved = [this, savedToMailbox](const auto& folder, const auto& item) {
        if (savedToMailbox)
            savedToMailbox(folder, item);
        if (m_main)
            m_main->ItemChanged(folder, item);
    };
    // An inspector the add-in opens (a follow-up message, a sent message it
    // shows) gets a window once the add-in has seen it open.
    auto toEngine = m_model->onInspectorOpen;
    m_model->onInspectorOpen = [this, toEngine](const std::shared_ptr<HostInspector>& inspector) {
        if (toEngine)
            toEngine(inspector);
        if (!m_openingOwnInspector)
            ShowInspector(inspector);
    };
    m_engine->onCommandAdded = [this](const CommandRecord& command) { CommandAdded(command); };
    m_engine->onFailedCall = [this](const FailedCall& failed) {
        ShowProblem(QStringLiteral("%1 failed: %2").arg(failed.member, failed.description));
    };
    m_log.onError = [this](const ErrorReportRecord& report) {
        ShowProblem(QStringLiteral("%1: %2").arg(report.source, report.message));
    };
    m_log.SetFileProblemHandler([this](const QString& text) { ShowProblem(text); });
    m_started = true;
    m_engine->StartModule(std::move(module));
    auto explorer = m_model->OpenExplorer(m_model->DefaultFolder(client::olFolderInbox));
    m_main = new MainWindow(*this, explorer);
    m_main->setAttribute(Qt::WA_DeleteOnClose, false);
    m_main->onCloseRequested = [this] { return CloseComposeWindows(); };
    for (const auto& command : m_engine->CommandsOn(explorer)) m_main->AddCommand(command);
    for (const QString& text : std::exchange(m_early, {})) m_main->ShowProblem(text);
    if (show)
        m_main->show();
}

void MailClient::CommandAdded(const CommandRecord& command) {
    // Commands added while a window opens are drawn by the window itself.
    if (m_main && command.window == m_main->Explorer()) {
        m_main->AddCommand(command);
        return;
    }
    for (auto* compose : m_compose)
        if (command.window == compose->Inspector())
            compose->AddCommand(command);
}

void MailClient::Stop() {
    if (!m_started)
        return;
    m_started = false;
    // Stopped without a chance to ask (a signal, a script's restart): what
    // was typed is kept in Drafts rather than lost.
    for (auto* compose : std::vector<ComposeWindow*>(m_compose)) {
        if (compose->HasChanges())
            compose->SaveDraft();
        delete compose;
    }
    m_compose.clear();
    for (const auto& message : std::exchange(m_messages, {})) delete message;
    m_engine->Shutdown();
    if (m_main) {
        m_model->CloseExplorer(m_main->Explorer());
        delete m_main;
        m_main = nullptr;
    }
    DisconnectEngine(*m_model);
    m_log.onError = nullptr;
    m_log.SetFileProblemHandler(nullptr);
}

ComposeWindow* MailClient::NewMessage() {
    // Opening the inspector lets the add-in add its commands to it.
    m_openingOwnInspector = true;
    auto inspector = m_model->OpenInspector(m_model->NewMailItem());
    m_openingOwnInspector = false;
    auto* window = new ComposeWindow(*this, inspector);
    m_compose.push_back(window);
    window->show();
    window->activateWindow();
    window->to()->setFocus();
    return window;
}

QWidget* MailClient::ShowInspector(const std::shared_ptr<HostInspector>& inspector) {
    auto mail = std::dynamic_pointer_cast<HostMailItem>(inspector->CurrentItem());
    QWidget* window = nullptr;
    if (mail && !mail->SentOn().isValid()) {
        auto* compose = new ComposeWindow(*this, inspector);
        m_compose.push_back(compose);
        window = compose;
    } else {
        std::erase_if(m_messages, [](const QPointer<MessageWindow>& open) { return !open; });
        auto* message = new MessageWindow(*this, inspector);
        m_messages.emplace_back(message);
        window = message;
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

std::vector<MessageWindow*> MailClient::MessageWindows() const {
    std::vector<MessageWindow*> open;
    for (const auto& message : m_messages)
        if (message)
            open.push_back(message);
    return open;
}

void MailClient::Forget(ComposeWindow* window) {
    m_compose.erase(std::remove(m_compose.begin(), m_compose.end(), window), m_compose.end());
}

bool MailClient::MakeReplyArrive(const std::shared_ptr<HostMailItem>& sent, QString& error) {
    QString from;
    auto recipients = sent->RecipientList();
    for (qint32 i = 1; i <= recipients->Count() && from.isEmpty(); ++i) {
        auto recipient = recipients->Item(i);
        if (recipient->Type() == client::olBCC)
            continue;
        from =
            recipient->AddressEntry() && recipient->AddressEntry()->Type() == kExchangeAddressType
                ? m_model->Directory().Resolve(recipient->Address())
                : recipient->Address();
    }
    if (from.isEmpty()) {
        error = QStringLiteral("The message \"%1\" has no recipient who could reply.")
                    .arg(sent->Subject());
        return false;
    }
    auto reply = m_model->NewMailItem();
    reply->setSender(HostAddressEntry::ForAddress(from));
    reply->setSubject(QStringLiteral("RE: ") + sent->Subject());
    reply->setBody(QStringLiteral("Thanks for your message; here is my answer.\n\n> ") +
                   sent->Body().replace('\n', QStringLiteral("\n> ")));
    reply->RecipientList()->AddRecipient(client::olTo, m_model->UserAddress());
    m_model->Deliver(m_model->DefaultFolder(client::olFolderInbox), reply);
    return true;
}

bool MailClient::Import(const std::shared_ptr<HostFolder>& folder, const QString& path,
                        QString& error) {
    return m_mailbox->Import(folder, path, error) != nullptr;
}

void MailClient::ShowProblem(const QString& text) {
    if (m_main)
        m_main->ShowProblem(text);
    else
        m_early << text;
}

void MailClient::ShowNotice(const QString& text) {
    if (m_main)
        m_main->ShowNotice(text);
    else
        m_early << text;
}

}  // namespace host::app
