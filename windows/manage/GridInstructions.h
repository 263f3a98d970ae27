#pragma once

#include <QList>

class QGroupBox;
class QLabel;

// The frame both grid windows show beside their reminder grid, titled
// "Instructions", with the three texts that say how the grid is used, each
// wrapped in the frame's column (objectNames frameInstructions, Label1,
// Label2, Label3). A window may add texts of its own below them.
struct GridInstructions {
    QGroupBox* frameInstructions;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;

    // The frame with the three texts; extra labels go below them, in order.
    static GridInstructions Build(const QList<QLabel*>& extra = {});
};
