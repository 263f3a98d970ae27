#include "platform/QtDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <optional>
#include <vector>

#include "platform/WindowsColour.h"

namespace platform {

namespace {

// Dialogs need a widget application; without one (a console tool loading the
// add-in) there is nobody to show them to.
bool HaveWidgets() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

}  // namespace

void QtMessageBoxes::Show(const QString& text, const QString& title) {
    if (!HaveWidgets()) {
        qWarning("%s: %s", qUtf8Printable(title), qUtf8Printable(text));
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok,
                    QApplication::activeWindow());
    // Messages carry subjects and addresses from mail: never read them as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

std::optional<qint32> QtColourChooser::ShowColor() {
    if (!HaveWidgets())
        return std::nullopt;
    const QColor initial = ToQColor(m_current);
    const QColor chosen = QColorDialog::getColor(initial, QApplication::activeWindow());
    if (!chosen.isValid())
        return std::nullopt;
    m_current = FromQColor(chosen);
    return m_current;
}

namespace {

// A control the user types text into.
bool TakesTyping(const QWidget* widget) {
    return widget && (widget->inherits("QLineEdit") || widget->inherits("QTextEdit") ||
                      widget->inherits("QPlainTextEdit") || widget->inherits("QAbstractSpinBox"));
}

}  // namespace

void QtWindowEffects::SetForegroundWindow(QWidget* window) {
    if (!window)
        return;
    QWidget* top = window->window();
    if (top->isMinimized())
        top->setWindowState(top->windowState() & ~Qt::WindowMinimized);
    // While the user is typing in another window of the program (a message,
    // say), the window comes to the front without the keyboard: what is
    // being typed must go on reaching the window it is meant for.
    QWidget* active = QApplication::activeWindow();
    if (active && active != top && TakesTyping(QApplication::focusWidget())) {
        const bool wasWithoutActivating = top->testAttribute(Qt::WA_ShowWithoutActivating);
        top->setAttribute(Qt::WA_ShowWithoutActivating, true);
        top->show();
        top->raise();
        top->setAttribute(Qt::WA_ShowWithoutActivating, wasWithoutActivating);
        // Not every platform honours that: the keyboard goes back to the
        // window the user types in (it keeps its focused control).
        active->activateWindow();
        return;
    }
    top->show();
    top->raise();
    top->activateWindow();
}

namespace {

// One keystroke of a key string: "%x" is x with Alt, "^{ENTER}" Return with
// Control, "~" Return, "a" the letter.
struct Keystroke {
    int key = 0;
    Qt::KeyboardModifiers modifiers;
    QString text;
    QChar character;  // the character typed, for Alt+letter
};

std::optional<int> NamedKey(const QString& name) {
    static const struct {
        const char* name;
        int key;
    } kNames[] = {
        {"ENTER", Qt::Key_Return},
        {"TAB", Qt::Key_Tab},
        {"ESC", Qt::Key_Escape},
        {"ESCAPE", Qt::Key_Escape},
        {"BACKSPACE", Qt::Key_Backspace},
        {"BS", Qt::Key_Backspace},
        {"BKSP", Qt::Key_Backspace},
        {"DELETE", Qt::Key_Delete},
        {"DEL", Qt::Key_Delete},
        {"INSERT", Qt::Key_Insert},
        {"INS", Qt::Key_Insert},
        {"HOME", Qt::Key_Home},
        {"END", Qt::Key_End},
        {"UP", Qt::Key_Up},
        {"DOWN", Qt::Key_Down},
        {"LEFT", Qt::Key_Left},
        {"RIGHT", Qt::Key_Right},
        {"PGUP", Qt::Key_PageUp},
        {"PGDN", Qt::Key_PageDown},
        {"F1", Qt::Key_F1},
        {"F2", Qt::Key_F2},
        {"F3", Qt::Key_F3},
        {"F4", Qt::Key_F4},
        {"F5", Qt::Key_F5},
        {"F6", Qt::Key_F6},
        {"F7", Qt::Key_F7},
        {"F8", Qt::Key_F8},
        {"F9", Qt::Key_F9},
        {"F10", Qt::Key_F10},
        {"F11", Qt::Key_F11},
        {"F12", Qt::Key_F12},
    };
    for (const auto& entry : kNames)
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return entry.key;
    return std::nullopt;
}

Keystroke CharacterKey(QChar c, Qt::KeyboardModifiers modifiers) {
    Keystroke stroke;
    stroke.character = c;
    // Qt's key codes for printable characters are their upper-case code points.
    stroke.key = int(c.toUpper().unicode());
    if (c.isUpper())
        modifiers |= Qt::ShiftModifier;
    stroke.modifiers = modifiers;
    // Shift with a letter types the capital, as on a keyboard ("+a" is "A").
    if (!(modifiers & (Qt::ControlModifier | Qt::AltModifier)))
        stroke.text = QString((modifiers & Qt::ShiftModifier) ? c.toUpper() : c);
    return stroke;
}

Keystroke NamedKeystroke(int key, Qt::KeyboardModifiers modifiers) {
    Keystroke stroke;
    stroke.key = key;
    stroke.modifiers = modifiers;
    if (!(modifiers & (Qt::ControlModifier | Qt::AltModifier))) {
        if (key == Qt::Key_Return)
            stroke.text = QStringLiteral("\r");
        if (key == Qt::Key_Tab)
            stroke.text = QStringLiteral("\t");
    }
    return stroke;
}

// The whole string, or nothing when any part of it is a form this does not
// know: half a key string is worse than none.
std::optional<std::vector<Keystroke>> ParseKeys(const QString& keys) {
    std::vector<Keystroke> strokes;
    Qt::KeyboardModifiers modifiers;
    for (qsizetype i = 0; i < keys.size();) {
        const QChar c = keys.at(i);
        if (c == u'+' || c == u'^' || c == u'%') {
            modifiers |= c == u'+'   ? Qt::ShiftModifier
                         : c == u'^' ? Qt::ControlModifier
                                     : Qt::AltModifier;
            ++i;
            continue;
        }
        if (c == u'{') {
            // "{}}" is a brace; otherwise the name runs to the next brace.
            const qsizetype close = keys.indexOf(u'}', i + 2);
            if (close < 0)
                return std::nullopt;
            const QString name = keys.mid(i + 1, close - i - 1);
            if (name.size() == 1) {
                strokes.push_back(CharacterKey(name.at(0), modifiers));
            } else if (const auto key = NamedKey(name)) {
                strokes.push_back(NamedKeystroke(*key, modifiers));
            } else {
                return std::nullopt;
            }
            i = close + 1;
        } else if (c == u'~') {
            strokes.push_back(NamedKeystroke(Qt::Key_Return, modifiers));
            ++i;
        } else if (c == u'(' || c == u')' || c == u'}') {
            return std::nullopt;
        } else {
            strokes.push_back(CharacterKey(c, modifiers));
            ++i;
        }
        modifiers = {};
    }
    if (modifiers)
        return std::nullopt;
    return strokes;
}

// The character after the first single '&' of a button's text.
QChar Mnemonic(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != u'&')
            continue;
        if (text.at(i + 1) == u'&') {
            ++i;
            continue;
        }
        return text.at(i + 1);
    }
    return QChar();
}

QAbstractButton* ButtonFor(QWidget* window, QChar letter) {
    const auto buttons = window->findChildren<QAbstractButton*>();
    for (QAbstractButton* button : buttons) {
        if (!button->isVisible() || !button->isEnabled())
            continue;
        const QChar mnemonic = Mnemonic(button->text());
        if (!mnemonic.isNull() && mnemonic.toCaseFolded() == letter.toCaseFolded())
            return button;
    }
    return nullptr;
}

}  // namespace

void QtWindowEffects::SendKeys(QWidget* window, const QString& keys, bool wait) {
    if (!window)
        return;
    const auto strokes = ParseKeys(keys);
    if (!strokes)
        return;
    // A keystroke may close and delete the window or the focused control.
    const QPointer<QWidget> guard(window);
    for (const Keystroke& stroke : *strokes) {
        if (!guard)
            return;
        // Alt with a letter is the window's accelerator: the button it names
        // is clicked, as the system's dialog manager would.
        const bool accelerator = (stroke.modifiers & Qt::AltModifier) &&
                                 !(stroke.modifiers & Qt::ControlModifier) &&
                                 !stroke.character.isNull();
        if (accelerator) {
            if (QAbstractButton* button = ButtonFor(window, stroke.character)) {
                if (wait)
                    button->click();
                else
                    QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
                continue;
            }
        }
        const QPointer<QWidget> target(window->focusWidget() ? window->focusWidget() : window);
        if (wait) {
            QKeyEvent press(QEvent::KeyPress, stroke.key, stroke.modifiers, stroke.text);
            QCoreApplication::sendEvent(target, &press);
            if (!target)
                continue;
            QKeyEvent release(QEvent::KeyRelease, stroke.key, stroke.modifiers, stroke.text);
            QCoreApplication::sendEvent(target, &release);
        } else {
            QCoreApplication::postEvent(
                target, new QKeyEvent(QEvent::KeyPress, stroke.key, stroke.modifiers, stroke.text));
            QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, stroke.key,
                                                              stroke.modifiers, stroke.text));
        }
    }
}

}  // namespace platform
