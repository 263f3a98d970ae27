#include "host/app/ProgramSettings.h"

#include "platform/Env.h"
#include "platform/RuntimeError.h"

namespace host::app {

namespace {

const QString kMailboxSection = QStringLiteral("Mailbox");
const QString kMaildirKey = QStringLiteral("Maildir");
const QString kDeliverySection = QStringLiteral("Delivery");
const QString kSendmailKey = QStringLiteral("SendmailCommand");
const QString kExportSection = QStringLiteral("Export");
const QString kCalendarFileKey = QStringLiteral("CalendarFile");

}  // namespace

QString RememberedMaildir() {
    return platform::Settings().GetSetting(kProgramSettingsName, kMailboxSection, kMaildirKey,
                                           QString());
}

void RememberMaildir(const QString& maildir) {
    platform::Settings().SaveSetting(kProgramSettingsName, kMailboxSection, kMaildirKey, maildir);
}

QString SendmailCommand() {
    return platform::Settings()
        .GetSetting(kProgramSettingsName, kDeliverySection, kSendmailKey, QString())
        .trimmed();
}

void RememberSendmailCommand(const QString& command) {
    platform::Settings().SaveSetting(kProgramSettingsName, kDeliverySection, kSendmailKey,
                                     command.trimmed());
}

QString LastCalendarFile() {
    return platform::Settings().GetSetting(kProgramSettingsName, kExportSection, kCalendarFileKey,
                                           QString());
}

void RememberCalendarFile(const QString& path) {
    try {
        platform::Settings().SaveSetting(kProgramSettingsName, kExportSection, kCalendarFileKey,
                                         path);
    } catch (const platform::RuntimeError&) {
    }
}

}  // namespace host::app
