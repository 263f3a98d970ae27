#include "host/engine/Registration.h"

namespace host {

void RegisterEngineClasses(platform::ObjectRegistry& registry, std::shared_ptr<HxGlobal> global,
                           EngineLog& log) {
    registry.Register(engine::kGlobalProgId, [global] { return global; });
    registry.Register(engine::kTraceLogProgId,
                      [&log] { return std::make_shared<HxTraceLog>(log); });
}

}  // namespace host
