#pragma once

#include <QDialog>

#include "host/app/StartupReport.h"

class QTreeWidget;
class QPlainTextEdit;
class QPushButton;

namespace host::app {

// Shows a StartupReport: the reminders loaded, the commands added and any
// problems. Closing it shuts the add-in down.
class StartupWindow : public QDialog {
public:
    explicit StartupWindow(const StartupReport& report, QWidget* parent = nullptr);

    QTreeWidget* reminders() const { return m_reminders; }
    QTreeWidget* commands() const { return m_commands; }
    QPlainTextEdit* problems() const { return m_problems; }
    QPushButton* closeButton() const { return m_close; }

private:
    QTreeWidget* m_reminders;
    QTreeWidget* m_commands;
    QPlainTextEdit* m_problems;
    QPushButton* m_close;
};

}  // namespace host::app
