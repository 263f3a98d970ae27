#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "addin/contracts/HostEngine.h"
#include "windows/manage/GridRowOperations.h"
#include "windows/manage/frmDisplayEx.h"

class QGroupBox;
class QLabel;
class QPushButton;
class ReminderGrid;

// The pending-reminders window: every reminder of the collection in the
// reminder grid, with buttons to re-date, delete, answer (a follow-up
// message) and open the original of the selected rows; a double-click opens
// a row's details window (its own instance, modeless), whose changes refill
// the grid.
//
// One shared instance (ViewRemindersWindows). "View Reminders" sets the
// engine and shows it modeless; the add-in refills it from outside after
// adding or removing reminders (FillGrid), which loads it hidden when it is
// not loaded. The first show or FillGrid after creation or an unload loads
// it (Form_Load: a details window, then FillGrid).
//
// Edits change the in-memory collection at once; only Exit writes the data
// file (then closes). Every way of closing unloads the window once; the
// close box keeps the edits in memory without saving. Deleting rows and
// re-dating them re-arm the alarm timer.
class frmViewReminders : public QWidget {
    Q_OBJECT

public:
    explicit frmViewReminders(QWidget* parent = nullptr);
    // Writes the Terminate trace: the window object is finally released.
    ~frmViewReminders() override;

    // Write-only property, set by the opener before it shows the window.
    void setEngine(std::shared_ptr<engine::IEngine> engine);

    // Refills the grid from the collection (loading the window, hidden, when
    // it is not loaded).
    void FillGrid();
    bool IsLoaded() const { return m_loaded; }
    // Unloads a loaded window, shown or hidden, as its close box would.
    void Unload();
    // The details window the grid opens; null while not loaded.
    frmDisplayEx* myFrmDisplayEx() const { return m_details; }

    void setVisible(bool visible) override;

    // Controls, named as the window names them (also their objectName).
    QGroupBox* frameCommands = nullptr;
    QPushButton* cmdChangeReminderTime = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdCreate = nullptr;
    QPushButton* cmdView = nullptr;
    QPushButton* cmdOk = nullptr;
    QGroupBox* frameInstructions = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    ReminderGrid* grdReminders = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void Form_Load();
    void Form_Unload();
    void cmdChangeReminderTime_Click();
    void cmdDelete_Click();
    void cmdCreate_Click();
    void cmdView_Click();
    void cmdOk_Click();
    void grdReminders_DblClick();
    void grdReminders_KeyDown();
    void myFrmDisplayEx_ItemChanged();

    std::shared_ptr<engine::IEngine> m_engine;
    QPointer<frmDisplayEx> m_details;
    std::unique_ptr<GridRowOperations> m_rows;
    bool m_loaded = false;
};
