#pragma once

// The contract between a property page and the engine's settings dialog
// that hosts it. The dialog loads the page's library, creates the page through the
// exported factory below and from then on talks to it only through this
// interface; the page calls the dialog back late-bound, by operation name
// (see UC1.h), so the two are built and linked apart.

#include <QString>
#include <QVariant>

class QObject;
class QWidget;

namespace engine {

class PropertyPage {
public:
    virtual ~PropertyPage() = default;

    // The control to place in the dialog.
    virtual QWidget* Widget() = 0;
    // The dialog to call back; may be empty.
    virtual void SetHost(QObject* theHost) = 0;
    // True once the user changed a value since the last load or apply.
    virtual bool Dirty() const = 0;
    // The page's write-only Enabled property: enables or disables its
    // controls.
    virtual void setEnabled(bool newEnabled) = 0;
    // Shows the stored values again, discarding edits. Reports its own errors
    // to the user.
    virtual void LoadValues() = 0;
    // Saves the values. Traps nothing: a failure reaches the caller as a
    // platform::RuntimeError (or another exception).
    virtual void Apply() = 0;
    // A message from the dialog; the page answers "ok".
    virtual QString SendPropMessage(const QString& theMessage, const QVariant& theData) = 0;
};

// The factory a page library exports:
//   extern "C" engine::PropertyPage* ChasewellProp_CreatePage(QWidget* parent);
// It returns a new page whose widget is a child of parent (so parent owns
// it), or owned by the caller when parent is null.
inline constexpr const char kPageFactorySymbol[] = "ChasewellProp_CreatePage";
using PageFactory = PropertyPage* (*)(QWidget* parent);

}  // namespace engine
