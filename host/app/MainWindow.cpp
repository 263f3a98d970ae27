#include "host/app/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QDockWidget>
#include <QFileDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>

#include "host/app/ComposeWindow.h"
#include "host/app/MailClient.h"
#include "host/app/MainMenu.h"
#include "host/app/SettingsDialog.h"
#include "platform/Env.h"

namespace host::app {

namespace {

constexpr int kFolderIdRole = Qt::UserRole;
constexpr int kRowRole = Qt::UserRole + 2;

bool ShowsRecipients(const std::shared_ptr<HostFolder>& folder, const MailModel& model) {
    return folder == model.DefaultFolder(client::olFolderSentMail) ||
           folder == model.DefaultFolder(kFolderDrafts) ||
           folder == model.DefaultFolder(client::olFolderOutbox);
}

QString RecipientsText(const HostMailItem& mail) {
    QStringList names;
    auto list = mail.RecipientList();
    for (qint32 i = 1; i <= list->Count(); ++i)
        if (list->Item(i)->Type() != client::olBCC)
            names << list->Item(i)->Address();
    return names.join("; ");
}

QStandardItem* Cell(const QString& text, const QVariant& sortKey, int row) {
    auto* cell = new QStandardItem(text);
    cell->setEditable(false);
    cell->setData(sortKey, MainWindow::kSortRole);
    cell->setData(row, kRowRole);
    return cell;
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

    m_model = new QStandardItemModel(this);
    m_model->setHorizontalHeaderLabels({"From", "Subject", "Received"});
    m_proxy = new QSortFilterProxyModel(this);
    m_proxy->setSourceModel(m_model);
    m_proxy->setSortRole(kSortRole);
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

    m_reading = new QTextBrowser;
    m_reading->setObjectName("txtReading");

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
    setCentralWidget(split);

    m_toolBar = addToolBar(QStringLiteral("Commands"));
    m_toolBar->setObjectName("tbrCommands");
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto* compose = m_toolBar->addAction(QStringLiteral("New Message"));
    compose->setObjectName("actNewMessage");
    compose->setShortcut(QKeySequence::New);
    connect(compose, &QAction::triggered, this, [this] { m_client.NewMessage(); });
    auto* reply = m_toolBar->addAction(QStringLiteral("Reply Arrives"));
    reply->setObjectName("actReplyArrives");
    reply->setToolTip(
        QStringLiteral("A reply to the selected sent message arrives from its first recipient"));
    connect(reply, &QAction::triggered, this, &MainWindow::ReplyArrives);
    auto* import = m_toolBar->addAction(QStringLiteral("Import .eml..."));
    import->setObjectName("actImport");
    import->setToolTip(QStringLiteral("Import a message file into the current folder"));
    connect(import, &QAction::triggered, this, &MainWindow::ImportFile);
    m_toolBar->addSeparator();
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

    FillFolders();
    resize(1000, 640);
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

void MainWindow::Refresh() {
    auto folder = m_explorer->Folder();
    const auto& model = *m_client.Model();
    const bool recipients = folder && ShowsRecipients(folder, model);
    m_model->setHorizontalHeaderItem(ColumnFromTo, new QStandardItem(recipients ? "To" : "From"));
    m_model->setHorizontalHeaderItem(ColumnDate,
                                     new QStandardItem(recipients ? "Sent" : "Received"));
    m_model->removeRows(0, m_model->rowCount());
    m_shown.clear();
    m_explorer->setSelection({});
    m_reading->clear();
    setWindowTitle(
        QStringLiteral("%1 - Chasewell Mail").arg(folder ? folder->Name() : "Chasewell"));
    if (!folder)
        return;
    m_list->setSortingEnabled(false);
    const auto& contents = folder->Contents();
    for (const auto& item : contents) {
        auto mail = std::dynamic_pointer_cast<HostMailItem>(item);
        if (!mail)
            continue;
        const int row = static_cast<int>(m_shown.size());
        m_shown.push_back(mail);
        const QString who = recipients ? RecipientsText(*mail)
                                       : (mail->Sender() ? mail->Sender()->Address() : QString());
        const QDateTime when = mail->SentOn();
        m_model->appendRow({Cell(who, who.toLower(), row),
                            Cell(mail->Subject(), mail->Subject().toLower(), row),
                            Cell(when.toString("yyyy-MM-dd hh:mm"), when, row)});
    }
    m_list->setSortingEnabled(true);
    statusBar()->showMessage(QStringLiteral("%1 items").arg(m_shown.size()));
}

std::vector<std::shared_ptr<HostMailItem>> MainWindow::SelectedMails() const {
    std::vector<std::shared_ptr<HostMailItem>> mails;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows(ColumnSubject)) {
        const int row = index.data(kRowRole).toInt();
        if (row >= 0 && row < static_cast<int>(m_shown.size()))
            mails.push_back(m_shown[static_cast<size_t>(row)]);
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
    if (mails.size() != 1) {
        m_reading->clear();
        return;
    }
    const auto& mail = *mails.front();
    QString header =
        QStringLiteral("<b>%1</b><br>From: %2<br>To: %3<br>Date: %4<hr>")
            .arg(mail.Subject().toHtmlEscaped(),
                 (mail.Sender() ? mail.Sender()->Address() : QString()).toHtmlEscaped(),
                 RecipientsText(mail).toHtmlEscaped(), mail.SentOn().toString("yyyy-MM-dd hh:mm"));
    if (!mail.ReadingNotice().isEmpty())
        header += QStringLiteral("<p><i>%1</i></p>").arg(mail.ReadingNotice().toHtmlEscaped());
    m_reading->setHtml(header + "<pre style='white-space: pre-wrap'>" +
                       mail.Body().toHtmlEscaped() + "</pre>");
}

void MainWindow::AddCommand(const CommandRecord& command) {
    auto* action = m_toolBar->addAction(command.shortText);
    action->setObjectName(CommandObjectName(command));
    action->setToolTip(command.longText);
    if (QWidget* widget = m_toolBar->widgetForAction(action))
        widget->setObjectName(CommandObjectName(command));
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

}  // namespace host::app
