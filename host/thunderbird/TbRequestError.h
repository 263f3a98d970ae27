#pragma once

#include <QString>

#include "host/thunderbird/ExtensionLink.h"
#include "platform/RuntimeError.h"

namespace host::thunderbird {

// The error of a call into the object model that Thunderbird could not carry
// out or did not answer: its description says what was asked and why it
// failed, in words ("Thunderbird could not open the message abc@example.com:
// it did not answer within 10 seconds."), since the add-in shows or reports
// the description.
platform::RuntimeError RequestError(const QString& what, const ExtensionLink::Result& result);

}  // namespace host::thunderbird
