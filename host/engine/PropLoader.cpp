#include "host/engine/PropLoader.h"

#include "host/engine/ModuleLoader.h"

namespace host {

engine::PropertyPage* LoadPropertyPage(const QString& libraryPath, QWidget* parent) {
    auto factory = reinterpret_cast<engine::PageFactory>(
        LoadFactory(libraryPath, engine::kPageFactorySymbol,
                    QStringLiteral("property page library"), QStringLiteral("page factory")));
    engine::PropertyPage* page = factory(parent);
    if (!page)
        throw ModuleLoadError(
            QStringLiteral("The page factory of \"%1\" made no page.").arg(libraryPath), QString());
    return page;
}

}  // namespace host
