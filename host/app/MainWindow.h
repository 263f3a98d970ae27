#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

#include "host/engine/HxEngine.h"
#include "host/mail/MailModel.h"

class QAction;
class QPlainTextEdit;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTextBrowser;
class QToolBar;
class QTreeView;
class QTreeWidget;

namespace host::app {

class MailClient;
class SettingsDialog;

// The explorer: the folder tree, the message list of the current folder
// (several may be selected; sorted by any column, dates by their value) and
// a reading pane, with the program's own commands and the add-in's explorer
// commands on the toolbar, the menu bar (MainMenu.h), and a log view of the
// problems reported.
class MainWindow : public QMainWindow {
public:
    MainWindow(MailClient& client, std::shared_ptr<HostExplorer> explorer);

    const std::shared_ptr<HostExplorer>& Explorer() const { return m_explorer; }
    // Adds the add-in's command as a toolbar button: the short text is its
    // caption, the long text its tooltip; it follows the button's Enabled.
    void AddCommand(const CommandRecord& command);
    // Shows a folder, as a user clicking it in the tree does.
    void ShowFolder(const std::shared_ptr<HostFolder>& folder);
    // Fills the message list again (an item arrived or left).
    void Refresh();
    // Selects the messages with these subjects (the scripted mode's choice).
    void SelectSubjects(const QStringList& subjects);
    // The selected mail items, in list order.
    std::vector<std::shared_ptr<HostMailItem>> SelectedMails() const;
    // Adds a line to the log view and shows it in the status bar. The log
    // view keeps the last kLogViewLines lines.
    void ShowProblem(const QString& text);
    static constexpr int kLogViewLines = 1000;
    // Opens the add-in's settings dialog (modeless) and returns it; while it
    // is open, brings it forward instead. Each opening shows the stored
    // values afresh; the dialog is deleted when it closes.
    SettingsDialog* OpenSettings();

    QTreeWidget* folderTree() const { return m_folders; }
    QTreeView* messageList() const { return m_list; }
    QStandardItemModel* messageModel() const { return m_model; }
    QTextBrowser* readingPane() const { return m_reading; }
    QToolBar* toolBar() const { return m_toolBar; }
    QPlainTextEdit* logView() const { return m_log; }

    // Called when the user closes the window (the program then ends).
    std::function<void()> onClosed;

    // The list's columns and the role holding each cell's sort key.
    enum Column { ColumnFromTo, ColumnSubject, ColumnDate };
    static constexpr int kSortRole = Qt::UserRole + 1;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FillFolders();
    void FolderClicked();
    void SelectionChanged();
    void ReplyArrives();
    void ImportFile();

    MailClient& m_client;
    std::shared_ptr<HostExplorer> m_explorer;
    std::vector<std::shared_ptr<HostMailItem>> m_shown;  // by source row
    QTreeWidget* m_folders;
    QTreeView* m_list;
    QStandardItemModel* m_model;
    QSortFilterProxyModel* m_proxy;
    QTextBrowser* m_reading;
    QToolBar* m_toolBar;
    QPlainTextEdit* m_log;
    QPointer<SettingsDialog> m_settings;
};

}  // namespace host::app
