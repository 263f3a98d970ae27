// The message reader: any bytes, a message or not, are read without a crash
// and within the header limits.

#include <cstdlib>

#include "fuzz/FuzzEnv.h"
#include "host/mail/HostMailItem.h"
#include "host/maildir/MessageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::FuzzEnv::Get();
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    host::HostMailItem item({});
    host::maildir::ReadMessage(bytes, item, QStringLiteral("fuzzed"));
    if (item.RecipientList()->Count() > host::maildir::kMaxRecipients)
        std::abort();
    if (item.Subject().size() > host::maildir::kMaxHeaderFieldBytes)
        std::abort();
    return 0;
}
