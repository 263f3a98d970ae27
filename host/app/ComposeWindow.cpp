#include "host/app/ComposeWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QFormLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "host/app/MailClient.h"
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

}  // namespace

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
    form->addRow(QStringLiteral("Su&bject:"), m_subject);
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    auto* top = new QHBoxLayout;
    top->addWidget(m_send, 0, Qt::AlignTop);
    top->addLayout(form, 1);
    layout->addLayout(top);
    layout->addWidget(m_body, 1);
    setCentralWidget(central);

    m_toolBar = addToolBar(QStringLiteral("Add-in"));
    m_toolBar->setObjectName("tbrCommands");
    m_actions = menuBar()->addMenu(QStringLiteral("&Actions"));
    m_actions->setObjectName("mnuActions");
    statusBar();

    // The mail client's own send shortcut; the add-in's send command presses
    // it on this window.
    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | key), this);
        connect(shortcut, &QShortcut::activated, this, [this] { Send(); });
    }

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
    m_body->setPlainText(m_item->Body());
    // The add-in added its commands when the inspector opened.
    for (const auto& command : client.Engine()->CommandsOn(m_inspector)) AddCommand(command);
    resize(640, 460);
}

ComposeWindow::~ComposeWindow() {
    // A window destroyed without being closed (the program stopping) still
    // closes its inspector, so the add-in lets go of its commands.
    if (!m_closed) {
        m_closed = true;
        m_client.Model()->CloseInspector(m_inspector);
    }
    m_client.Forget(this);
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
    if (menu) {
        action->setObjectName(CommandObjectName(command) + "Menu");
        m_actions->addAction(action);
    } else {
        m_toolBar->addAction(action);
        if (QWidget* widget = m_toolBar->widgetForAction(action))
            widget->setObjectName(CommandObjectName(command));
    }
}

bool ComposeWindow::Send() {
    if (m_closed)
        return false;
    auto recipients = m_item->RecipientList();
    // The fields are read afresh on every attempt.
    *recipients = HostRecipients();
    for (const QString& a : Addresses(m_to)) recipients->AddRecipient(client::olTo, a);
    for (const QString& a : Addresses(m_cc)) recipients->AddRecipient(client::olCC, a);
    for (const QString& a : Addresses(m_bcc)) recipients->AddRecipient(client::olBCC, a);
    m_item->setSubject(m_subject->text());
    m_item->setBody(m_body->toPlainText());
    try {
        if (!m_client.Model()->Send(m_item)) {
            statusBar()->showMessage(QStringLiteral("The message was not sent."));
            return false;
        }
    } catch (const platform::RuntimeError& error) {
        statusBar()->showMessage(error.description());
        return false;
    }
    close();
    return true;
}

void ComposeWindow::closeEvent(QCloseEvent* event) {
    if (!m_closed) {
        m_closed = true;
        m_client.Model()->CloseInspector(m_inspector);
    }
    event->accept();
}

}  // namespace host::app
