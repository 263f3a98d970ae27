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

QFunctionPointer LoadFactory(const QString& libraryPath, const char* symbol,
                             const QString& libraryKind, const QString& factoryKind) {
    QLibrary library(libraryPath);
    library.setLoadHints(QLibrary::PreventUnloadHint);
    if (!library.load())
        throw ModuleLoadError(
            QStringLiteral("Cannot load the %1 \"%2\".").arg(libraryKind, libraryPath),
            library.errorString());
    QFunctionPointer factory = library.resolve(symbol);
    if (!factory)
        throw ModuleLoadError(
            QStringLiteral("The %1 \"%2\" has no %3 %4.")
                .arg(libraryKind, libraryPath, factoryKind, QLatin1String(symbol)),
            QString());
    return factory;
}

std::shared_ptr<engine::IModuleAPI> LoadModule(const QString& libraryPath) {
    using Factory = engine::IModuleAPI* (*)();
    auto factory = reinterpret_cast<Factory>(LoadFactory(libraryPath, kModuleFactorySymbol,
                                                         QStringLiteral("module library"),
                                                         QStringLiteral("module factory")));
    std::shared_ptr<engine::IModuleAPI> module(factory());
    if (!module)
        throw ModuleLoadError(
            QStringLiteral("The module factory of \"%1\" made no module.").arg(libraryPath),
            QString());
    return module;
}

}  // namespace host
