#pragma once

#include <QHash>
#include <QString>
#include <functional>
#include <memory>

#include "platform/ComObject.h"
#include "platform/RuntimeError.h"

namespace platform {

// Creation of objects by ProgID ("QxOutlook.QxSafeMailItem", the engine's
// trace log, ...). The host, or a test, registers a factory per name; a name
// nobody registered fails like a missing component, with
// "ActiveX component can't create object". Names are compared without regard
// to letter case.
class ObjectRegistry {
public:
    using Factory = std::function<ObjectRef()>;

    void Register(const QString& progId, Factory factory);
    void Unregister(const QString& progId);
    bool IsRegistered(const QString& progId) const;

    // Throws RuntimeError::CantCreateObject() for an unknown name or a factory
    // that returns no object or fails with anything but a RuntimeError (which
    // passes through unchanged). Registering an empty factory unregisters.
    ObjectRef CreateObject(const QString& progId) const;

    // CreateObject, then the interface the caller needs; an object without it
    // fails with "Type mismatch".
    template <class T>
    std::shared_ptr<T> CreateObjectAs(const QString& progId) const {
        auto typed = std::dynamic_pointer_cast<T>(CreateObject(progId));
        if (!typed)
            throw RuntimeError::TypeMismatch();
        return typed;
    }

private:
    QHash<QString, Factory> m_factories;
};

}  // namespace platform
