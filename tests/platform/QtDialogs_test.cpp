#include "platform/QtDialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>

namespace {

// Plays the user of the next modal dialog of type Dialog: on each turn of the
// event loop it looks for one and hands it to `act`. A dialog that never
// appears is rejected after a fixed number of turns, so a broken test fails
// rather than hangs.
template <class Dialog>
class ModalPlayer {
public:
    explicit ModalPlayer(std::function<void(Dialog*)> act) : m_act(std::move(act)) {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Turn(); });
        m_timer.start();
    }
    bool played() const { return m_played; }

private:
    void Turn() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<Dialog*>(modal)) {
            m_timer.stop();
            m_played = true;
            m_act(dialog);
        } else if (++m_turns > 10000) {
            m_timer.stop();
            if (auto* other = qobject_cast<QDialog*>(modal))
                other->reject();
        }
    }
    std::function<void(Dialog*)> m_act;
    QTimer m_timer;
    int m_turns = 0;
    bool m_played = false;
};

TEST(QtMessageBoxesTest, ShowsTitleAndPlainTextWithOnlyAnOkButton) {
    QString title, text;
    Qt::TextFormat format = Qt::AutoText;
    int buttons = 0;
    ModalPlayer<QMessageBox> player([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        format = box->textFormat();
        buttons = int(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
    platform::QtMessageBoxes().Show("Reminder for <b>Budget</b> & more", "Chasewell");
    EXPECT_TRUE(player.played());
    EXPECT_EQ(title, "Chasewell");
    EXPECT_EQ(text, "Reminder for <b>Budget</b> & more");
    // Mail subjects are shown as written, never read as markup.
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(buttons, 1);
}

TEST(QtColourChooserTest, ReturnsWindowsColourValuesAndStartsFromTheLastOne) {
    platform::QtColourChooser chooser;
    QColor initial;
    {
        ModalPlayer<QColorDialog> player([&](QColorDialog* dialog) {
            initial = dialog->currentColor();
            dialog->setCurrentColor(QColor(0x12, 0x34, 0x56));
            dialog->accept();
        });
        // Red in the low byte, then green, then blue.
        EXPECT_EQ(chooser.ShowColor(), 0x563412);
    }
    EXPECT_EQ(initial, QColor(0, 0, 0));
    {
        ModalPlayer<QColorDialog> player([&](QColorDialog* dialog) {
            initial = dialog->currentColor();
            dialog->reject();
        });
        EXPECT_EQ(chooser.ShowColor(), std::nullopt);
    }
    EXPECT_EQ(initial, QColor(0x12, 0x34, 0x56));
}

TEST(QtWindowEffectsTest, ForegroundRestoresAMinimisedWindow) {
    QWidget window;
    auto* child = new QLineEdit(&window);
    window.showMinimized();
    ASSERT_TRUE(window.isMinimized());
    platform::QtWindowEffects().SetForegroundWindow(child);
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.isVisible());
    platform::QtWindowEffects().SetForegroundWindow(nullptr);
}

TEST(QtWindowEffectsTest, ForegroundLeavesTheKeyboardWhereTheUserIsTyping) {
    QWidget message;
    auto* body = new QLineEdit(&message);
    message.show();
    message.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&message));
    body->setFocus();

    QWidget alarm;
    platform::QtWindowEffects().SetForegroundWindow(&alarm);
    EXPECT_TRUE(alarm.isVisible());
    QTest::keyClicks(static_cast<QWidget*>(nullptr), "typed on");
    EXPECT_EQ(QApplication::activeWindow(), &message);
    EXPECT_EQ(body->text(), "typed on");
    EXPECT_FALSE(alarm.testAttribute(Qt::WA_ShowWithoutActivating)) << "left as it was";

    // Nobody typing: the window takes the keyboard.
    QWidget list;
    list.show();
    list.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
    platform::QtWindowEffects().SetForegroundWindow(&alarm);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&alarm));
}

// A window with buttons named by accelerators and a control that records keys.
class KeyWindow : public QWidget {
public:
    KeyWindow() {
        auto* layout = new QVBoxLayout(this);
        for (const char* text :
             {"&Snooze", "E&xit", "&Dismiss", "&Hidden", "Fish && Chips", "Save && &Close"}) {
            auto* button = new QPushButton(QString::fromLatin1(text), this);
            layout->addWidget(button);
            QObject::connect(button, &QPushButton::clicked,
                             [this, text] { clicked.append(QString::fromLatin1(text)); });
            buttons.append(button);
        }
        buttons[2]->setEnabled(false);
        edit = new QLineEdit(this);
        layout->addWidget(edit);
        edit->setFocus();
        show();
        buttons[3]->hide();
    }
    QStringList clicked;
    QList<QPushButton*> buttons;
    QLineEdit* edit;
};

class KeyRecorder : public QWidget {
public:
    struct Key {
        QEvent::Type type;
        int key;
        Qt::KeyboardModifiers modifiers;
        bool operator==(const Key&) const = default;
    };
    std::vector<Key> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        keys.push_back({event->type(), event->key(), event->modifiers()});
    }
    void keyReleaseEvent(QKeyEvent* event) override {
        keys.push_back({event->type(), event->key(), event->modifiers()});
    }
};

void DeliverPosted() {
    QCoreApplication::sendPostedEvents();
}

TEST(QtWindowEffectsTest, AltLetterClicksTheButtonItNames) {
    KeyWindow window;
    platform::QtWindowEffects effects;
    effects.SendKeys(&window, "%x", true);
    EXPECT_EQ(window.clicked, QStringList{"E&xit"});
    effects.SendKeys(&window, "%C", true);
    EXPECT_EQ(window.clicked, (QStringList{"E&xit", "Save && &Close"}));
    // Disabled and hidden buttons cannot be reached.
    effects.SendKeys(&window, "%d", true);
    effects.SendKeys(&window, "%h", true);
    DeliverPosted();
    EXPECT_EQ(window.clicked.size(), 2);

    // Without waiting, the click comes from the event loop.
    effects.SendKeys(&window, "%s", false);
    EXPECT_EQ(window.clicked.size(), 2);
    DeliverPosted();
    EXPECT_EQ(window.clicked.last(), "&Snooze");
}

TEST(QtWindowEffectsTest, KeysGoToTheFocusedControl) {
    QWidget window;
    auto* recorder = new KeyRecorder;
    recorder->setParent(&window);
    recorder->setFocusPolicy(Qt::StrongFocus);
    recorder->setFocus();
    platform::QtWindowEffects effects;
    using Key = KeyRecorder::Key;
    const std::vector<Key> ctrlEnter = {{QEvent::KeyPress, Qt::Key_Return, Qt::ControlModifier},
                                        {QEvent::KeyRelease, Qt::Key_Return, Qt::ControlModifier}};
    effects.SendKeys(&window, "^{ENTER}", true);
    EXPECT_EQ(recorder->keys, ctrlEnter);

    recorder->keys.clear();
    effects.SendKeys(&window, "^{enter}", false);
    EXPECT_TRUE(recorder->keys.empty());
    DeliverPosted();
    EXPECT_EQ(recorder->keys, ctrlEnter);

    // Forms this does not know are ignored whole.
    recorder->keys.clear();
    for (const char* keys : {"{NOSUCH}", "ab(cd)", "{ENTER", "^", "a}"})
        effects.SendKeys(&window, keys, true);
    DeliverPosted();
    EXPECT_TRUE(recorder->keys.empty());
}

TEST(QtWindowEffectsTest, PlainCharactersAndEnterType) {
    KeyWindow window;
    int returns = 0;
    QObject::connect(window.edit, &QLineEdit::returnPressed, [&] { ++returns; });
    platform::QtWindowEffects().SendKeys(&window, "ab+c{+}~{ENTER}", true);
    EXPECT_EQ(window.edit->text(), "abC+");
    EXPECT_EQ(returns, 2);
    EXPECT_TRUE(window.clicked.isEmpty());
}

}  // namespace
