#pragma once

#include <QString>

namespace host {

// Where the program finds a library of its own (libChasewell.so,
// libChasewellProp.so): beside the program, as in the build folder, or else
// in the program's private library folder, where cmake --install puts them
// (<prefix>/lib/chasewell, reached from <prefix>/bin by the relative path
// the build was configured with, so an installed tree may be moved).
QString ProgramLibrary(const QString& fileName);

}  // namespace host
