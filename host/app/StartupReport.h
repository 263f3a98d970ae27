#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "host/engine/EngineLog.h"
#include "host/engine/HxEngine.h"

class CReminderItems;

namespace host::app {

// What the add-in did when it started: the reminders it loaded, the commands
// it added to the mail client's windows, and what went wrong.
struct StartupReport {
    struct Reminder {
        QString emailAddress;
        QString subject;
        QString sentDate;
        QString reminderDate;
        QString note;
    };
    struct Command {
        QString window;  // "Explorer (Inbox)", "Inspector"
        qint32 id = 0;
        QString caption;  // the short text
        QString tooltip;  // the long text
        QString menu;     // the menu of a menu item
    };

    QString dataFile;
    QString nextAlarm;
    std::vector<Reminder> reminders;
    std::vector<Command> commands;
    QStringList problems;  // error reports and failed calls

    // reminders: the add-in's collection, or null when it loaded none.
    static StartupReport Collect(const CReminderItems* reminders, const QString& nextAlarm,
                                 const HxEngine& engine, const EngineLog& log);
    // The report as text for the terminal.
    QString Text() const;
};

}  // namespace host::app
