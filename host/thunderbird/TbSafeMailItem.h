#pragma once

#include <memory>

#include "host/mailhelper/QxSafeMailItem.h"
#include "platform/ObjectRegistry.h"

namespace host::thunderbird {

// "QxOutlook.QxSafeMailItem" in Thunderbird: the helper library reads
// Thunderbird's messages as it reads the program's own, since they hold the
// same values. Saving differs: the message of a compose window stays with
// Thunderbird while it is sent (its sent copy later gives the reminders their
// ids), so Save leaves it be.
class TbSafeMailItem : public host::QxSafeMailItem {
public:
    void Save() override;
};

// Registers the helper library's two classes for Thunderbird's messages
// (addresses there are always Internet addresses: no directory).
void RegisterTbMailHelperClasses(platform::ObjectRegistry& registry);

}  // namespace host::thunderbird
