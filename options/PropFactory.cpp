// The options page library's exported factory: the engine's settings dialog
// loads the library and creates the page through it (see PropertyPage.h).

#include "addin/contracts/PropertyPage.h"
#include "options/UC1.h"

extern "C" __attribute__((visibility("default"))) engine::PropertyPage* ChasewellProp_CreatePage(
    QWidget* parent) {
    return new UC1(parent);
}
