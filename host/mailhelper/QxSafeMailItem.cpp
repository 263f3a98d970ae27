#include "host/mailhelper/QxSafeMailItem.h"

#include "host/mail/HostMailItem.h"
#include "host/mail/MailModel.h"
#include "platform/RuntimeError.h"

namespace host {

using platform::RuntimeError;

std::shared_ptr<mailhelper::AddressEntry> QxSafeRecipient::AddressEntry() {
    auto entry = m_recipient->AddressEntry();
    if (!entry)
        return nullptr;
    return std::make_shared<QxAddressEntry>(std::move(entry));
}

qint32 QxSafeRecipients::Count() const {
    return m_recipients ? m_recipients->Count() : 0;
}

std::shared_ptr<mailhelper::SafeRecipient> QxSafeRecipients::Item(qint32 index) {
    if (!m_recipients)
        throw RuntimeError::SubscriptOutOfRange();
    return std::make_shared<QxSafeRecipient>(m_recipients->Item(index));
}

std::shared_ptr<mailhelper::SafeRecipient> QxSafeRecipients::Add(const QString& address) {
    if (!m_recipients)
        throw RuntimeError::NotSupported();
    return std::make_shared<QxSafeRecipient>(m_recipients->Add(address));
}

void QxSafeMailItem::setItem(const platform::ObjectRef& item) {
    if (!item)
        throw RuntimeError::ObjectNotSet();
    auto wrapped = std::dynamic_pointer_cast<client::ItemObject>(item);
    if (!wrapped)
        throw RuntimeError::TypeMismatch();
    m_item = std::move(wrapped);
}

client::ItemObject& QxSafeMailItem::Item() const {
    return platform::Deref(m_item);
}

client::MailItem& QxSafeMailItem::Mail() const {
    auto* mail = dynamic_cast<client::MailItem*>(&Item());
    if (!mail)
        throw RuntimeError::NotSupported();
    return *mail;
}

QString QxSafeMailItem::Subject() const {
    return Item().Subject();
}

void QxSafeMailItem::setSubject(const QString& subject) {
    Mail().setSubject(subject);
}

std::shared_ptr<mailhelper::SafeRecipients> QxSafeMailItem::Recipients() {
    auto* mail = dynamic_cast<client::MailItem*>(&Item());
    return std::make_shared<QxSafeRecipients>(mail ? mail->Recipients() : nullptr);
}

QString QxSafeMailItem::EntryId() const {
    return Item().EntryID();
}

std::shared_ptr<client::MAPIFolder> QxSafeMailItem::Parent() {
    return Item().Parent();
}

QDateTime QxSafeMailItem::SentOn() const {
    auto* mail = dynamic_cast<client::MailItem*>(&Item());
    return mail ? mail->SentOn() : QDateTime();
}

void QxSafeMailItem::Save() {
    auto* state = dynamic_cast<HostItemBase*>(&Item());
    auto model = state ? state->Model() : nullptr;
    if (!model)
        throw RuntimeError::NotSupported();
    model->Save(m_item);
}

void QxSafeMailItem::Display() {
    Mail().Display();
}

std::shared_ptr<mailhelper::AddressEntry> QxSafeMailItem::Sender() {
    auto* mail = dynamic_cast<HostMailItem*>(&Item());
    if (!mail || !mail->Sender())
        return nullptr;
    return std::make_shared<QxAddressEntry>(mail->Sender());
}

QString QxSafeMailItem::TransportMessageHeaders() const {
    auto* mail = dynamic_cast<HostMailItem*>(&Item());
    return mail ? mail->TransportMessageHeaders() : QString();
}

QString QxSafeMailItem::InternetMessageId() const {
    auto* mail = dynamic_cast<HostMailItem*>(&Item());
    return mail ? mail->MessageId() : QString();
}

}  // namespace host
