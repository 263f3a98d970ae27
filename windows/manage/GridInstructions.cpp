#include "windows/manage/GridInstructions.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "platform/NamedControls.h"

using platform::Named;

GridInstructions GridInstructions::Build(const QList<QLabel*>& extra) {
    GridInstructions built;
    built.frameInstructions =
        Named(new QGroupBox(QStringLiteral("Instructions")), "frameInstructions");
    built.Label1 = Named(
        new QLabel(QStringLiteral("Hold the control or shift key down to select multiple rows.")),
        "Label1");
    built.Label2 = Named(
        new QLabel(QStringLiteral("Click on any column header to sort by that column.")), "Label2");
    built.Label3 = Named(new QLabel(QStringLiteral("Double click any row to edit notes, the "
                                                   "reminder time, or the color.")),
                         "Label3");
    auto* layout = new QVBoxLayout(built.frameInstructions);
    for (QLabel* label : QList<QLabel*>{built.Label1, built.Label2, built.Label3} + extra) {
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    layout->addStretch();
    return built;
}
