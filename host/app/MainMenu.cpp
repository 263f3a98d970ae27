#include "host/app/MainMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "host/app/MainWindow.h"

namespace host::app {

void AddMainMenu(MainWindow& window) {
    QMenuBar* bar = window.menuBar();
    bar->setObjectName(QStringLiteral("mnuMain"));
    QMenu* tools = bar->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    QAction* settings = tools->addAction(QStringLiteral("Chasewell &Settings..."));
    settings->setObjectName(QStringLiteral("actChasewellSettings"));
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    QObject::connect(settings, &QAction::triggered, &window, [&window] { window.OpenSettings(); });
}

}  // namespace host::app
