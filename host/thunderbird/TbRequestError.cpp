#include "host/thunderbird/TbRequestError.h"

namespace host::thunderbird {

namespace {
// The mail client's number for an operation of its own that failed.
constexpr int kMailClientFailure = 440;
}  // namespace

platform::RuntimeError RequestError(const QString& what, const ExtensionLink::Result& result) {
    QString why = result.error;
    if (why.endsWith(u'.'))
        why.chop(1);
    if (why.isEmpty())
        why = QStringLiteral("it gave no reason");
    return platform::RuntimeError(kMailClientFailure,
                                  QStringLiteral("Thunderbird could not %1: %2.").arg(what, why));
}

}  // namespace host::thunderbird
