#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class CReminderItem;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The reminder-details window: one reminder's date and the next alarm time,
// its note to edit, its colour and date to change.
//
// Openers: sending with a reminder (when DisplayNext is 1) and "Add
// Reminders" show the shared instance modal (exec) on the template reminder
// the new reminders are made from; each grid window shows its own instance
// modeless (show) on the very reminder of a double-clicked row. The opener
// sets MyReminderInstance and MyNextReminderTime first. Every show after
// creation or after an unload loads the window (Form_Load).
//
// The window edits the reminder in place and never saves the data file: a
// colour or date change takes effect at once; the note and the displayed
// date are written back only by Exit. The close box keeps the colour and
// date changes but drops the note edits. Every way of closing unloads the
// window once: ItemChanged is raised when something was changed since the
// load, and the window's position is remembered (DisplayExLeft and
// DisplayExTop, in twips) for the next opening. Esc does not close it, so a
// typed note is not lost to a stray key.
class frmDisplayEx : public QDialog {
    Q_OBJECT

public:
    explicit frmDisplayEx(QWidget* parent = nullptr);
    ~frmDisplayEx() override;

    // Write-only properties, set before the window is shown.
    void setMyReminderInstance(std::shared_ptr<CReminderItem> reminder);
    void setMyNextReminderTime(const QString& text);

    bool IsLoaded() const { return m_loaded; }
    // Something was changed since the load finished.
    bool Changed() const { return m_changed; }
    const std::shared_ptr<CReminderItem>& MyReminderInstance() const { return m_reminder; }

    void setVisible(bool visible) override;
    void done(int result) override;

    // Closes the details window a list window opened (when it is open) and
    // lets it go, once its opener no longer listens to it. The list windows
    // do this as they unload: left open, the details window would go on
    // editing a reminder after the add-in released the collection. What was
    // typed in the note is kept first (KeepTypedNote): closing a list must
    // never cost it.
    static void Release(QPointer<frmDisplayEx>& details, QObject* opener);
    // Writes the note typed in the box into the reminder, as Exit does, when
    // it was edited; the window stays open. A list window's Exit does this
    // before it saves, so the note is saved with the rest.
    void KeepTypedNote();
    // Whether the reminder shown is still pending: a list window gives the
    // window this test; Exit, Change Date Or Time... and Change Colors... on
    // a reminder that is gone then say so and change nothing. Without one
    // (a new reminder's template), every reminder counts as pending.
    void setStillPending(std::function<bool()> stillPending);

    static inline const QString kGoneMessage = QStringLiteral(
        "This reminder is no longer pending: it was dismissed, deleted or ended by a reply "
        "meanwhile.  Nothing was changed.");

    // The place the window opens at when no position is remembered: centred
    // on the primary screen.
    QPoint DesignTimePosition() const;

    // Controls, named as the window names them (also their objectName).
    QGroupBox* Frame1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblNew = nullptr;
    QWidget* Picture1 = nullptr;
    QPushButton* cmdDate = nullptr;
    QPushButton* cmdChangeColors = nullptr;
    QLabel* Label2 = nullptr;
    QPlainTextEdit* txtNote = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblNext = nullptr;
    QPushButton* cmdOk = nullptr;

signals:
    // Raised while the window unloads, when something was changed.
    void ItemChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void ClearControls();
    // The caption of lblNew; a different text is a change (lblNew_Change).
    void SetNewCaption(const QString& text);

    void Form_Load();
    void Form_Unload();
    void cmdChangeColors_Click();
    void cmdDate_Click();
    void cmdOk_Click();
    void lblNew_Change();
    void txtNote_Change();

    // False (after saying so) when the reminder shown is gone.
    bool StillPending();

    std::shared_ptr<CReminderItem> m_reminder;
    std::function<bool()> m_stillPending;
    QString m_nextReminderTime;
    bool m_loaded = false;
    bool m_changed = false;
    // lblNew shows the reminder's date (the load got that far, or the date
    // was changed here): only then does Exit write it back. A load that
    // failed before must not wipe the date.
    bool m_dateShown = false;
    // The note as put into txtNote at load: an unedited box gives the
    // reminder's own note back unchanged (its line ends as they were; a load
    // that failed before filling the box does not wipe the note).
    QString m_shownNote;
};
