#include "host/app/ProgramSettings.h"

namespace host::app {

namespace {

const QString kDeliverySection = QStringLiteral("Delivery");
const QString kSendmailKey = QStringLiteral("SendmailCommand");

}  // namespace

QString ProgramSettings::SendmailCommand() {
    return m_store.GetSetting(kProgramSettingsName, kDeliverySection, kSendmailKey, QString())
        .trimmed();
}

void ProgramSettings::setSendmailCommand(const QString& command) {
    m_store.SaveSetting(kProgramSettingsName, kDeliverySection, kSendmailKey, command.trimmed());
}

}  // namespace host::app
