#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

#include "addin/contracts/HostEngine.h"
#include "windows/alarm/InputGuard.h"
#include "windows/manage/GridRowOperations.h"
#include "windows/manage/frmDisplayEx.h"

class CReminderItem;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class ReminderGrid;

// The grouped alarm window, for when several reminders fall due together:
// every reminder of the collection in the reminder grid, the overdue ones
// shaded, with buttons to snooze, dismiss, recolour and open the originals of
// the selected rows, and to snooze or dismiss every overdue reminder at once.
// A double-click opens a row's details window (its own instance, modeless),
// whose changes refill the grid.
//
// One shared instance (RemindMultipleWindows). The alarm timer sets the
// engine and shows it modeless when two or more reminders are overdue; shown
// again while open it only comes to the front, keeping what the user is
// doing. Loading (Load, or the first show) makes the details window, fills
// the grid and the snooze list, and titles the window "Chasewell Alarms";
// every later fill titles it with the next reminder time.
//
// The rows hold the very reminders they show: every operation acts on its
// row's own reminder, whatever a sort, a deletion or another reminder with
// the same address and subject did. "Snooze All" and "Dismiss All Overdue"
// act only on the reminders overdue at the moment of the click (due within
// the minute the alarm timer counts as overdue), never on one due later.
//
// Snoozes and colours change the in-memory collection at once and reach the
// data file by Exit (or whatever saves next); dismissals are saved at once.
// Snoozing and dismissing re-arm the alarm timer; the Delete key, colours
// and closing do not. Every way of closing unloads the window once.
class frmRemindMultiple : public QWidget {
    Q_OBJECT

public:
    explicit frmRemindMultiple(QWidget* parent = nullptr);
    // Writes the Terminate trace: the window object is finally released.
    ~frmRemindMultiple() override;

    // Write-only property, set by the opener before it shows the window.
    void setEngine(std::shared_ptr<engine::IEngine> engine);

    // Loads the window when it is not loaded. Failures of the snooze list
    // (reading the settings) pass to the caller; the rest report their own.
    void Load();
    bool IsLoaded() const { return m_loaded; }
    // Unloads a loaded window, shown or hidden, as its close box would.
    void Unload();
    // Brings the window to the front, keeping the keyboard off it for a
    // moment (InputGuard) so keys typed for another window never act here.
    void BringToFront();
    // Refills the grid from the collection.
    void FillGrid();
    // The details window the grid opens; null while not loaded.
    frmDisplayEx* myFrmDisplayEx() const { return m_details; }

    void setVisible(bool visible) override;

    // Whether a reminder counts as overdue now, as the alarm timer counts it
    // (due earlier than a minute from now). A date that is not a date is
    // never overdue.
    static bool IsOverdue(const CReminderItem& reminder);

    // Controls, named as the window names them (also their objectName).
    QGroupBox* frameChasewellAlarmDetails = nullptr;
    QComboBox* cboSnooze = nullptr;
    QPushButton* cmdSnooze = nullptr;
    QPushButton* cmdSnoozeAll = nullptr;
    QPushButton* cmdDismiss = nullptr;
    QPushButton* cmdDismissAll = nullptr;
    QPushButton* cmdViewOriginal = nullptr;
    QPushButton* cmdChangeColors = nullptr;
    QPushButton* cmdOk = nullptr;
    QGroupBox* frameInstructions = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    // Says which rows the two "all" buttons act on.
    QLabel* lblOverdue = nullptr;
    ReminderGrid* grdReminders = nullptr;

    static inline const QString kOverdueNote =
        QStringLiteral("Overdue: Snooze All and Dismiss All Overdue act on this reminder.");

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void Form_Load();
    void Form_Unload();
    void cmdSnooze_Click();
    void cmdSnoozeAll_Click();
    void cmdDismiss_Click();
    void cmdDismissAll_Click();
    void cmdChangeColors_Click();
    void cmdViewOriginal_Click();
    void cmdOk_Click();
    void grdReminders_DblClick();
    void grdReminders_KeyDown();
    void myFrmDisplayEx_ItemChanged();

    // Snooze and Snooze All differ in their trace, their source and the rows
    // they act on.
    void Snooze(bool all);

    InputGuard m_inputGuard{*this};
    std::shared_ptr<engine::IEngine> m_engine;
    QPointer<frmDisplayEx> m_details;
    std::unique_ptr<GridRowOperations> m_rows;
    bool m_loaded = false;
};
