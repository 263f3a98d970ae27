#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>
#include <stdexcept>

#include "addin/contracts/HostEngine.h"

namespace host {

// The factory every module library exports:
//   extern "C" engine::IModuleAPI* Chasewell_CreateModule();
// It returns a new module the caller owns.
inline constexpr const char kModuleFactorySymbol[] = "Chasewell_CreateModule";

// Why a module library could not give a module.
class ModuleLoadError : public std::runtime_error {
public:
    // message: what failed, in a sentence; detail: the system's own text, or
    // empty. what() joins them.
    ModuleLoadError(const QString& message, const QString& detail);
    const QString& message() const { return m_message; }
    const QString& detail() const { return m_detail; }

private:
    QString m_message;
    QString m_detail;
};

// Loads the library at libraryPath and returns the function it exports as
// symbol. The library stays loaded for the rest of the process. libraryKind
// names the library in messages ("module library"), factoryKind its factory
// ("module factory"). Fails with ModuleLoadError:
//   'Cannot load the <libraryKind> "<path>".' (detail: the loader's reason)
//   'The <libraryKind> "<path>" has no <factoryKind> <symbol>.'
QFunctionPointer LoadFactory(const QString& libraryPath, const char* symbol,
                             const QString& libraryKind, const QString& factoryKind);

// Loads the library at libraryPath, calls its factory and returns the module,
// owned by the result. The library stays loaded for the rest of the process:
// a module may leave callbacks behind (timers, registered classes, windows)
// that must never point into unloaded code.
//
// Fails with ModuleLoadError:
//   'Cannot load the module library "<path>".' (detail: the loader's reason)
//   'The module library "<path>" has no module factory Chasewell_CreateModule.'
//   'The module factory of "<path>" made no module.'
std::shared_ptr<engine::IModuleAPI> LoadModule(const QString& libraryPath);

}  // namespace host
