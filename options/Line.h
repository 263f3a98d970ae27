#pragma once

#include <QFrame>

namespace options {

// A line drawn on the page to set parts apart. Lines take no part in the
// page's Enabled property: they have nothing a user could use.
class Line : public QFrame {
public:
    explicit Line(Qt::Orientation orientation = Qt::Horizontal) {
        setFrameShape(orientation == Qt::Horizontal ? QFrame::HLine : QFrame::VLine);
        setFrameShadow(QFrame::Sunken);
    }
};

}  // namespace options
