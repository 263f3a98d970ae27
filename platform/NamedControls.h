#pragma once

#include <QLabel>
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

}  // namespace platform
