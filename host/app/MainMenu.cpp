#include "host/app/MainMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "host/app/MainWindow.h"

namespace host::app {

namespace {

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

}  // namespace host::app
