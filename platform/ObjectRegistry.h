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
    // Shared, so that a factory running may register or unregister names
    // (its own among them) meanwhile.
    using SharedFactory = std::shared_ptr<const Factory>;

    // The factory for a name; empty when none is registered.
    SharedFactory Find(const QString& progId) const;

    // By the name with its letter case folded.
    QHash<QString, SharedFactory> m_factories;
    // What each spelling of a name asked for found, empty for none. Callers
    // ask with the same few spellings over and over (the trace log's for
    // every trace line), and folding the letter case each time cost more
    // than the creation itself. Emptied whenever a registration changes.
    mutable QHash<QString, SharedFactory> m_found;
};

}  // namespace platform
