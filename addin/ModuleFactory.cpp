// The add-in library's exported factory: the engine loads the library and
// creates the module through it. The caller owns the module.

#include "addin/CChasewell.h"
#include "windows/AddinWindows.h"

extern "C" __attribute__((visibility("default"))) engine::IModuleAPI* Chasewell_CreateModule() {
    InstallAddinWindows();
    return new CChasewell();
}
