#pragma once

#include <QDialog>
#include <QTimeEdit>
#include <memory>

class CReminderItem;
class QCalendarWidget;
class QGroupBox;
class QLabel;
class QPushButton;

// The time picker: Tab leaves it (to the next control), as it leaves every
// other control; the arrow keys move between its hour and minute.
class ReminderTimePicker : public QTimeEdit {
    Q_OBJECT

public:
    using QTimeEdit::QTimeEdit;

protected:
    bool focusNextPrevChild(bool next) override;
};

// The small modal dialog in which the user picks a new date (month calendar)
// and time of day (time picker) for one reminder.
//
// The caller sets MyReminderInstance and runs the dialog modal (exec). OK
// writes the chosen date into that very reminder (ChangeDateText's form, no
// seconds) and re-arms the alarm timer, but only when the choice differs
// from the reminder's date; a choice earlier than now is refused with a
// message and the dialog stays open. exec() returns QDialog::Accepted when
// the user confirmed (OK, also with an unchanged choice), Rejected for
// Cancel, Esc and the close box, which change nothing. OK also runs when it
// receives the focus by the keyboard from another control of the dialog
// (Tab from the time picker).
//
// The dialog never saves the data file and reports nothing to the engine.
class frmChangeDate : public QDialog {
    Q_OBJECT

public:
    explicit frmChangeDate(QWidget* parent = nullptr);
    ~frmChangeDate() override;

    void setMyReminderInstance(std::shared_ptr<CReminderItem> reminder);
    bool IsLoaded() const { return m_loaded; }

    void setVisible(bool visible) override;
    void done(int result) override;

    // Controls, named as the dialog names them (also their objectName).
    QGroupBox* Frame1 = nullptr;
    QCalendarWidget* MonthView = nullptr;
    QLabel* Label1 = nullptr;
    ReminderTimePicker* dtpReminderTime = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

    static inline const QString kPastMessage =
        QStringLiteral("The reminder date cannot occur in the past.");

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void Form_Load();
    void Form_Unload();
    void cmdOk_Click();
    void cmdOk_GotFocus();
    void cmdCancel_Click();

    std::shared_ptr<CReminderItem> m_reminder;
    bool m_loaded = false;
};
