#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "host/app/ComposeWindow.h"
#include "host/app/MailClient.h"
#include "host/app/MainWindow.h"
#include "host/common/SettingsDialog.h"
#include "host/engine/ModuleLoader.h"
#include "host/engine/Registration.h"
#include "host/mailhelper/QxMAPIUtils.h"
#include "platform/IniSettingsStore.h"
#include "platform/QtDialogs.h"
#include "schedule/Globals.h"
#include "schedule/RemindTimer.h"
#include "store/CReminderItem.h"
#include "store/CReminderItems.h"
#include "tests/app/MailClientFixture.h"
#include "tests/support/FakeEnv.h"

namespace {

using host::app::MailClient;
using host::app::MainWindow;
using host::SettingsDialog;
using Shown = testing_support::RecordingMessageBoxes::Shown;

const QString kRemoveHelp = QStringLiteral(
    "Tick this and a reminder ends by itself when its recipient answers: a message from that "
    "address with a matching subject arrives in the Inbox. Untick it to keep every reminder "
    "until you dismiss it.");

// The program's mail client over a fresh data folder with the real add-in
// started in it; the settings dialog loads the real options page library.
class SettingsDialogTest : public app_testing::MailClientTest {
protected:
    QAction* SettingsCommand() { return Main().findChild<QAction*>("actChasewellSettings"); }
    template <class T>
    static T* Control(SettingsDialog* dialog, const char* name) {
        return dialog->findChild<T*>(QLatin1String(name));
    }
    static void Click(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }
    QString Stored(const QString& key) {
        return env.settings.Value(host::kSettingsApplicationName, Globals::kSection, key)
            .value_or("<missing>");
    }
    // Sends a message with a reminder for its one recipient.
    void SendWithReminder(const QString& to, const QString& subject) {
        host::app::ComposeWindow* window = client.NewMessage();
        QApplication::setActiveWindow(window);
        window->to()->setText(to);
        window->subject()->setText(subject);
        window->findChild<QAction*>("cmdSendWithReminder")->trigger();
    }
    void ReplyArrives(const QString& subject) {
        for (const auto& item : client.Model()->DefaultFolder(client::olFolderSentMail)->Contents())
            if (item->Subject() == subject) {
                QString error;
                ASSERT_TRUE(client.MakeReplyArrive(
                    std::dynamic_pointer_cast<host::HostMailItem>(item), error));
                return;
            }
        FAIL() << "no sent message " << subject.toStdString();
    }
    // Lets closed dialogs go, as the event loop would.
    static void DeleteClosed() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

TEST_F(SettingsDialogTest, TheToolsMenuAndItsShortcutOpenTheDialogWithTheOptionsPage) {
    QMenu* tools = Main().menuBar()->findChild<QMenu*>("mnuTools");
    ASSERT_NE(tools, nullptr);
    EXPECT_EQ(tools->title(), "&Tools");
    ASSERT_EQ(tools->actions().size(), 1);
    QAction* command = tools->actions().front();
    EXPECT_EQ(command, SettingsCommand());
    EXPECT_EQ(command->text(), "Chasewell &Settings...");
    EXPECT_EQ(command->shortcut(), QKeySequence("Ctrl+,"));

    Main().show();
    QApplication::setActiveWindow(&Main());
    QTest::keyClick(&Main(), Qt::Key_Comma, Qt::ControlModifier);
    auto* dialog = Main().findChild<SettingsDialog*>("SettingsDialog");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(dialog->windowTitle(), "Chasewell Settings");
    ASSERT_NE(dialog->Page(), nullptr);
    EXPECT_EQ(dialog->Page()->Widget()->objectName(), "UC1");
    EXPECT_EQ(dialog->lblPageError, nullptr);
    EXPECT_TRUE(Control<QCheckBox>(dialog, "chkIgnoreCCRecipients")->isChecked());
    EXPECT_FALSE(dialog->cmdApply->isEnabled());
    EXPECT_TRUE(dialog->cmdOK->isEnabled());

    // While it is open, the command brings the same dialog forward.
    command->trigger();
    EXPECT_EQ(Main().OpenSettings(), dialog);
    EXPECT_EQ(Main().findChildren<SettingsDialog*>().size(), 1);
}

TEST_F(SettingsDialogTest, RemovalTurnedOnInTheDialogEndsTheNextAnsweredReminderWithoutARestart) {
    SendWithReminder("pat@example.com", "Contract renewal");
    ASSERT_EQ(Globals::m_ReminderItems->Count(), 1);
    // Removal is off by default: an answer leaves the reminder.
    ReplyArrives("Contract renewal");
    ASSERT_EQ(Globals::m_ReminderItems->Count(), 1);

    SettingsCommand()->trigger();
    SettingsDialog* dialog = Main().OpenSettings();
    QCheckBox* remove = Control<QCheckBox>(dialog, "chkRemove");
    EXPECT_FALSE(remove->isChecked());
    Click(remove);
    EXPECT_TRUE(dialog->cmdApply->isEnabled());
    dialog->cmdApply->click();
    EXPECT_FALSE(dialog->cmdApply->isEnabled());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Stored("Remove"), "1");

    ReplyArrives("Contract renewal");
    EXPECT_EQ(Globals::m_ReminderItems->Count(), 0);
    EXPECT_TRUE(client.Log().Errors().empty());
}

TEST_F(SettingsDialogTest, OkAppliesAndClosesWhileCancelDiscardsTheEdits) {
    QPointer<SettingsDialog> dialog = Main().OpenSettings();
    Control<QLineEdit>(dialog, "txtDays")->setText("3");
    EXPECT_TRUE(dialog->cmdApply->isEnabled());
    dialog->cmdCancel->click();
    EXPECT_EQ(Stored("Days"), "<missing>");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(Control<QLineEdit>(dialog, "txtDays")->text(), "7");
    DeleteClosed();
    EXPECT_TRUE(dialog.isNull());

    dialog = Main().OpenSettings();
    Control<QLineEdit>(dialog, "txtDays")->setText("3");
    Control<QLineEdit>(dialog, "txtTimeOfDay")->setText("0730");
    dialog->cmdOK->click();
    EXPECT_EQ(Stored("Days"), "3");
    EXPECT_EQ(Stored("TimeOfDay"), "07:30");
    EXPECT_FALSE(dialog->isVisible());
    DeleteClosed();
    EXPECT_TRUE(dialog.isNull());

    // A new opening shows what is stored now; the close box cancels.
    Globals::SaveSetting(Globals::kSection, "Days", "5");
    dialog = Main().OpenSettings();
    QLineEdit* days = Control<QLineEdit>(dialog, "txtDays");
    EXPECT_EQ(days->text(), "5");
    days->setText("8");
    dialog->close();
    EXPECT_EQ(Stored("Days"), "5");
    EXPECT_EQ(days->text(), "5");
}

TEST_F(SettingsDialogTest, TheHelpAreaShowsHotHelpAndLeavingAControlLetsItBeSentAgain) {
    SettingsDialog* dialog = Main().OpenSettings();
    QCheckBox* remove = Control<QCheckBox>(dialog, "chkRemove");
    QLineEdit* days = Control<QLineEdit>(dialog, "txtDays");
    QTest::mouseMove(remove, QPoint(8, remove->height() / 2));
    EXPECT_EQ(dialog->lblHotHelp->text(), kRemoveHelp);

    // The page sends a control's help once; a move within it sends nothing.
    dialog->lblHotHelp->clear();
    QTest::mouseMove(remove, QPoint(12, remove->height() / 2));
    EXPECT_EQ(dialog->lblHotHelp->text(), "");
    // Once the mouse has left the control, coming back sends it again.
    QTest::mouseMove(dialog->lblHotHelp);
    EXPECT_EQ(dialog->lblHotHelp->text(), "");
    QTest::mouseMove(remove, QPoint(8, remove->height() / 2));
    EXPECT_EQ(dialog->lblHotHelp->text(), kRemoveHelp);
    QTest::mouseMove(days);
    EXPECT_EQ(dialog->lblHotHelp->text(),
              "How many days after sending a reminder falls due. Type a whole number; 0 reminds "
              "you the same day.");

    // A change empties the help area.
    Click(remove);
    EXPECT_EQ(dialog->lblHotHelp->text(), "");
}

TEST_F(SettingsDialogTest, AnApplyThatCannotBeSavedNamesTheFileAndKeepsTheDialogOpen) {
    // A settings folder that cannot be made: its parent is a file.
    QFile blocker(folder.File("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    platform::IniSettingsStore store(folder.File("blocker/config"));
    env.env.settings = &store;

    SettingsDialog* dialog = Main().OpenSettings();
    Click(Control<QCheckBox>(dialog, "chkRemove"));
    const QString said = "Chasewell could not save its settings.\n\nCould not create " +
                         folder.File("blocker/config") +
                         ": Not a directory.\n\nYour changes are still here: press Apply to try "
                         "again, or Cancel to leave the settings as they were.";
    dialog->cmdApply->click();
    EXPECT_EQ(env.messageBoxes.shown, (std::vector<Shown>{{said, "Chasewell Settings"}}));
    EXPECT_TRUE(dialog->cmdApply->isEnabled());
    EXPECT_TRUE(dialog->Page()->Dirty());
    dialog->cmdOK->click();
    EXPECT_EQ(env.messageBoxes.shown.size(), 2u);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(Control<QCheckBox>(dialog, "chkRemove")->isChecked());
}

TEST_F(SettingsDialogTest, APageLibraryThatCannotBeLoadedIsSaidInTheDialog) {
    SettingsDialog dialog(&Main(), folder.File("missing.so"));
    EXPECT_EQ(dialog.Page(), nullptr);
    ASSERT_NE(dialog.lblPageError, nullptr);
    EXPECT_TRUE(dialog.lblPageError->text().startsWith("Cannot load the property page library \"" +
                                                       folder.File("missing.so") + "\"."))
        << dialog.lblPageError->text().toStdString();
    dialog.show();
    dialog.cmdOK->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(env.messageBoxes.shown.empty());
}

// Renders the dialog for the documentation when CHASEWELL_SCREENSHOT names
// the file to write (docs/settings-dialog.png); skipped otherwise.
TEST_F(SettingsDialogTest, Screenshot) {
    const QString path = qEnvironmentVariable("CHASEWELL_SCREENSHOT");
    if (path.isEmpty())
        GTEST_SKIP() << "set CHASEWELL_SCREENSHOT to the file to write";
    SettingsDialog* dialog = Main().OpenSettings();
    QCheckBox* remove = Control<QCheckBox>(dialog, "chkRemove");
    Click(remove);
    QTest::mouseMove(Control<QLineEdit>(dialog, "txtDays"));
    QTest::mouseMove(remove, QPoint(8, remove->height() / 2));
    dialog->adjustSize();
    ASSERT_TRUE(dialog->grab().save(path));
}

}  // namespace
