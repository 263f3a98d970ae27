// The options page library's exported factory: the engine's settings dialog
// loads the library and creates the page through it (see PropertyPage.h).

#include "options/PropertyPage.h"
#include "options/UC1.h"

extern "C" __attribute__((visibility("default"))) options::PropertyPage* ChasewellProp_CreatePage(
    QWidget* parent) {
    return new UC1(parent);
}
