#pragma once

#include "platform/ColourChooser.h"
#include "platform/MessageBoxes.h"
#include "platform/WindowEffects.h"

namespace platform {

// Message boxes as modal QMessageBox with an OK button; the text is shown as
// plain text, never as markup.
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
// SetForegroundWindow brings the window to the front and activates it,
// except while the user types in another window of the program (a text
// control has the focus there): then it only comes to the front, and the
// keyboard stays where the user is typing.
// SendKeys understands the key-string forms: characters, "{NAME}" keys
// ("{ENTER}", "{TAB}", "{ESC}", ...), "~" for Enter, and "+", "^", "%" for
// Shift, Control and Alt on the next key. Alt with a letter clicks the
// visible, enabled button whose text names that letter as its accelerator
// ("&x"); other keys go to the window's focused control as a press and a
// release. With wait they are delivered before SendKeys returns, otherwise
// through the event loop. A string holding any form not understood is
// ignored whole.
class QtWindowEffects : public WindowEffects {
public:
    void SetForegroundWindow(QWidget* window) override;
    void SendKeys(QWidget* window, const QString& keys, bool wait) override;
};

}  // namespace platform
