#include "host/app/StartupReport.h"

#include "host/mail/HostWindows.h"
#include "platform/RuntimeError.h"
#include "store/CReminderItems.h"

namespace host::app {

namespace {

// A date the locale cannot read is shown as it is held rather than hidden.
QString Shown(const std::shared_ptr<CReminderItem>& item, QString (CReminderItem::*read)() const,
              const QString& held) {
    try {
        return (item.get()->*read)();
    } catch (const platform::RuntimeError&) {
        return held;
    }
}

QString WindowName(const CommandRecord& command) {
    if (auto explorer = std::dynamic_pointer_cast<HostExplorer>(command.window)) {
        auto folder = explorer->Folder();
        return QStringLiteral("Explorer (%1)")
            .arg(folder ? folder->Name() : QStringLiteral("no folder"));
    }
    return QStringLiteral("Inspector");
}

}  // namespace

StartupReport StartupReport::Collect(const CReminderItems* reminders, const QString& nextAlarm,
                                     const HxEngine& engine, const EngineLog& log) {
    StartupReport report;
    report.nextAlarm = nextAlarm;
    if (reminders) {
        report.dataFile = reminders->DataFilePath();
        for (qint32 i = 1; i <= reminders->Count(); ++i) {
            auto item = reminders->Item(i);
            report.reminders.push_back(Reminder{
                item->EmailAddress(), item->Subject(),
                Shown(item, &CReminderItem::SentDate, item->SentDateText()),
                Shown(item, &CReminderItem::ReminderDate, item->ReminderDateText()), item->Note()});
        }
    }
    for (const auto& command : engine.Commands())
        report.commands.push_back(Command{WindowName(command), command.id, command.shortText,
                                          command.longText, command.menuCaption});
    for (const auto& error : log.Errors())
        report.problems << QStringLiteral("%1 (flag %2): %3")
                               .arg(error.source)
                               .arg(error.flag)
                               .arg(error.message);
    for (const auto& failed : engine.FailedCalls())
        report.problems << QStringLiteral("%1 failed: %2").arg(failed.member, failed.description);
    return report;
}

QString StartupReport::Text() const {
    QString text;
    text += QStringLiteral("Data file: %1\n")
                .arg(dataFile.isEmpty() ? QStringLiteral("(not loaded)") : dataFile);
    text += QStringLiteral("Reminders loaded: %1\n").arg(reminders.size());
    int position = 0;
    for (const auto& r : reminders) {
        text += QStringLiteral("  %1. %2  \"%3\"  sent %4  due %5")
                    .arg(++position)
                    .arg(r.emailAddress, r.subject, r.sentDate, r.reminderDate);
        if (!r.note.isEmpty())
            text += QStringLiteral("  note: %1").arg(r.note);
        text += '\n';
    }
    text += QStringLiteral("Next alarm: %1\n")
                .arg(nextAlarm.isEmpty() ? QStringLiteral("none") : nextAlarm);
    text += QStringLiteral("Commands added: %1\n").arg(commands.size());
    for (const auto& c : commands) {
        text += QStringLiteral("  %1: %2 \"%3\" (%4)")
                    .arg(c.window)
                    .arg(c.id)
                    .arg(c.caption, c.tooltip);
        if (!c.menu.isEmpty())
            text += QStringLiteral(" in menu \"%1\"").arg(c.menu);
        text += '\n';
    }
    text += QStringLiteral("Problems reported: %1\n").arg(problems.size());
    for (const auto& p : problems) text += QStringLiteral("  %1\n").arg(p);
    return text;
}

}  // namespace host::app
