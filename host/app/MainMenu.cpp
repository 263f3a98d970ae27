#include "host/app/MainMenu.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QStandardPaths>

#include "host/app/MainWindow.h"
#include "host/app/ProgramSettings.h"
#include "host/export/CalendarExport.h"
#include "platform/Env.h"
#include "schedule/Globals.h"
#include "store/CReminderItems.h"

namespace host::app {

namespace {

const QString kTitle = QStringLiteral("Chasewell");
const QString kExportCaption = QStringLiteral("Export Reminders to Calendar");

void ChooseCalendarFile(MainWindow& window) {
    QString offered = LastCalendarFile();
    if (offered.isEmpty())
        offered = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
                  QStringLiteral("/Chasewell reminders.ics");
    const QString path = QFileDialog::getSaveFileName(
        &window, kExportCaption, offered, QStringLiteral("iCalendar files (*.ics);;All files (*)"));
    if (path.isEmpty())
        return;
    if (ExportRemindersToCalendar(path))
        RememberCalendarFile(path);
}

}  // namespace

void AddMainMenu(MainWindow& window) {
    QMenuBar* bar = window.menuBar();
    bar->setObjectName(QStringLiteral("mnuMain"));
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction* exportCalendar = file->addAction(QStringLiteral("&Export Reminders to Calendar..."));
    exportCalendar->setObjectName(QStringLiteral("actExportCalendar"));
    exportCalendar->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    QObject::connect(exportCalendar, &QAction::triggered, &window,
                     [&window] { ChooseCalendarFile(window); });

    QMenu* tools = bar->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    QAction* settings = tools->addAction(QStringLiteral("Chasewell &Settings..."));
    settings->setObjectName(QStringLiteral("actChasewellSettings"));
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    QObject::connect(settings, &QAction::triggered, &window, [&window] { window.OpenSettings(); });
}

bool ExportRemindersToCalendar(const QString& path) {
    if (!Globals::m_ReminderItems) {
        platform::MessageBox().Show(
            QStringLiteral("The add-in has no reminders loaded; nothing was exported to %1.")
                .arg(path),
            kTitle);
        return false;
    }
    const calendar::CalendarExportResult result =
        calendar::ExportReminders(*Globals::m_ReminderItems, QDir::cleanPath(path));
    platform::MessageBox().Show(result.Message(), kTitle);
    return result.written;
}

}  // namespace host::app
