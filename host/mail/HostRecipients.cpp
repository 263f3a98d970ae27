#include "host/mail/HostRecipients.h"

#include "platform/RuntimeError.h"

namespace host {

using platform::RuntimeError;

std::shared_ptr<HostAddressEntry> HostAddressEntry::ForAddress(const QString& address) {
    const bool directory = address.startsWith(QLatin1String("/o="), Qt::CaseInsensitive);
    return std::make_shared<HostAddressEntry>(directory ? kExchangeAddressType : kSmtpAddressType,
                                              address);
}

std::shared_ptr<client::Recipient> HostRecipients::Item(qint32 index) {
    if (index < 1 || index > Count())
        throw RuntimeError::SubscriptOutOfRange();
    return m_recipients[static_cast<size_t>(index - 1)];
}

std::shared_ptr<client::Recipient> HostRecipients::Add(const QString& address) {
    if (address.trimmed().isEmpty())
        throw RuntimeError::InvalidProcedureCall();
    return AddRecipient(client::olTo, address);
}

std::shared_ptr<HostRecipient> HostRecipients::AddRecipient(
    qint32 type, const QString& address, std::shared_ptr<HostAddressEntry> entry) {
    auto recipient = std::make_shared<HostRecipient>(type, address, std::move(entry));
    m_recipients.push_back(recipient);
    return recipient;
}

std::shared_ptr<HostRecipient> HostRecipients::AddRecipient(qint32 type, const QString& address) {
    return AddRecipient(type, address, HostAddressEntry::ForAddress(address));
}

std::shared_ptr<HostRecipients> HostRecipients::Clone() const {
    auto copy = std::make_shared<HostRecipients>();
    copy->m_recipients = m_recipients;
    return copy;
}

}  // namespace host
