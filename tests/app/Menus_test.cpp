// Every command is in a menu with a key, the add-in's included, and the
// add-in's buttons stay in sight however narrow the window.

#include <gtest/gtest.h>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSet>

#include "store/CReminderItem.h"
#include "tests/app/MailClientFixture.h"

namespace {

using namespace app_testing;

// Every command of a menu bar, submenus opened.
QList<QAction*> Commands(const QList<QAction*>& actions) {
    QList<QAction*> commands;
    for (QAction* action : actions) {
        if (action->menu())
            commands += Commands(action->menu()->actions());
        else if (!action->isSeparator())
            commands << action;
    }
    return commands;
}

QAction* Named(const QList<QAction*>& actions, const QString& text) {
    for (QAction* action : actions)
        if (QString(action->text()).remove('&') == text)
            return action;
    return nullptr;
}

void Activate(QWidget* window) {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

TEST_F(MailClientTest, EveryMainWindowCommandHasItsOwnKeyAndTheAddInsAreInTheRemindersMenu) {
    const QList<QAction*> commands = Commands(Main().menuBar()->actions());
    QSet<QString> keys;
    for (QAction* action : commands) {
        const QString key = action->shortcut().toString();
        EXPECT_FALSE(key.isEmpty()) << action->text().toStdString() << " has no key";
        EXPECT_FALSE(keys.contains(key)) << key.toStdString() << " twice";
        keys << key;
    }
    // The toolbar's commands are the menus' own.
    for (QToolBar* bar : {Main().toolBar(), Main().addinToolBar()}) {
        for (QAction* action : bar->actions()) {
            if (!action->isSeparator()) {
                EXPECT_TRUE(commands.contains(action)) << action->text().toStdString();
            }
        }
    }

    const QList<QAction*> reminders = Main().remindersMenu()->actions();
    ASSERT_EQ(reminders.size(), 2);
    EXPECT_EQ(Main().remindersMenu()->title(), "&Reminders");
    EXPECT_EQ(reminders[0]->text(), "View Reminders");
    EXPECT_EQ(reminders[0]->shortcut(), QKeySequence("Ctrl+Shift+R"));
    EXPECT_EQ(reminders[1]->text(), "Add Reminders");
    EXPECT_EQ(reminders[1]->shortcut(), QKeySequence("Ctrl+Shift+A"));
    EXPECT_EQ(Named(commands, "Send Again")->shortcut(), QKeySequence("F9"));
    EXPECT_EQ(Named(commands, "Chasewell Settings...")->shortcut(), QKeySequence("Ctrl+,"));
}

TEST_F(MailClientTest, TheAddInsKeysWorkFromTheKeyboard) {
    Activate(&Main());
    // Ctrl+2 goes to Sent Items; Ctrl+Shift+R opens the pending list.
    QTest::keyClick(&Main(), Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(Main().Explorer()->Folder(), Folder(client::olFolderSentMail));
    QTest::keyClick(&Main(), Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
    QWidget* pending = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == "frmViewReminders" && window->isVisible())
            pending = window;
    ASSERT_NE(pending, nullptr);
    pending->close();

    // In a compose window, Ctrl+Shift+Enter is "Send With Reminder".
    env.settings.SaveSetting(host::kSettingsApplicationName, Globals::kSection, "DisplayNext", "0");
    ComposeWindow* window = Compose("pat.jones@example.com", "Keyed reminder");
    Activate(window);
    window->body()->setFocus();
    QTest::keyClick(window, Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(WaitFor(
        [&] { return MailIn(Folder(client::olFolderSentMail), "Keyed reminder") != nullptr; }));
    ASSERT_EQ(Globals::m_ReminderItems->Count(), 1);
    EXPECT_EQ(Globals::m_ReminderItems->Item(1)->Subject(), "Keyed reminder");
}

TEST_F(MailClientTest, TheAddInsButtonsStayVisibleInANarrowWindow) {
    Main().show();
    Main().resize(200, 500);
    QCoreApplication::processEvents();
    EXPECT_GE(Main().width(), Main().addinToolBar()->sizeHint().width());
    for (QAction* action : Main().addinToolBar()->actions()) {
        QWidget* button = Main().addinToolBar()->widgetForAction(action);
        ASSERT_NE(button, nullptr);
        EXPECT_TRUE(button->isVisible()) << action->text().toStdString() << " went into overflow";
        EXPECT_TRUE(Main().addinToolBar()->rect().contains(button->geometry()))
            << action->text().toStdString();
    }
}

}  // namespace
