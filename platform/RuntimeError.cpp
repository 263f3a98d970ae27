#include "platform/RuntimeError.h"

#include <utility>

namespace platform {

RuntimeError::RuntimeError(int number, QString description)
    : m_number(number),
      m_description(std::move(description)),
      m_utf8(m_description.toStdString()) {}

RuntimeError RuntimeError::InvalidProcedureCall() {
    return RuntimeError(5, QStringLiteral("Invalid procedure call or argument"));
}
RuntimeError RuntimeError::Overflow() {
    return RuntimeError(6, QStringLiteral("Overflow"));
}
RuntimeError RuntimeError::SubscriptOutOfRange() {
    return RuntimeError(9, QStringLiteral("Subscript out of range"));
}
RuntimeError RuntimeError::TypeMismatch() {
    return RuntimeError(13, QStringLiteral("Type mismatch"));
}
RuntimeError RuntimeError::FileNotFound() {
    return RuntimeError(53, QStringLiteral("File not found"));
}
RuntimeError RuntimeError::DeviceIOError() {
    return RuntimeError(57, QStringLiteral("Device I/O error"));
}
RuntimeError RuntimeError::PermissionDenied() {
    return RuntimeError(70, QStringLiteral("Permission denied"));
}
RuntimeError RuntimeError::PathNotFound() {
    return RuntimeError(76, QStringLiteral("Path not found"));
}
RuntimeError RuntimeError::ObjectNotSet() {
    return RuntimeError(91, QStringLiteral("Object variable or With block variable not set"));
}
RuntimeError RuntimeError::CantCreateObject() {
    return RuntimeError(429, QStringLiteral("ActiveX component can't create object"));
}
RuntimeError RuntimeError::NotSupported() {
    return RuntimeError(438, QStringLiteral("Object doesn't support this property or method"));
}
RuntimeError RuntimeError::CancelError() {
    return RuntimeError(32755, QStringLiteral("Cancel was selected."));
}

QString CurrentErrorDescription() {
    // Rethrowing with nothing in flight would end the program; a caller that
    // got here by mistake gets a report instead.
    if (!std::current_exception())
        return QStringLiteral("Unknown error");
    try {
        throw;
    } catch (const RuntimeError& error) {
        return error.description();
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

}  // namespace platform
