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

void AddGoTo(MainWindow& window, QMenu* menu, const QString& text, qint32 folderType, int digit) {
    QAction* go = menu->addAction(text);
    go->setObjectName("actGo" + QString(text).remove('&').remove(' '));
    go->setShortcut(QKeySequence(Qt::CTRL | (Qt::Key_0 + digit)));
    QObject::connect(go, &QAction::triggered, &window,
                     [&window, folderType] { window.ShowDefaultFolder(folderType); });
}

}  // namespace

QKeySequence AddinShortcut(const QString& shortText, qsizetype place) {
    const QString plain = QString(shortText).remove('&');
    if (plain == QLatin1String("View Reminders"))
        return QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R);
    if (plain == QLatin1String("Add Reminders"))
        return QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A);
    if (place < 9)
        return QKeySequence(Qt::CTRL | Qt::SHIFT | (Qt::Key_1 + static_cast<int>(place)));
    return QKeySequence();
}

void AddMainMenu(MainWindow& window) {
    QMenuBar* bar = window.menuBar();
    bar->setObjectName(QStringLiteral("mnuMain"));

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    file->addAction(window.Command("actImport"));
    QAction* exportCalendar = file->addAction(QStringLiteral("&Export Reminders to Calendar..."));
    exportCalendar->setObjectName(QStringLiteral("actExportCalendar"));
    exportCalendar->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    QObject::connect(exportCalendar, &QAction::triggered, &window,
                     [&window] { ChooseCalendarFile(window); });
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("actExit"));
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    QObject::connect(exit, &QAction::triggered, &window, [&window] { window.close(); });

    QMenu* message = bar->addMenu(QStringLiteral("&Message"));
    message->setObjectName(QStringLiteral("mnuMessage"));
    for (const char* name :
         {"actNewMessage", "actOpen", "actSendAgain", "actSaveAttachmentOfMessage"})
        message->addAction(window.Command(QString::fromLatin1(name)));
    message->addSeparator();
    message->addAction(window.Command(QStringLiteral("actReplyArrives")));

    QMenu* go = bar->addMenu(QStringLiteral("&Go"));
    go->setObjectName(QStringLiteral("mnuGo"));
    AddGoTo(window, go, QStringLiteral("&Inbox"), client::olFolderInbox, 1);
    AddGoTo(window, go, QStringLiteral("&Sent Items"), client::olFolderSentMail, 2);
    AddGoTo(window, go, QStringLiteral("&Drafts"), kFolderDrafts, 3);
    AddGoTo(window, go, QStringLiteral("&Outbox"), client::olFolderOutbox, 4);

    QMenu* reminders = bar->addMenu(QStringLiteral("&Reminders"));
    reminders->setObjectName(QStringLiteral("mnuReminders"));
    window.setRemindersMenu(reminders);

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
