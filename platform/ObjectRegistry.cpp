#include "platform/ObjectRegistry.h"

#include <exception>

namespace platform {

namespace {
// ProgIDs are looked up without regard to letter case, as the system's class
// registry looks them up.
QString Normalised(const QString& progId) {
    return progId.toCaseFolded();
}
}  // namespace

void ObjectRegistry::Register(const QString& progId, Factory factory) {
    if (!factory) {
        Unregister(progId);
        return;
    }
    m_factories.insert(Normalised(progId), std::move(factory));
}

void ObjectRegistry::Unregister(const QString& progId) {
    m_factories.remove(Normalised(progId));
}

bool ObjectRegistry::IsRegistered(const QString& progId) const {
    return m_factories.contains(Normalised(progId));
}

ObjectRef ObjectRegistry::CreateObject(const QString& progId) const {
    const auto found = m_factories.constFind(Normalised(progId));
    if (found == m_factories.constEnd())
        throw RuntimeError::CantCreateObject();
    // A copy, so that a factory may register or unregister names meanwhile.
    const Factory factory = *found;
    ObjectRef object;
    try {
        object = factory();
    } catch (const RuntimeError&) {
        throw;
    } catch (const std::exception&) {
        // A component whose construction failed is, to the caller, a
        // component that could not be created.
        throw RuntimeError::CantCreateObject();
    }
    if (!object)
        throw RuntimeError::CantCreateObject();
    return object;
}

}  // namespace platform
