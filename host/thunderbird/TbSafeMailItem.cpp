#include "host/thunderbird/TbSafeMailItem.h"

#include "host/mailhelper/QxMAPIUtils.h"
#include "host/thunderbird/TbMailItem.h"

namespace host::thunderbird {

void TbSafeMailItem::Save() {
    if (dynamic_cast<TbMailItem*>(WrappedItem().get()))
        return;
    QxSafeMailItem::Save();
}

void RegisterTbMailHelperClasses(platform::ObjectRegistry& registry) {
    auto library = std::make_shared<MailHelperLibrary>();
    registry.Register(mailhelper::kSafeMailItemProgId,
                      [] { return std::make_shared<TbSafeMailItem>(); });
    registry.Register(mailhelper::kMAPIUtilsProgId,
                      [library] { return std::make_shared<QxMAPIUtils>(library); });
}

}  // namespace host::thunderbird
