#include "host/app/MessageWindow.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "host/app/MailClient.h"

namespace host::app {

namespace {

QLabel* Field(const QString& name) {
    auto* label = new QLabel;
    label->setObjectName(name);
    // Addresses and subjects come from mail: never markup.
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QString AddressesOfType(const HostMailItem& mail, qint32 type) {
    QStringList addresses;
    auto recipients = mail.RecipientList();
    for (qint32 i = 1; i <= recipients->Count(); ++i) {
        auto recipient = recipients->Item(i);
        if (recipient->Type() == type)
            addresses << recipient->Address();
    }
    return addresses.join(QStringLiteral("; "));
}

}  // namespace

MessageWindow::MessageWindow(MailClient& client, std::shared_ptr<HostInspector> inspector)
    : m_client(client), m_inspector(std::move(inspector)) {
    setObjectName("MessageWindow");
    setAttribute(Qt::WA_DeleteOnClose);
    m_from = Field("lblFrom");
    m_to = Field("lblTo");
    m_cc = Field("lblCC");
    m_sent = Field("lblSent");
    m_subject = Field("lblSubject");
    m_body = new QPlainTextEdit;
    m_body->setObjectName("txtBody");
    m_body->setReadOnly(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("From:"), m_from);
    form->addRow(QStringLiteral("To:"), m_to);
    form->addRow(QStringLiteral("CC:"), m_cc);
    form->addRow(QStringLiteral("Sent:"), m_sent);
    form->addRow(QStringLiteral("Subject:"), m_subject);
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addLayout(form);
    layout->addWidget(m_body, 1);
    setCentralWidget(central);

    const auto item = m_inspector->CurrentItem();
    const auto mail = std::dynamic_pointer_cast<HostMailItem>(item);
    const auto other = std::dynamic_pointer_cast<client::ItemObject>(item);
    const QString subject = other ? other->Subject() : QString();
    setWindowTitle((subject.isEmpty() ? QStringLiteral("Untitled") : subject) +
                   QStringLiteral(" - Message"));
    m_subject->setText(subject);
    if (mail) {
        m_from->setText(mail->Sender() ? mail->Sender()->Address()
                                       : m_client.Model()->UserAddress());
        m_to->setText(AddressesOfType(*mail, client::olTo));
        m_cc->setText(AddressesOfType(*mail, client::olCC));
        m_sent->setText(mail->SentOn().toString(QStringLiteral("yyyy-MM-dd hh:mm")));
        m_body->setPlainText(mail->Body());
    }
    resize(640, 460);
}

MessageWindow::~MessageWindow() {
    CloseInspector();
}

void MessageWindow::CloseInspector() {
    if (m_closed)
        return;
    m_closed = true;
    m_client.Model()->CloseInspector(m_inspector);
}

void MessageWindow::closeEvent(QCloseEvent* event) {
    CloseInspector();
    event->accept();
}

}  // namespace host::app
