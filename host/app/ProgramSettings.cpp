#include "host/app/ProgramSettings.h"

#include <QRegularExpression>

#include "platform/Env.h"
#include "platform/RuntimeError.h"

namespace host::app {

namespace {

const QString kMailboxSection = QStringLiteral("Mailbox");
const QString kMaildirKey = QStringLiteral("Maildir");
const QString kDeliverySection = QStringLiteral("Delivery");
const QString kSendmailKey = QStringLiteral("SendmailCommand");
const QString kFromKey = QStringLiteral("FromAddress");
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

QString FromAddress() {
    const QString address =
        platform::Settings()
            .GetSetting(kProgramSettingsName, kDeliverySection, kFromKey, QString())
            .trimmed();
    // A file edited by hand could hold anything: only a plain address is used.
    return IsPlainAddress(address) ? address : QString();
}

void RememberFromAddress(const QString& address) {
    platform::Settings().SaveSetting(kProgramSettingsName, kDeliverySection, kFromKey,
                                     address.trimmed());
}

bool IsPlainAddress(const QString& address) {
    // A local part without spaces, controls or the characters that separate
    // addresses; a domain of dot-separated labels.
    static const QRegularExpression plain(QStringLiteral(
        R"(^[^\x00-\x1f\x7f\s@<>()\[\],;:"\\]+@)"
        R"([A-Za-z0-9](?:[A-Za-z0-9-]*[A-Za-z0-9])?(?:\.[A-Za-z0-9](?:[A-Za-z0-9-]*[A-Za-z0-9])?)*\z)"));
    return plain.match(address).hasMatch();
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
