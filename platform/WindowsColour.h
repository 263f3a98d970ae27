#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>
#include <QtGlobal>

namespace platform {

// Reminders keep their colour as a Windows colour value, the form the
// original's colour chooser returned: red in the low byte, then green, then
// blue; the high byte is not used. Every window that shows or chooses a
// reminder's colour converts through these two.
inline QColor ToQColor(qint32 windowsColour) {
    return QColor(windowsColour & 0xFF, (windowsColour >> 8) & 0xFF, (windowsColour >> 16) & 0xFF);
}

inline qint32 FromQColor(const QColor& colour) {
    return qint32(colour.red() | (colour.green() << 8) | (colour.blue() << 16));
}

// Shows a control's text (a reminder's note) in a reminder's colour.
inline void SetTextColour(QWidget& control, qint32 windowsColour) {
    QPalette palette = control.palette();
    palette.setColor(QPalette::Text, ToQColor(windowsColour));
    control.setPalette(palette);
}

}  // namespace platform
