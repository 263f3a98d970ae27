#include "host/mail/MailDirectory.h"

namespace host {

void MailDirectory::Add(const QString& exchangeAddress, const QString& smtpAddress) {
    m_entries.insert(exchangeAddress.toLower(), smtpAddress);
}

QString MailDirectory::Resolve(const QString& exchangeAddress) const {
    return m_entries.value(exchangeAddress.toLower());
}

}  // namespace host
