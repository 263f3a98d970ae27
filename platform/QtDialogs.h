#pragma once

#include "platform/ColourChooser.h"
#include "platform/MessageBoxes.h"
#include "platform/WindowEffects.h"

namespace platform {

// Message boxes as modal QMessageBox with an OK button.
class QtMessageBoxes : public MessageBoxes {
public:
    void Show(const QString& text, const QString& title) override;
};

// The colour chooser as a modal QColorDialog, starting from the colour it
// last returned.
class QtColourChooser : public ColourChooser {
public:
    std::optional<qint32> ShowColor() override;

private:
    qint32 m_current = 0;
};

// Raising and activating windows and posting key events with Qt's means.
class QtWindowEffects : public WindowEffects {
public:
    void SetForegroundWindow(QWidget* window) override;
    void SendKeys(QWidget* window, const QString& keys, bool wait) override;
};

}  // namespace platform
