#pragma once

#include <memory>

#include "host/engine/EngineLog.h"
#include "host/engine/HxGlobal.h"
#include "platform/ObjectRegistry.h"

namespace host {

// Registers the engine's creatable classes: the global object (always the
// given instance) and the trace log (a new one per creation, writing into
// the global's log).
void RegisterEngineClasses(platform::ObjectRegistry& registry, std::shared_ptr<HxGlobal> global,
                           EngineLog& log);

}  // namespace host
