#pragma once

#include <QLabel>
#include <QTextDocument>
#include <QWidget>

namespace platform {

// Every control of the add-in's windows and of the options page is a member
// named as the window names it, with the same Qt objectName, so that tests
// and scripts find it by that name.
template <class T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A label showing text that comes from mail (an address, a subject, a note):
// never read as markup, and selectable so it can be copied.
inline QLabel* ValueLabel(const char* name) {
    auto* label = Named(new QLabel, name);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// A tooltip that shows text from mail as it is. Qt renders a tooltip as
// markup whenever its text looks like markup, so a subject such as
// "<b>Offer</b>" would come up bold, and a crafted one could lay out a
// tooltip of its own choosing. Such text is escaped (line breaks kept); any
// other text is handed on unchanged.
inline QString PlainToolTip(const QString& text) {
    if (!Qt::mightBeRichText(text))
        return text;
    return Qt::convertFromPlainText(text, Qt::WhiteSpacePre);
}

}  // namespace platform
