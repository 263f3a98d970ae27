#include "host/engine/HxGlobal.h"

#include <QDir>
#include <QStandardPaths>

namespace host {

namespace {

// The texts of module "Chasewell", numbered as the options page asks for
// them: hot-help texts and captions.
const char* const kChasewellTexts[30] = {
    /* 0 */ "When a reply from a reminded recipient arrives in the Inbox with a matching subject, its reminder is removed.",
    /* 1 */ "Show the reminder details before a message sent with a reminder leaves, so that the date, note and colour can be changed.",
    /* 2 */ "The number of days from sending to the default reminder.",
    /* 3 */ "Reminder options",
    /* 4 */ "The reminder falls due at the time of day the message was sent.",
    /* 5 */ "All reminders fall due at this time of day.",
    /* 6 */ "Only the To recipients of a message get reminders; CC recipients are left out.",
    /* 7 */ "", /* 8 */ "", /* 9 */ "", /* 10 */ "", /* 11 */ "", /* 12 */ "", /* 13 */ "",
    /* 14 */ "", /* 15 */ "", /* 16 */ "", /* 17 */ "", /* 18 */ "", /* 19 */ "",
    /* 20 */ "General Settings",
    /* 21 */ "Automatically remove reminders if response received",
    /* 22 */ "Prompt for the next reminder date (when sending with the Chasewell button)",
    /* 23 */ "By default, reminder occurs in",
    /* 24 */ "day(s)",
    /* 25 */ "Chasewell",
    /* 26 */ "Options",
    /* 27 */ "Default Reminder Occurrences",
    /* 28 */ "Reminder occurs at time of message sent",
    /* 29 */ "Reminders all occur at this time each day:",
};

}  // namespace

HxGlobal::HxGlobal(EngineLog& log, QString dataFolder) : m_log(log), m_dataFolder(std::move(dataFolder)) {
    if (!m_dataFolder.endsWith('/')) m_dataFolder += '/';
}

void HxGlobal::ReportError(const QString& message, qint32 flag, const QString& source) {
    m_log.AddError(ErrorReportRecord{message, flag, source});
}

QString HxGlobal::DataFolder(qint32) { return m_dataFolder; }

QString HxGlobal::GetString(const engine::StringTable& table, const QString& key) {
    return table.texts.value(key);
}

void HxGlobal::LoadStringTable(engine::StringTable& table, const QString& moduleName) {
    table.texts.clear();
    if (moduleName != QLatin1String("Chasewell")) return;
    for (int i = 0; i < 30; ++i) table.texts.insert(QString::number(i), QString::fromUtf8(kChasewellTexts[i]));
}

QString HxGlobal::DefaultDataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Chasewell/";
}

void HxTraceLog::WriteLine(QString& moduleName, QString& procedureName, QString& message,
                           qint32& level) {
    m_log.AddTrace(TraceLine{moduleName, procedureName, message, level});
}

}  // namespace host
