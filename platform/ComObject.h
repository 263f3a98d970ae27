#pragma once

#include <QString>
#include <QVariant>
#include <memory>

#include "platform/RuntimeError.h"

namespace platform {

// Base of every object handed across the add-in's boundaries (the engine's,
// the mail client's and the mail helper's). Callers hold them through
// shared_ptr, as the original held counted references; "no object" is an
// empty pointer.
class ComObject {
public:
    virtual ~ComObject() = default;

    // The run-time type name ("MailItem", "AppointmentItem", ...), compared
    // exactly by the add-in to decide what kind of item it was handed.
    virtual QString TypeName() const = 0;

    // The object's default member (dispatch identifier 0). Objects without one
    // throw RuntimeError::NotSupported(), as a late-bound read would fail.
    virtual QVariant DefaultMember() const;
};

using ObjectRef = std::shared_ptr<ComObject>;

// Dereferences a possibly empty reference the way a late-bound call would:
// an empty one fails with "Object variable or With block variable not set".
template <class T>
T& Deref(const std::shared_ptr<T>& object) {
    if (!object) throw RuntimeError::ObjectNotSet();
    return *object;
}

}  // namespace platform
