#include "host/mailhelper/QxMAPIUtils.h"

#include "host/mail/MailModel.h"
#include "host/mailhelper/QxSafeMailItem.h"

namespace host {

QString QxMAPIUtils::GetSenderSMTPAddress(mailhelper::SafeMailItem& item) {
    auto sender = item.Sender();
    return sender ? GetSMTPAddress(*sender) : QString();
}

QString QxMAPIUtils::GetSMTPAddress(mailhelper::AddressEntry& entry) {
    if (entry.Type() == kExchangeAddressType) {
        if (!m_library->model)
            return QString();
        return m_library->model->Directory().Resolve(entry.Address());
    }
    return entry.Address();
}

std::shared_ptr<MailHelperLibrary> RegisterMailHelperClasses(platform::ObjectRegistry& registry,
                                                             std::shared_ptr<MailModel> model) {
    auto library = std::make_shared<MailHelperLibrary>();
    library->model = std::move(model);
    registry.Register(mailhelper::kSafeMailItemProgId,
                      [] { return std::make_shared<QxSafeMailItem>(); });
    registry.Register(mailhelper::kMAPIUtilsProgId,
                      [library] { return std::make_shared<QxMAPIUtils>(library); });
    return library;
}

}  // namespace host
