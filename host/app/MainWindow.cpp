#include "host/app/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QDockWidget>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "host/app/ComposeWindow.h"
#include "host/app/MailClient.h"
#include "host/app/MainMenu.h"
#include "host/app/MessageView.h"
#include "host/common/SettingsDialog.h"
#include "platform/Env.h"

namespace host::app {

namespace {

constexpr int kFolderIdRole = Qt::UserRole;
// The narrowest the window gets when the add-in's toolbar is narrower.
constexpr int kMinimumWidth = 360;

bool ShowsRecipients(const std::shared_ptr<HostFolder>& folder, const MailModel& model) {
    return folder == model.DefaultFolder(client::olFolderSentMail) ||
           folder == model.DefaultFolder(kFolderDrafts) ||
           folder == model.DefaultFolder(client::olFolderOutbox);
}

}  // namespace

MainWindow::MainWindow(MailClient& client, std::shared_ptr<HostExplorer> explorer)
    : m_client(client), m_explorer(std::move(explorer)) {
    setObjectName("MainWindow");
    setWindowTitle(QStringLiteral("Chasewell Mail"));

    m_folders = new QTreeWidget;
    m_folders->setObjectName("treeFolders");
    m_folders->setHeaderHidden(true);
    connect(m_folders, &QTreeWidget::itemSelectionChanged, this, &MainWindow::FolderClicked);

    m_model = new MessageListModel(this);
    m_proxy = new MessageSortProxy(*m_model, this);
    m_list = new QTreeView;
    m_list->setObjectName("lstMessages");
    m_list->setModel(m_proxy);
    m_list->setRootIsDecorated(false);
    m_list->setSortingEnabled(true);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->header()->resizeSection(ColumnFromTo, 200);
    m_list->header()->resizeSection(ColumnSubject, 280);
    m_list->sortByColumn(ColumnDate, Qt::DescendingOrder);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::SelectionChanged);
    // Enter or a double click opens the message.
    connect(m_list, &QTreeView::activated, this, [this] { OpenSelected(); });

    m_reading = new MessageView;
    m_reading->setObjectName("paneReading");
    m_reading->onError = [this](const QString& text) { ShowProblem(text); };

    m_noticeBar = new QFrame;
    m_noticeBar->setObjectName("fraNotice");
    m_noticeBar->setFrameShape(QFrame::StyledPanel);
    m_noticeBar->setAutoFillBackground(true);
    QPalette palette = m_noticeBar->palette();
    palette.setColor(QPalette::Window, QColor(255, 244, 206));
    palette.setColor(QPalette::WindowText, Qt::black);
    m_noticeBar->setPalette(palette);
    m_notice = new QLabel;
    m_notice->setObjectName("lblNotice");
    m_notice->setTextFormat(Qt::PlainText);
    m_notice->setWordWrap(true);
    m_notice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* dismiss = new QToolButton;
    dismiss->setObjectName("cmdDismissNotice");
    dismiss->setText(QStringLiteral("Dismiss"));
    dismiss->setToolTip(QStringLiteral("Hide this notice"));
    connect(dismiss, &QToolButton::clicked, m_noticeBar, &QWidget::hide);
    auto* noticeRow = new QHBoxLayout(m_noticeBar);
    noticeRow->addWidget(m_notice, 1);
    noticeRow->addWidget(dismiss, 0, Qt::AlignTop);
    m_noticeBar->hide();

    auto* right = new QSplitter(Qt::Vertical);
    right->addWidget(m_list);
    right->addWidget(m_reading);
    right->setStretchFactor(0, 3);
    right->setStretchFactor(1, 2);
    auto* split = new QSplitter;
    split->addWidget(m_folders);
    split->addWidget(right);
    split->setStretchFactor(1, 1);
    split->setSizes({180, 720});
    auto* central = new QWidget;
    auto* centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->addWidget(m_noticeBar);
    centralLayout->addWidget(split, 1);
    setCentralWidget(central);

    // The add-in's commands come first, on a toolbar of their own.
    m_addinBar = addToolBar(QStringLiteral("Chasewell"));
    m_addinBar->setObjectName("tbrAddin");
    m_addinBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_addinBar->setMovable(false);
    m_addinBar->setFloatable(false);
    m_toolBar = addToolBar(QStringLiteral("Commands"));
    m_toolBar->setObjectName("tbrCommands");
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);

    auto* compose = NewCommand("actNewMessage", QStringLiteral("New Message"), QKeySequence::New);
    connect(compose, &QAction::triggered, this, [this] { m_client.NewMessage(); });
    auto* open = NewCommand("actOpen", QStringLiteral("&Open"), QKeySequence::Open,
                            QStringLiteral("Open the selected messages in their own windows"));
    connect(open, &QAction::triggered, this, &MainWindow::OpenSelected);
    auto* again = NewCommand("actSendAgain", QStringLiteral("Send &Again"), Qt::Key_F9,
                             QStringLiteral("Send the selected messages of the Outbox again"));
    connect(again, &QAction::triggered, this, &MainWindow::SendAgain);
    auto* save = NewCommand("actSaveAttachmentOfMessage", QStringLiteral("Save &Attachment..."),
                            QKeySequence::Save,
                            QStringLiteral("Save the attachment chosen in the reading pane"));
    connect(save, &QAction::triggered, this, [this] {
        if (!m_reading->Shown() || m_reading->Listed().empty()) {
            statusBar()->showMessage(QStringLiteral("The message shown has no attachments."));
            return;
        }
        m_reading->SaveChosen();
    });
    auto* reply = NewCommand(
        "actReplyArrives", QStringLiteral("Reply Arrives"), Qt::CTRL | Qt::SHIFT | Qt::Key_Y,
        QStringLiteral("A reply to the selected sent message arrives from its first recipient"));
    connect(reply, &QAction::triggered, this, &MainWindow::ReplyArrives);
    auto* import = NewCommand("actImport", QStringLiteral("Import .eml..."), Qt::CTRL | Qt::Key_I,
                              QStringLiteral("Import a message file into the current folder"));
    connect(import, &QAction::triggered, this, &MainWindow::ImportFile);
    for (QAction* action : {compose, reply, import}) m_toolBar->addAction(action);
    AddMainMenu(*this);

    m_log = new QPlainTextEdit;
    m_log->setObjectName("txtLog");
    m_log->setReadOnly(true);
    m_log->setMaximumBlockCount(kLogViewLines);
    m_log->setPlaceholderText(QStringLiteral("Problems the add-in reports are listed here."));
    auto* dock = new QDockWidget(QStringLiteral("Log"), this);
    dock->setObjectName("dockLog");
    dock->setWidget(m_log);
    addDockWidget(Qt::BottomDockWidgetArea, dock);
    resizeDocks({dock}, {70}, Qt::Vertical);
    statusBar()->showMessage(QStringLiteral("Ready"));

    setMinimumWidth(kMinimumWidth);
    FillFolders();
    resize(1000, 640);
}

QAction* MainWindow::NewCommand(const QString& name, const QString& text, const QKeySequence& key,
                                const QString& tip) {
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    action->setShortcut(key);
    // The tooltip names the key, as the menu does.
    const QString plain = QString(text).remove('&');
    action->setToolTip((tip.isEmpty() ? plain : tip) +
                       QStringLiteral(" (%1)").arg(key.toString(QKeySequence::NativeText)));
    return action;
}

QAction* MainWindow::Command(const QString& objectName) const {
    for (QAction* action : findChildren<QAction*>(objectName, Qt::FindDirectChildrenOnly))
        return action;
    return nullptr;
}

void MainWindow::FillFolders() {
    m_folders->clear();
    for (const auto& root : m_client.Model()->StoreRoots()) {
        auto* top = new QTreeWidgetItem(m_folders, {root->Name()});
        top->setData(0, kFolderIdRole, root->EntryID());
        for (const auto& folder : root->Folders()) {
            // Folders that hold nothing a user reads here stay out of the tree.
            if (folder->DefaultItemType() == client::olContactItem)
                continue;
            auto* child = new QTreeWidgetItem(top, {folder->Name()});
            child->setData(0, kFolderIdRole, folder->EntryID());
        }
        top->setExpanded(true);
    }
    if (auto folder = m_explorer->Folder()) {
        const auto found =
            m_folders->findItems(folder->Name(), Qt::MatchExactly | Qt::MatchRecursive);
        const QSignalBlocker block(m_folders);
        for (auto* item : found)
            if (item->data(0, kFolderIdRole).toString() == folder->EntryID())
                m_folders->setCurrentItem(item);
    }
    Refresh();
}

void MainWindow::FolderClicked() {
    auto* current = m_folders->currentItem();
    if (!current)
        return;
    auto folder = m_client.Model()->FindFolder(current->data(0, kFolderIdRole).toString());
    if (folder && folder != m_explorer->Folder()) {
        m_explorer->setCurrentFolder(folder);
        Refresh();
    }
}

void MainWindow::ShowFolder(const std::shared_ptr<HostFolder>& folder) {
    const auto items =
        m_folders->findItems(QStringLiteral("*"), Qt::MatchWildcard | Qt::MatchRecursive);
    for (auto* item : items)
        if (item->data(0, kFolderIdRole).toString() == folder->EntryID())
            m_folders->setCurrentItem(item);
}

void MainWindow::ShowDefaultFolder(qint32 folderType) {
    if (auto folder = m_client.Model()->DefaultFolder(folderType))
        ShowFolder(folder);
}

void MainWindow::Refresh() {
    auto folder = m_explorer->Folder();
    m_explorer->setSelection({});
    m_reading->Show(nullptr);
    m_model->SetFolder(folder, folder && ShowsRecipients(folder, *m_client.Model()));
    UpdateTitle();
    SelectionChanged();
}

void MainWindow::UpdateTitle() {
    auto folder = m_explorer->Folder();
    setWindowTitle(
        QStringLiteral("%1 - Chasewell Mail").arg(folder ? folder->Name() : "Chasewell"));
    if (folder)
        statusBar()->showMessage(QStringLiteral("%1 items").arg(m_model->rowCount()));
}

void MainWindow::ItemAdded(const std::shared_ptr<HostFolder>& folder,
                           const platform::ObjectRef& item) {
    if (folder != m_explorer->Folder())
        return;
    m_model->Add(std::dynamic_pointer_cast<HostMailItem>(item));
    UpdateTitle();
}

void MainWindow::ItemRemoved(const std::shared_ptr<HostFolder>& folder,
                             const platform::ObjectRef& item) {
    if (folder != m_explorer->Folder())
        return;
    auto mail = std::dynamic_pointer_cast<HostMailItem>(item);
    if (mail && m_reading->Shown() == mail)
        m_reading->Show(nullptr);
    m_model->Remove(mail);
    UpdateTitle();
}

void MainWindow::ItemChanged(const std::shared_ptr<HostFolder>& folder,
                             const platform::ObjectRef& item) {
    if (folder != m_explorer->Folder())
        return;
    auto mail = std::dynamic_pointer_cast<HostMailItem>(item);
    // Taken out and put back: the row shows the item afresh, in its place.
    m_model->Remove(mail);
    m_model->Add(mail);
}

std::vector<std::shared_ptr<HostMailItem>> MainWindow::SelectedMails() const {
    std::vector<std::shared_ptr<HostMailItem>> mails;
    QModelIndexList rows = m_list->selectionModel()->selectedRows(ColumnSubject);
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& index : rows) {
        const QModelIndex source = m_proxy->mapToSource(index);
        if (source.isValid())
            mails.push_back(m_model->MailAt(source.row()));
    }
    return mails;
}

void MainWindow::SelectSubjects(const QStringList& subjects) {
    QItemSelection selection;
    for (int row = 0; row < m_proxy->rowCount(); ++row) {
        const QModelIndex index = m_proxy->index(row, ColumnSubject);
        if (subjects.contains(index.data().toString()))
            selection.select(m_proxy->index(row, 0), m_proxy->index(row, ColumnDate));
    }
    m_list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void MainWindow::SelectionChanged() {
    const auto mails = SelectedMails();
    std::vector<platform::ObjectRef> items(mails.begin(), mails.end());
    m_explorer->setSelection(items);
    const bool outbox =
        m_explorer->Folder() &&
        m_explorer->Folder() == m_client.Model()->DefaultFolder(client::olFolderOutbox);
    if (QAction* again = Command("actSendAgain"))
        again->setEnabled(outbox && !mails.empty());
    if (QAction* open = Command("actOpen"))
        open->setEnabled(!mails.empty());
    m_reading->Show(mails.size() == 1 ? mails.front() : nullptr, m_client.Model()->UserAddress());
}

void MainWindow::OpenSelected() {
    for (const auto& mail : SelectedMails()) mail->Display();
}

void MainWindow::SendAgain() {
    for (const auto& mail : SelectedMails()) {
        QString error;
        if (!m_client.Send(mail, error))
            ShowProblem(
                QStringLiteral("The message \"%1\" was not sent: %2").arg(mail->Subject(), error));
    }
}

void MainWindow::AddCommand(const CommandRecord& command) {
    auto* action = new QAction(command.shortText, this);
    action->setObjectName(CommandObjectName(command));
    const QKeySequence key = AddinShortcut(command.shortText, m_addinBar->actions().size());
    // The add-in's own words are its tooltip; the menu shows the key.
    action->setShortcut(key);
    action->setToolTip(command.longText);
    m_addinBar->addAction(action);
    if (QWidget* widget = m_addinBar->widgetForAction(action))
        widget->setObjectName(CommandObjectName(command));
    if (m_reminders)
        m_reminders->addAction(action);
    const qint32 id = command.id;
    connect(action, &QAction::triggered, this,
            [this, id] { m_client.Engine()->ClickButton(m_explorer, id); });
    if (command.button) {
        action->setEnabled(command.button->Enabled());
        QPointer<QAction> guard(action);
        command.button->onEnabledChanged = [guard](bool enabled) {
            if (guard)
                guard->setEnabled(enabled);
        };
    }
    // The window never gets narrower than the add-in's buttons: a toolbar
    // would put the ones that do not fit into its overflow menu.
    setMinimumWidth(std::max(
        kMinimumWidth, m_addinBar->sizeHint().width() + m_toolBar->minimumSizeHint().width() + 16));
}

void MainWindow::ReplyArrives() {
    const auto mails = SelectedMails();
    if (mails.empty()) {
        statusBar()->showMessage(QStringLiteral("Select a sent message first."));
        return;
    }
    QString error;
    if (!m_client.MakeReplyArrive(mails.front(), error))
        statusBar()->showMessage(error);
}

void MainWindow::ImportFile() {
    auto folder = m_explorer->Folder();
    if (!folder)
        return;
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Import a message"), QString(),
                                     QStringLiteral("Messages (*.eml);;All files (*)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!m_client.Import(folder, path, error))
        ShowProblem(error);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (onCloseRequested && !onCloseRequested()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    if (onClosed)
        onClosed();
}

SettingsDialog* MainWindow::OpenSettings() {
    // A dialog that was closed is on its way out: a new one shows the stored
    // values as they are now.
    if (!m_settings || !m_settings->isVisible()) {
        m_settings = new SettingsDialog(this);
        connect(m_settings, &QDialog::finished, m_settings, &QObject::deleteLater);
    }
    m_settings->show();
    m_settings->raise();
    m_settings->activateWindow();
    return m_settings;
}

void MainWindow::ShowProblem(const QString& text) {
    m_log->appendPlainText(platform::Now().toString("hh:mm:ss  ") + text);
    statusBar()->showMessage(text);
}

void MainWindow::ShowNotice(const QString& text) {
    m_notice->setText(text);
    m_noticeBar->show();
    ShowProblem(text);
}

}  // namespace host::app
