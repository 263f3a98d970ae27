#pragma once

#include <memory>

#include "addin/contracts/MailHelper.h"
#include "platform/ObjectRegistry.h"

namespace host {

class MailModel;

// What the helper library holds for the process: the model whose directory
// resolves "EX" addresses, and how often Cleanup was called.
struct MailHelperLibrary {
    std::shared_ptr<MailModel> model;
    int cleanupCalls = 0;
};

// "QxOutlook.QxMAPIUtils".
class QxMAPIUtils : public mailhelper::MAPIUtils {
public:
    explicit QxMAPIUtils(std::shared_ptr<MailHelperLibrary> library)
        : m_library(std::move(library)) {}

    // The Internet address of the item's sender (see GetSMTPAddress); an
    // empty string when the item has no sender.
    QString GetSenderSMTPAddress(mailhelper::SafeMailItem& item) override;
    // An "EX" entry: the Internet address the directory holds for it, or an
    // empty string when the directory does not know it. Any other entry: its
    // own address.
    QString GetSMTPAddress(mailhelper::AddressEntry& entry) override;
    // The library holds nothing that needs releasing; the call is counted.
    void Cleanup() override { ++m_library->cleanupCalls; }

private:
    std::shared_ptr<MailHelperLibrary> m_library;
};

// Registers "QxOutlook.QxSafeMailItem" and "QxOutlook.QxMAPIUtils" (a new
// object per creation) over the model; returns the library state they share.
std::shared_ptr<MailHelperLibrary> RegisterMailHelperClasses(platform::ObjectRegistry& registry,
                                                             std::shared_ptr<MailModel> model);

}  // namespace host
