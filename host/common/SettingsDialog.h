#pragma once

#include <QDialog>
#include <QString>

#include "addin/contracts/PropertyPage.h"

class QLabel;
class QPushButton;

namespace host {

// The add-in's settings dialog, as the engine's own settings dialog is: it
// loads the options page library through its exported factory (as the
// add-in is loaded), hosts the page and is the page's host, answering its
// late-bound calls by name. OK applies and closes, Apply applies, Cancel
// (also Escape and the close box) reloads the stored values and closes. Apply
// is enabled once the page reports a change. The help area shows the hot
// help the page sends; as the mouse leaves one of the page's controls the
// dialog tells the page, so that coming back shows the help again.
//
// The page and the add-in share nothing but the settings store: the add-in
// reads each setting afresh, so an applied change takes effect at its next
// use. An apply that fails (the store cannot be written) is said in a
// message box naming the settings file, and the dialog stays open with the
// changes. A page library that cannot be loaded is said in the dialog.
class SettingsDialog : public QDialog {
    Q_OBJECT

public:
    explicit SettingsDialog(QWidget* parent = nullptr,
                            const QString& pageLibrary = DefaultPageLibrary());

    // libChasewellProp.so where the program keeps its libraries (ProgramFiles.h).
    static QString DefaultPageLibrary();

    // The hosted page; null when its library could not be loaded.
    engine::PropertyPage* Page() const { return m_page; }

    // Controls, by objectName.
    QLabel* lblHotHelp = nullptr;
    // Why there is no page, in place of the page; null when there is one.
    QLabel* lblPageError = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdApply = nullptr;

public slots:
    // OK: applies; closes when that worked.
    void accept() override;
    // Cancel: discards the edits by reloading the stored values, and closes.
    void reject() override;

    // Called by the page, late-bound by name.
    void OnStatusChange();
    void SetHotHelp(QString& title, QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cmdApply_Click();
    // Applies the page; false after telling the user why it failed.
    bool ApplyPage();

    engine::PropertyPage* m_page = nullptr;
};

}  // namespace host
