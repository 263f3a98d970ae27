#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

#include "host/app/MessageListModel.h"
#include "host/engine/HxEngine.h"
#include "host/mail/MailModel.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QToolBar;
class QTreeView;
class QTreeWidget;

namespace host {
class SettingsDialog;
}

namespace host::app {

class MailClient;
class MessageView;

// The explorer: the folder tree, the message list of the current folder
// (a table model over the folder's messages with a sort proxy; several may
// be selected; sorted by any column, dates by their value) and a reading
// pane, with the program's commands and the add-in's explorer commands in
// the menu bar (MainMenu.h), each with a shortcut, and on toolbars: the
// add-in's first, on a toolbar of its own that the window never gets
// narrower than, so they never go into an overflow menu. A notice bar says
// what went wrong with delivery until it is dismissed; a log view lists the
// problems reported.
class MainWindow : public QMainWindow {
public:
    MainWindow(MailClient& client, std::shared_ptr<HostExplorer> explorer);

    const std::shared_ptr<HostExplorer>& Explorer() const { return m_explorer; }
    // Adds the add-in's command as a toolbar button and an item of the
    // Reminders menu (one action): the short text is its caption, the long
    // text its tooltip; it follows the button's Enabled.
    void AddCommand(const CommandRecord& command);
    // Shows a folder, as a user clicking it in the tree does.
    void ShowFolder(const std::shared_ptr<HostFolder>& folder);
    // Shows the default folder of that type (olFolderInbox, ...).
    void ShowDefaultFolder(qint32 folderType);
    // Fills the message list again.
    void Refresh();
    // An item arrived in a folder, left one, or was saved again there: the
    // list follows when it shows that folder.
    void ItemAdded(const std::shared_ptr<HostFolder>& folder, const platform::ObjectRef& item);
    void ItemRemoved(const std::shared_ptr<HostFolder>& folder, const platform::ObjectRef& item);
    void ItemChanged(const std::shared_ptr<HostFolder>& folder, const platform::ObjectRef& item);
    // Selects the messages with these subjects (the scripted mode's choice).
    void SelectSubjects(const QStringList& subjects);
    // The selected mail items, in list order.
    std::vector<std::shared_ptr<HostMailItem>> SelectedMails() const;
    // Opens the selected messages, each in its window: one not sent yet (a
    // draft, a message waiting in the Outbox) to go on writing, any other to
    // read.
    void OpenSelected();
    // Sends the selected messages of the Outbox again.
    void SendAgain();
    // Adds a line to the log view and shows it in the status bar. The log
    // view keeps the last kLogViewLines lines.
    void ShowProblem(const QString& text);
    static constexpr int kLogViewLines = 1000;
    // Shows text in the notice bar (and the log view) until it is dismissed
    // or replaced.
    void ShowNotice(const QString& text);
    // Opens the add-in's settings dialog (modeless) and returns it; while it
    // is open, brings it forward instead. Each opening shows the stored
    // values afresh; the dialog is deleted when it closes.
    SettingsDialog* OpenSettings();

    QTreeWidget* folderTree() const { return m_folders; }
    QTreeView* messageList() const { return m_list; }
    MessageListModel* messageModel() const { return m_model; }
    MessageView* readingPane() const { return m_reading; }
    QToolBar* toolBar() const { return m_toolBar; }
    QToolBar* addinToolBar() const { return m_addinBar; }
    QMenu* remindersMenu() const { return m_reminders; }
    void setRemindersMenu(QMenu* menu) { m_reminders = menu; }
    QFrame* noticeBar() const { return m_noticeBar; }
    QLabel* notice() const { return m_notice; }
    QPlainTextEdit* logView() const { return m_log; }
    // The program's own commands, by object name ("actNewMessage").
    QAction* Command(const QString& objectName) const;

    // Called when the user closes the window (the program then ends).
    std::function<void()> onClosed;
    // Asked before the window closes; false keeps it open (a compose
    // window whose user chose Cancel).
    std::function<bool()> onCloseRequested;

    // The list's columns.
    enum Column {
        ColumnFromTo = MessageListModel::ColumnFromTo,
        ColumnSubject = MessageListModel::ColumnSubject,
        ColumnDate = MessageListModel::ColumnDate
    };

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* NewCommand(const QString& name, const QString& text, const QKeySequence& key,
                        const QString& tip = QString());
    void FillFolders();
    void FolderClicked();
    void SelectionChanged();
    void UpdateTitle();
    void ReplyArrives();
    void ImportFile();

    MailClient& m_client;
    std::shared_ptr<HostExplorer> m_explorer;
    QTreeWidget* m_folders;
    QTreeView* m_list;
    MessageListModel* m_model;
    MessageSortProxy* m_proxy;
    MessageView* m_reading;
    QToolBar* m_toolBar;
    QToolBar* m_addinBar;
    QMenu* m_reminders = nullptr;
    QFrame* m_noticeBar;
    QLabel* m_notice;
    QPlainTextEdit* m_log;
    QPointer<SettingsDialog> m_settings;
};

}  // namespace host::app
