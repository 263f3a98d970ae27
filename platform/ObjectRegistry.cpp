#include "platform/ObjectRegistry.h"

#include <exception>

namespace platform {

namespace {
// ProgIDs are looked up without regard to letter case, as the system's class
// registry looks them up.
QString Normalised(const QString& progId) {
    return progId.toCaseFolded();
}

// More spellings than any program uses; past it the memory starts again, so
// that callers spelling names in ever new ways cannot make it grow.
constexpr qsizetype kRememberedSpellings = 64;
}  // namespace

void ObjectRegistry::Register(const QString& progId, Factory factory) {
    if (!factory) {
        Unregister(progId);
        return;
    }
    m_found.clear();
    m_factories.insert(Normalised(progId), std::make_shared<const Factory>(std::move(factory)));
}

void ObjectRegistry::Unregister(const QString& progId) {
    m_found.clear();
    m_factories.remove(Normalised(progId));
}

bool ObjectRegistry::IsRegistered(const QString& progId) const {
    return Find(progId) != nullptr;
}

ObjectRegistry::SharedFactory ObjectRegistry::Find(const QString& progId) const {
    const auto known = m_found.constFind(progId);
    if (known != m_found.constEnd())
        return *known;
    SharedFactory factory = m_factories.value(Normalised(progId));
    if (m_found.size() >= kRememberedSpellings)
        m_found.clear();
    m_found.insert(progId, factory);
    return factory;
}

ObjectRef ObjectRegistry::CreateObject(const QString& progId) const {
    const SharedFactory factory = Find(progId);
    if (!factory)
        throw RuntimeError::CantCreateObject();
    ObjectRef object;
    try {
        object = (*factory)();
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
