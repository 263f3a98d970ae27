#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <vector>

#include "addin/contracts/HostEngine.h"
#include "addin/contracts/PropertyPage.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace options {
class Line;
}

// The options page: the add-in's defaults, shown in the engine's settings
// dialog. It reads and writes the per-user settings store only (section
// "Chasewell" under the engine's settings application name, asked for afresh
// before every access) and never talks to the add-in, which reads each
// setting afresh when it needs it, so an applied change takes effect at the
// add-in's next use.
//
// The dialog creates the page, may give it a host (SetHost, before or after
// the page is first shown) and later calls Apply to save or LoadValues to
// discard edits. The first show loads the values, the engine's texts for the
// module "Chasewell" and the captions. The page tells the host about changes
// and gives it a short help text for the control under the mouse, calling it
// late-bound by name, so any QObject with these operations can host it:
//   OnStatusChange()                       after the user changed a value
//   SetHotHelp(QString& title, QString& text)
// (see options/HostCalls.h for the forms of parameters accepted). A host
// without them does not stop the page: the call is skipped with a warning.
class UC1 : public QWidget, public engine::PropertyPage {
    Q_OBJECT

public:
    explicit UC1(QWidget* parent = nullptr);
    ~UC1() override;

    QWidget* Widget() override { return this; }
    void SetHost(QObject* theHost) override;
    bool Dirty() const override { return dirty; }
    // Sets Enabled of every control but the lines. Hides QWidget::setEnabled,
    // which would disable the page as a whole.
    void setEnabled(bool newEnabled) override;
    void LoadValues() override;
    void Apply() override;
    QString SendPropMessage(const QString& theMessage, const QVariant& theData) override;

    // The page's controls in layout order, as its Enabled property walks
    // them.
    std::vector<QWidget*> Controls() const;

    // Controls, named as the page names them (also their objectName).
    QGroupBox* frameSettings = nullptr;
    QCheckBox* chkRemove = nullptr;
    QCheckBox* chkDisplayNextDate = nullptr;
    QCheckBox* chkIgnoreCCRecipients = nullptr;
    QCheckBox* chkDisplayIndividualReminders = nullptr;
    QGroupBox* frameTimeOfDayForReminder = nullptr;
    QLabel* lblReminderOccursIn = nullptr;
    QLineEdit* txtDays = nullptr;
    QLabel* lblReminderOccursInUnits = nullptr;
    // Holds the option group and the time box.
    QWidget* Picture1 = nullptr;
    QRadioButton* optUseNow = nullptr;
    QRadioButton* optUseTime = nullptr;
    QLineEdit* txtTimeOfDay = nullptr;
    options::Line* Line4 = nullptr;
    options::Line* Line6 = nullptr;
    options::Line* Line7 = nullptr;
    options::Line* Line8 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();

    void UserControl_Show();
    void optUseNow_Click();
    void optUseTime_Click();
    // Cancel is set when the text had to be reset: the focus stays.
    void txtTimeOfDay_Validate(bool& Cancel);

    // A value changed: dirty and the host told, unless loading; then the
    // hot help is reset.
    void ChangeMade();
    void ShowHotHelp(const QString& key);

    QPointer<QObject> host;
    bool dirty = false;
    bool loading = false;
    QString currentHelpKey;
    QString hotHelpTitle;
    engine::StringTable helpTexts;
    engine::StringTable stringTable;

    QButtonGroup* m_optionGroup = nullptr;
    bool m_shown = false;
    bool m_validating = false;
};
