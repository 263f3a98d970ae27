#include "host/engine/ModuleLoader.h"

#include <QLibrary>

namespace host {

namespace {

std::string Joined(const QString& message, const QString& detail) {
    return (detail.isEmpty() ? message : message + QStringLiteral(" (") + detail + ')')
        .toStdString();
}

}  // namespace

ModuleLoadError::ModuleLoadError(const QString& message, const QString& detail)
    : std::runtime_error(Joined(message, detail)), m_message(message), m_detail(detail) {}

std::shared_ptr<engine::IModuleAPI> LoadModule(const QString& libraryPath) {
    using Factory = engine::IModuleAPI* (*)();
    QLibrary library(libraryPath);
    library.setLoadHints(QLibrary::PreventUnloadHint);
    if (!library.load())
        throw ModuleLoadError(
            QStringLiteral("Cannot load the module library \"%1\".").arg(libraryPath),
            library.errorString());
    auto factory = reinterpret_cast<Factory>(library.resolve(kModuleFactorySymbol));
    if (!factory)
        throw ModuleLoadError(QStringLiteral("The module library \"%1\" has no module factory %2.")
                                  .arg(libraryPath, QLatin1String(kModuleFactorySymbol)),
                              QString());
    std::shared_ptr<engine::IModuleAPI> module(factory());
    if (!module)
        throw ModuleLoadError(
            QStringLiteral("The module factory of \"%1\" made no module.").arg(libraryPath),
            QString());
    return module;
}

}  // namespace host
