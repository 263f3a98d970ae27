#pragma once

#include <QString>
#include <QWidget>
#include <memory>

#include "addin/contracts/HostEngine.h"
#include "windows/alarm/InputGuard.h"

class CReminderItem;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The alarm window for one overdue reminder: who the message went to, when,
// its subject and the reminder's note, with buttons to snooze the reminder,
// dismiss (delete) it, open the sent message, or change its colour.
//
// The opener sets the engine and the reminder, then shows the window
// (modeless). The first show after creation or after an unload loads it
// (Form_Load fills the controls from the reminder). Every way of closing it
// (its buttons, the close box, close()) unloads it exactly once: the whole
// reminder collection is saved and ItemChanged is raised. The window holds
// the very reminder object the collection holds and edits it in place; note
// edits reach the reminder only through Snooze and Snooze All.
//
// The colour chooser is the platform's (platform::Colours()); the window has
// no control of its own for it.
class frmRemind : public QWidget {
    Q_OBJECT

public:
    explicit frmRemind(QWidget* parent = nullptr);
    ~frmRemind() override;

    // Write-only properties, set before the window is shown.
    void setEngine(std::shared_ptr<engine::IEngine> engine);
    void setMyReminderInstance(std::shared_ptr<CReminderItem> reminder);

    // Whether the window is loaded (shown and not yet unloaded).
    bool IsLoaded() const { return m_loaded; }
    // The reminder shown; empty when none is set or after the unload.
    const std::shared_ptr<CReminderItem>& MyReminderInstance() const { return m_reminder; }

    // Loads the window on its first show (see above).
    void setVisible(bool visible) override;
    // Brings the loaded window to the front, keeping the keyboard off it for
    // a moment (InputGuard) so keys typed for another window never act here.
    void BringToFront();

    // Controls, named as the window names them (also their objectName).
    QGroupBox* frameChasewellAlarmDetails = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblEmail = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblDateSent = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblSubject = nullptr;
    QLabel* Label4 = nullptr;
    QPlainTextEdit* txtNote = nullptr;
    QWidget* Picture1 = nullptr;
    QPushButton* cmdSnooze = nullptr;
    QPushButton* cmdSnoozeAll = nullptr;
    QPushButton* cmdDismiss = nullptr;
    QComboBox* cboSnooze = nullptr;
    QPushButton* cmdViewOriginal = nullptr;
    QPushButton* cmdColors = nullptr;

signals:
    // Raised once per unload, after the collection was saved.
    void ItemChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void ClearControls();

    void Form_Load();
    void Form_Unload();
    void cmdSnooze_Click();
    void cmdSnoozeAll_Click();
    void cmdDismiss_Click();
    void cmdViewOriginal_Click();
    void cmdColors_Click();

    // Snooze and Snooze All differ only in their trace line.
    void Snooze(bool all);

    InputGuard m_inputGuard{*this};
    std::shared_ptr<engine::IEngine> m_engine;
    std::shared_ptr<CReminderItem> m_reminder;
    bool m_loaded = false;
    // The note as put into txtNote at load. An unedited box gives the
    // reminder's own note back unchanged: its line ends stay as they were,
    // and a load that failed before filling the box does not wipe the note.
    QString m_shownNote;
};
