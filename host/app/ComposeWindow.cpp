#include "host/app/ComposeWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "host/app/AttachmentFiles.h"
#include "host/app/MailClient.h"
#include "host/app/SafeTextBrowser.h"
#include "platform/RuntimeError.h"

namespace host::app {

namespace {

QStringList Addresses(const QLineEdit* field) {
    QStringList addresses;
    for (const QString& part : field->text().split(QRegularExpression("[;,]"), Qt::SkipEmptyParts))
        if (!part.trimmed().isEmpty())
            addresses << part.trimmed();
    return addresses;
}

QLineEdit* Field(const QString& name) {
    auto* field = new QLineEdit;
    field->setObjectName(name);
    return field;
}

QString SendWithReminderText() {
    return QStringLiteral("Send With Reminder");
}

}  // namespace

const QString ComposeWindow::kCloseQuestion =
    QStringLiteral("This message has not been sent. Do you want to keep it in Drafts?");

QString CommandObjectName(const CommandRecord& command) {
    QString name = command.shortText;
    name.remove('&').remove(' ');
    return "cmd" + name;
}

ComposeWindow::ComposeWindow(MailClient& client, std::shared_ptr<HostInspector> inspector)
    : m_client(client),
      m_item(std::dynamic_pointer_cast<HostMailItem>(inspector->CurrentItem())),
      m_inspector(std::move(inspector)) {
    setObjectName("ComposeWindow");
    setWindowTitle(QStringLiteral("Untitled - Message"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_to = Field("txtTo");
    m_cc = Field("txtCC");
    m_bcc = Field("txtBCC");
    m_subject = Field("txtSubject");
    m_body = new QPlainTextEdit;
    m_body->setObjectName("txtBody");
    m_attached = new QLabel;
    m_attached->setObjectName("lblAttachments");
    m_attached->setTextFormat(Qt::PlainText);
    m_attached->setWordWrap(true);
    m_send = new QPushButton(QStringLiteral("&Send"));
    m_send->setObjectName("cmdSend");
    m_send->setToolTip(QStringLiteral("Send (Ctrl+Enter)"));
    connect(m_send, &QPushButton::clicked, this, [this] { Send(); });
    connect(m_subject, &QLineEdit::textChanged, this, [this](const QString& text) {
        setWindowTitle((text.isEmpty() ? QStringLiteral("Untitled") : text) +
                       QStringLiteral(" - Message"));
    });

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&To:"), m_to);
    form->addRow(QStringLiteral("&CC:"), m_cc);
    form->addRow(QStringLiteral("&BCC:"), m_bcc);
    form->addRow(QStringLiteral("S&ubject:"), m_subject);
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    auto* top = new QHBoxLayout;
    top->addWidget(m_send, 0, Qt::AlignTop);
    top->addLayout(form, 1);
    layout->addLayout(top);
    layout->addWidget(m_body, 1);
    layout->addWidget(m_attached);
    setCentralWidget(central);

    m_toolBar = addToolBar(QStringLiteral("Add-in"));
    m_toolBar->setObjectName("tbrCommands");
    QMenu* message = menuBar()->addMenu(QStringLiteral("&Message"));
    message->setObjectName("mnuMessage");
    QAction* send = message->addAction(QStringLiteral("&Send"));
    send->setObjectName("actSend");
    // The mail client's own send shortcut; the add-in's send command presses
    // it on this window.
    send->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    connect(send, &QAction::triggered, this, [this] { Send(); });
    QAction* save = message->addAction(QStringLiteral("Save &Draft"));
    save->setObjectName("actSaveDraft");
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this, [this] { SaveDraft(); });
    QAction* closing = message->addAction(QStringLiteral("&Close"));
    closing->setObjectName("actClose");
    closing->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    connect(closing, &QAction::triggered, this, &QWidget::close);
    m_actions = menuBar()->addMenu(QStringLiteral("&Actions"));
    m_actions->setObjectName("mnuActions");
    statusBar();

    // What the message holds already (nothing, for a new one).
    if (!m_item)
        m_item = client.Model()->NewMailItem();
    QStringList to, cc, bcc;
    auto recipients = m_item->RecipientList();
    for (qint32 i = 1; i <= recipients->Count(); ++i) {
        auto recipient = recipients->Item(i);
        (recipient->Type() == client::olCC    ? cc
         : recipient->Type() == client::olBCC ? bcc
                                              : to)
            << recipient->Address();
    }
    m_to->setText(to.join(QStringLiteral("; ")));
    m_cc->setText(cc.join(QStringLiteral("; ")));
    m_bcc->setText(bcc.join(QStringLiteral("; ")));
    m_subject->setText(m_item->Subject());
    // The window writes plain text: a message that has only HTML (a
    // forwarded one) goes on as the text it shows.
    const QString body = m_item->Body();
    m_body->setPlainText(body.isEmpty() && !m_item->HtmlBody().isEmpty()
                             ? SafeTextBrowser::PlainTextOf(m_item->HtmlBody())
                             : body);
    QStringList attached;
    for (const auto& attachment : m_item->Attachments()) attached << AttachmentCaption(attachment);
    m_attached->setText(attached.isEmpty() ? QString()
                                           : QStringLiteral("Attached: ") + attached.join("; "));
    m_attached->setVisible(!attached.isEmpty());
    m_saved = Current();
    // The add-in added its commands when the inspector opened.
    for (const auto& command : client.Engine()->CommandsOn(m_inspector)) AddCommand(command);
    resize(640, 460);
}

ComposeWindow::~ComposeWindow() {
    // A window destroyed without being closed (the program stopping) still
    // closes its inspector, so the add-in lets go of its commands.
    CloseInspector();
    m_client.Forget(this);
}

void ComposeWindow::CloseInspector() {
    if (m_closed)
        return;
    m_closed = true;
    m_client.Model()->CloseInspector(m_inspector);
}

void ComposeWindow::AddCommand(const CommandRecord& command) {
    auto* action = new QAction(command.shortText, this);
    action->setObjectName(CommandObjectName(command));
    action->setToolTip(command.longText);
    action->setEnabled(command.button ? command.button->Enabled() : true);
    const qint32 id = command.id;
    const bool menu = command.kind == CommandKind::InspectorMenuItem;
    connect(action, &QAction::triggered, this, [this, id, menu] {
        auto engine = m_client.Engine();
        if (menu)
            engine->ClickMenuItem(m_inspector, id);
        else
            engine->ClickButton(m_inspector, id);
    });
    if (command.button) {
        QPointer<QAction> guard(action);
        command.button->onEnabledChanged = [guard](bool enabled) {
            if (guard)
                guard->setEnabled(enabled);
        };
    }
    const bool sendWithReminder = QString(command.shortText).remove('&') == SendWithReminderText();
    if (sendWithReminder)
        action->setToolTip(command.longText + QStringLiteral(" (Ctrl+Shift+Enter)"));
    if (menu) {
        action->setObjectName(CommandObjectName(command) + "Menu");
        // The menu item carries the key; the button beside it does the same.
        if (sendWithReminder)
            action->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Return),
                                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Enter)});
        m_actions->addAction(action);
    } else {
        m_toolBar->addAction(action);
        if (QWidget* widget = m_toolBar->widgetForAction(action))
            widget->setObjectName(CommandObjectName(command));
    }
}

ComposeWindow::Fields ComposeWindow::Current() const {
    return Fields{m_to->text(), m_cc->text(), m_bcc->text(), m_subject->text(),
                  m_body->toPlainText()};
}

bool ComposeWindow::HasChanges() const {
    return !m_sent && Current() != m_saved;
}

void ComposeWindow::ApplyFields() {
    auto recipients = m_item->RecipientList();
    // The fields are read afresh every time.
    *recipients = HostRecipients();
    for (const QString& a : Addresses(m_to)) recipients->AddRecipient(client::olTo, a);
    for (const QString& a : Addresses(m_cc)) recipients->AddRecipient(client::olCC, a);
    for (const QString& a : Addresses(m_bcc)) recipients->AddRecipient(client::olBCC, a);
    m_item->setSubject(m_subject->text());
    m_item->setBody(m_body->toPlainText());
    m_item->setHtmlBody(QString());
}

bool ComposeWindow::Send() {
    if (m_closed || m_sent)
        return false;
    ApplyFields();
    QString error;
    if (!m_client.Send(m_item, error)) {
        statusBar()->showMessage(error);
        return false;
    }
    m_sent = true;
    close();
    return true;
}

bool ComposeWindow::SaveDraft() {
    if (m_closed || m_sent)
        return false;
    ApplyFields();
    try {
        m_client.Model()->Save(m_item);
    } catch (const platform::RuntimeError& error) {
        statusBar()->showMessage(
            QStringLiteral("The draft could not be saved: %1").arg(error.description()));
        return false;
    }
    m_saved = Current();
    statusBar()->showMessage(
        QStringLiteral("Saved in %1.")
            .arg(m_item->Folder() ? m_item->Folder()->Name() : QStringLiteral("Drafts")));
    return true;
}

ComposeWindow::CloseAnswer ComposeWindow::AskOnClose() {
    if (askOnClose)
        return askOnClose();
    QMessageBox box(QMessageBox::Question, QStringLiteral("Chasewell Mail"), kCloseQuestion,
                    QMessageBox::NoButton, this);
    box.setObjectName("msgSaveDraft");
    box.setTextFormat(Qt::PlainText);
    QPushButton* save = box.addButton(QStringLiteral("&Save Draft"), QMessageBox::AcceptRole);
    save->setObjectName("cmdSaveDraft");
    QPushButton* discard = box.addButton(QStringLiteral("&Discard"), QMessageBox::DestructiveRole);
    discard->setObjectName("cmdDiscard");
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    cancel->setObjectName("cmdCancel");
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return CloseAnswer::SaveDraft;
    if (box.clickedButton() == discard)
        return CloseAnswer::Discard;
    return CloseAnswer::Cancel;
}

void ComposeWindow::closeEvent(QCloseEvent* event) {
    if (!m_closed && HasChanges()) {
        switch (AskOnClose()) {
            case CloseAnswer::Cancel:
                event->ignore();
                return;
            case CloseAnswer::SaveDraft:
                if (!SaveDraft()) {
                    event->ignore();
                    return;
                }
                break;
            case CloseAnswer::Discard:
                break;
        }
    }
    CloseInspector();
    event->accept();
}

}  // namespace host::app
