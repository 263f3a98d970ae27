#include "host/app/MessageWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>

#include "host/app/MailClient.h"
#include "host/app/MessageView.h"
#include "host/app/SafeTextBrowser.h"

namespace host::app {

MessageWindow::MessageWindow(MailClient& client, std::shared_ptr<HostInspector> inspector)
    : m_client(client), m_inspector(std::move(inspector)) {
    setObjectName("MessageWindow");
    setAttribute(Qt::WA_DeleteOnClose);
    m_view = new MessageView;
    m_view->onError = [this](const QString& text) {
        statusBar()->showMessage(text);
        m_client.ShowProblem(text);
    };
    setCentralWidget(m_view);

    QMenu* message = menuBar()->addMenu(QStringLiteral("&Message"));
    message->setObjectName("mnuMessage");
    QAction* save = message->addAction(QStringLiteral("Save &Attachment..."));
    save->setObjectName("actSaveAttachmentOfMessage");
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this, [this] { m_view->SaveChosen(); });
    QAction* closing = message->addAction(QStringLiteral("&Close"));
    closing->setObjectName("actClose");
    closing->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    connect(closing, &QAction::triggered, this, &QWidget::close);
    statusBar();

    const auto item = m_inspector->CurrentItem();
    const auto mail = std::dynamic_pointer_cast<HostMailItem>(item);
    const auto other = std::dynamic_pointer_cast<client::ItemObject>(item);
    const QString subject = other ? other->Subject() : QString();
    setWindowTitle((subject.isEmpty() ? QStringLiteral("Untitled") : subject) +
                   QStringLiteral(" - Message"));
    m_view->Show(mail, m_client.Model()->UserAddress());
    if (!mail)
        m_view->subject()->setText(subject);
    resize(640, 460);
}

MessageWindow::~MessageWindow() {
    CloseInspector();
}

QLabel* MessageWindow::from() const {
    return m_view->from();
}
QLabel* MessageWindow::to() const {
    return m_view->to();
}
QLabel* MessageWindow::cc() const {
    return m_view->cc();
}
QLabel* MessageWindow::bcc() const {
    return m_view->bcc();
}
QLabel* MessageWindow::sent() const {
    return m_view->sent();
}
QLabel* MessageWindow::subject() const {
    return m_view->subject();
}
SafeTextBrowser* MessageWindow::body() const {
    return m_view->body();
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
