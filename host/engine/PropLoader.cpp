#include "host/engine/PropLoader.h"

#include "host/engine/ModuleLoader.h"

namespace host {

options::PropertyPage* LoadPropertyPage(const QString& libraryPath, QWidget* parent) {
    auto factory = reinterpret_cast<options::PageFactory>(
        LoadFactory(libraryPath, options::kPageFactorySymbol,
                    QStringLiteral("property page library"), QStringLiteral("page factory")));
    options::PropertyPage* page = factory(parent);
    if (!page)
        throw ModuleLoadError(
            QStringLiteral("The page factory of \"%1\" made no page.").arg(libraryPath), QString());
    return page;
}

}  // namespace host
