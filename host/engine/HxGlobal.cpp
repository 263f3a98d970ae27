#include "host/engine/HxGlobal.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace host {

namespace {

// The texts of module "Chasewell", numbered as the options page asks for
// them: hot-help texts and captions.
const char* const kChasewellTexts[30] = {
    /* 0 */
    "Tick this and a reminder ends by itself when its recipient answers: a message from that "
    "address with a matching subject arrives in the Inbox. Untick it to keep every reminder until "
    "you dismiss it.",
    /* 1 */
    "Tick this to be shown the reminder date as you send a message with the Chasewell button, so "
    "that you can change the date, note or colour before the reminders are made.",
    /* 2 */
    "How many days after sending a reminder falls due. Type a whole number; 0 reminds you the same "
    "day.",
    /* 3 */ "Reminder options",
    /* 4 */
    "Each reminder falls due at the time of day its message was sent, the number of days above "
    "later.",
    /* 5 */
    "Every reminder falls due at this time of day, the number of days above after sending. Type a "
    "time such as 8:00 AM or 17:30.",
    /* 6 */
    "Tick this to make reminders for the To recipients of a message only. Untick it to be reminded "
    "about its CC recipients as well.",
    /* 7 */ "",
    /* 8 */ "",
    /* 9 */ "",
    /* 10 */ "",
    /* 11 */ "",
    /* 12 */ "",
    /* 13 */ "",
    /* 14 */ "",
    /* 15 */ "",
    /* 16 */ "",
    /* 17 */ "",
    /* 18 */ "",
    /* 19 */ "",
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

HxGlobal::HxGlobal(EngineLog& log, QString dataFolder)
    : m_log(log), m_dataFolder(std::move(dataFolder)) {
    if (!m_dataFolder.endsWith('/'))
        m_dataFolder += '/';
}

void HxGlobal::ReportError(const QString& message, qint32 flag, const QString& source) {
    m_log.AddError(ErrorReportRecord{message, flag, source});
}

QString HxGlobal::DataFolder(qint32) {
    return m_dataFolder;
}

QString HxGlobal::GetString(const engine::StringTable& table, const QString& key) {
    return table.texts.value(key);
}

void HxGlobal::LoadStringTable(engine::StringTable& table, const QString& moduleName) {
    table.texts.clear();
    if (moduleName != QLatin1String("Chasewell"))
        return;
    for (int i = 0; i < 30; ++i)
        table.texts.insert(QString::number(i), QString::fromUtf8(kChasewellTexts[i]));
}

QString HxGlobal::DefaultDataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Chasewell/";
}

QString HxGlobal::MailboxDataFolder(const QString& dataFolder, const QString& maildir) {
    QString folder = dataFolder;
    if (!folder.endsWith('/'))
        folder += '/';
    if (maildir.isEmpty())
        return folder;
    const QFileInfo tree(maildir);
    const QString path =
        tree.exists() ? tree.canonicalFilePath() : QDir::cleanPath(tree.absoluteFilePath());
    QString name;
    for (const QChar c : QFileInfo(path).fileName()) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
        name += plain ? c : QChar('_');
    }
    // No hidden folder, and never "." or "..".
    while (name.startsWith('.')) name.remove(0, 1);
    name = name.left(40);
    if (name.isEmpty())
        name = QStringLiteral("mailbox");
    const QByteArray hash =
        QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return folder + QStringLiteral("Mailboxes/") + name + '-' + QString::fromLatin1(hash) + '/';
}

void HxTraceLog::WriteLine(QString& moduleName, QString& procedureName, QString& message,
                           qint32& level) {
    m_log.AddTrace(TraceLine{moduleName, procedureName, message, level});
}

}  // namespace host
