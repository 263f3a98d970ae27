#pragma once

#include <QString>

#include "addin/contracts/PropertyPage.h"

class QWidget;

namespace host {

// Loads the property page library at libraryPath (kept loaded for the rest
// of the process, like a module library) and creates its page through the
// exported factory, as a child of parent. The page's widget belongs to
// parent, or to the caller when parent is null.
//
// Fails with ModuleLoadError (see ModuleLoader.h):
//   'Cannot load the property page library "<path>".' (detail: the loader's reason)
//   'The property page library "<path>" has no page factory ChasewellProp_CreatePage.'
//   'The page factory of "<path>" made no page.'
engine::PropertyPage* LoadPropertyPage(const QString& libraryPath, QWidget* parent);

}  // namespace host
