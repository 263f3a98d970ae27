#include "platform/ComObject.h"

namespace platform {

QVariant ComObject::DefaultMember() const {
    throw RuntimeError::NotSupported();
}

}  // namespace platform
