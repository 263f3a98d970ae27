#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QWindow>

#include "tests/windows/ManageFixture.h"

namespace {

using host::ErrorReportRecord;
using testing_support::ManageFixture;
using testing_support::ModalPlayer;

class FrmDisplayExTest : public ManageFixture {
protected:
    FrmDisplayExTest() {
        pat = AddReminder("pat@example.com", "Budget", "3/8/2024 9:00:15 AM");
        log.Clear();
    }

    // The window over the reminder, shown modeless, ItemChanged counted.
    std::unique_ptr<frmDisplayEx> Show(const std::shared_ptr<CReminderItem>& reminder,
                                       const QString& next = "3/8/2024 09:00 AM") {
        auto window = std::make_unique<frmDisplayEx>();
        QObject::connect(window.get(), &frmDisplayEx::ItemChanged, [this] { ++itemChanged; });
        window->setMyNextReminderTime(next);
        window->setMyReminderInstance(reminder);
        window->show();
        return window;
    }
    static void Type(frmDisplayEx& window, const QString& text) {
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        window.txtNote->setFocus();
        window.txtNote->moveCursor(QTextCursor::End);
        QTest::keyClicks(window.txtNote, text);
    }

    std::shared_ptr<CReminderItem> pat;
};

TEST_F(FrmDisplayExTest, LoadingShowsTheReminderInTheWindowsLayout) {
    auto window = Show(pat);
    EXPECT_EQ(window->windowTitle(), "Chasewell Created");
    EXPECT_EQ(window->Frame1->title(), "Chasewell Details");
    EXPECT_EQ(LabelText(window.get(), "Label3"), "Chasewell Date:");
    EXPECT_EQ(LabelText(window.get(), "lblNew"), "3/8/2024 09:00 AM");
    EXPECT_EQ(LabelText(window.get(), "Label1"), "Note: Next reminder will occur on:");
    EXPECT_EQ(LabelText(window.get(), "lblNext"), "3/8/2024 09:00 AM");
    EXPECT_EQ(LabelText(window.get(), "Label2"), "Add Notes:");
    EXPECT_EQ(Note(window.get())->toPlainText(), "call pat@example.com");
    EXPECT_EQ(Note(window.get())->palette().color(QPalette::Text), QColor(255, 0, 0));
    EXPECT_EQ(Button(window.get(), "cmdChangeColors")->text(), "C&hange Colors...");
    EXPECT_EQ(Button(window.get(), "cmdDate")->text(), "&Change Date Or Time...");
    EXPECT_EQ(Button(window.get(), "cmdOk")->text(), "E&xit");
    EXPECT_FALSE(window->Changed()) << "filling the controls is no change";

    for (const char* name : {"Label3", "lblNew", "Picture1", "Label2", "txtNote"})
        EXPECT_EQ(Control<QWidget>(window.get(), name)->parentWidget(), window->Frame1) << name;
    for (const char* name : {"cmdDate", "cmdChangeColors"})
        EXPECT_EQ(Control<QWidget>(window.get(), name)->parentWidget(), window->Picture1) << name;
    for (const char* name : {"Label1", "lblNext", "cmdOk"})
        EXPECT_EQ(Control<QWidget>(window.get(), name)->parentWidget(), window.get()) << name;
    EXPECT_LT(window->cmdDate->y(), window->cmdChangeColors->y());
    EXPECT_LT(window->lblNew->geometry().right(), window->Picture1->x());
    EXPECT_LT(window->Frame1->geometry().bottom(), window->cmdOk->y());
    EXPECT_GT(window->cmdOk->x(), window->lblNext->geometry().right());

    EXPECT_EQ(log.TraceMessages("frmDisplayEx.Form_Load"), std::vector<QString>{"Loading..."});
    EXPECT_EQ(env.windows.foreground, std::vector<QWidget*>{window.get()});
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(FrmDisplayExTest, ExitUntouchedRaisesNothingAndKeepsTheDateInItsDisplayForm) {
    pat->setNote("line one\r\nline two");
    auto window = Show(pat);
    QTest::mouseClick(window->cmdOk, Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->IsLoaded());
    EXPECT_EQ(itemChanged, 0);
    EXPECT_EQ(pat->ReminderDateText(), "3/8/2024 09:00 AM") << "the seconds are dropped";
    EXPECT_EQ(pat->Note(), "line one\r\nline two") << "line ends as they were";
    EXPECT_EQ(window->MyReminderInstance(), nullptr) << "released on unload";
}

TEST_F(FrmDisplayExTest, ANoteReachesTheReminderOnlyThroughExit) {
    auto window = Show(pat);
    Type(*window, ", then write");
    EXPECT_TRUE(window->Changed());
    window->windowHandle()->close();  // the close box
    EXPECT_EQ(itemChanged, 1);
    EXPECT_EQ(pat->Note(), "call pat@example.com");

    auto again = Show(pat);
    EXPECT_EQ(again->txtNote->toPlainText(), "call pat@example.com");
    Type(*again, ", then write");
    QTest::mouseClick(again->cmdOk, Qt::LeftButton);
    EXPECT_EQ(itemChanged, 2);
    EXPECT_EQ(pat->Note(), "call pat@example.com, then write");

    // Esc is no way out: it would lose what was typed.
    auto third = Show(pat);
    QTest::keyClick(third.get(), Qt::Key_Escape);
    EXPECT_TRUE(third->isVisible());
}

TEST_F(FrmDisplayExTest, AChosenColourTakesEffectAtOnceAndSurvivesTheCloseBox) {
    auto window = Show(pat);
    env.colours.answers = {std::nullopt, 0x336699};
    QTest::mouseClick(window->cmdChangeColors, Qt::LeftButton);
    EXPECT_EQ(pat->Color(), 255) << "cancelled";
    EXPECT_FALSE(window->Changed());

    QTest::mouseClick(window->cmdChangeColors, Qt::LeftButton);
    EXPECT_EQ(pat->Color(), 0x336699);
    EXPECT_EQ(window->txtNote->palette().color(QPalette::Text), QColor(0x99, 0x66, 0x33));
    window->windowHandle()->close();
    EXPECT_EQ(itemChanged, 1);
    EXPECT_EQ(pat->Color(), 0x336699);
}

TEST_F(FrmDisplayExTest, ADateChangedInTheDialogShowsAtOnceWithTheTimersNextTime) {
    env.clock.Set("2024-03-07T10:00:30");
    AddReminder("lee@example.com", "Plans", "3/9/2024 9:00:00 AM");
    RemindTimer::SetNextTimer();
    auto window = Show(pat, RemindTimer::NextReminderTime);
    ModalPlayer player;
    player.Then("frmChangeDate", [](QWidget* dialog) {
        Choose(dialog, QDate(2024, 3, 10), QTime(16, 45));
        ModalPlayer::QueueClick(dialog, "cmdOk");
    });
    QTest::mouseClick(window->cmdDate, Qt::LeftButton);
    ASSERT_TRUE(player.Done());
    EXPECT_EQ(LabelText(window.get(), "lblNew"), "3/10/2024 04:45 PM");
    EXPECT_EQ(LabelText(window.get(), "lblNext"), "3/9/2024 09:00 AM") << "lee is next now";
    EXPECT_TRUE(window->Changed());
    QTest::mouseClick(window->cmdOk, Qt::LeftButton);
    EXPECT_EQ(pat->ReminderDateText(), "3/10/2024 04:45 PM");
    EXPECT_EQ(itemChanged, 1);

    // Cancelled, the date stays and nothing counts as changed.
    auto again = Show(pat);
    ModalPlayer cancel;
    cancel.Then("frmChangeDate", [](QWidget* dialog) {
        Choose(dialog, QDate(2024, 3, 20), QTime(8, 0));
        ModalPlayer::QueueClick(dialog, "cmdCancel");
    });
    QTest::mouseClick(again->cmdDate, Qt::LeftButton);
    ASSERT_TRUE(cancel.Done());
    EXPECT_EQ(LabelText(again.get(), "lblNew"), "3/10/2024 04:45 PM");
    EXPECT_FALSE(again->Changed());
    QTest::mouseClick(again->cmdOk, Qt::LeftButton);
    EXPECT_EQ(pat->ReminderDateText(), "3/10/2024 04:45 PM");
    EXPECT_EQ(itemChanged, 1);
}

TEST_F(FrmDisplayExTest, TheAcceleratorsPressTheirButtons) {
    env.clock.Set("2024-03-07T10:00:30");
    auto window = Show(pat);
    const auto press = [&](Qt::Key key) {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), key, Qt::AltModifier);
    };
    press(Qt::Key_H);
    EXPECT_TRUE(QTest::qWaitFor([&] { return env.colours.shownCount == 1; }));
    ModalPlayer player;
    player.Then("frmChangeDate", [](QWidget* dialog) {
        Choose(dialog, QDate(2024, 3, 9), QTime(7, 30));
        ModalPlayer::QueueClick(dialog, "cmdOk");
    });
    press(Qt::Key_C);
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.Done(); }));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return LabelText(window.get(), "lblNew") == "3/9/2024 07:30 AM"; }));
    press(Qt::Key_X);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }));
    EXPECT_EQ(pat->ReminderDateText(), "3/9/2024 07:30 AM");
    EXPECT_EQ(itemChanged, 1);
}

TEST_F(FrmDisplayExTest, ThePositionIsRememberedInTwipsAndAPlaceOffEveryScreenIsNotUsed) {
    auto window = Show(pat);
    EXPECT_EQ(window->pos(), window->DesignTimePosition()) << "first use";
    window->move(100, 60);
    window->windowHandle()->close();
    EXPECT_EQ(Setting("Chasewell", "DisplayExLeft"), "1500");
    EXPECT_EQ(Setting("Chasewell", "DisplayExTop"), "900");

    auto again = Show(pat);
    EXPECT_EQ(again->pos(), QPoint(100, 60));
    again->close();

    // A screen since removed: the window opens where it can be seen.
    SetSetting("DisplayExLeft", "-60000");
    SetSetting("DisplayExTop", "90000");
    auto lost = Show(pat);
    EXPECT_EQ(lost->pos(), lost->DesignTimePosition());
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(lost->pos()));
    lost->close();

    // Only one of the two stored: no stored position.
    env.settings.Remove(host::kSettingsApplicationName, "Chasewell", "DisplayExTop");
    SetSetting("DisplayExLeft", "1500");
    auto half = Show(pat);
    EXPECT_EQ(half->pos(), half->DesignTimePosition());
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(FrmDisplayExTest, AStoredPositionThatIsNoNumberEndsTheLoadWithItsReport) {
    SetSetting("DisplayExLeft", "left");
    SetSetting("DisplayExTop", "900");
    auto window = Show(pat);
    EXPECT_EQ(log.Errors(),
              (std::vector<ErrorReportRecord>{{"Error occurred.  Reason: Type mismatch", 1,
                                               "Chasewell.frmDisplayEx.Form_Load"}}));
    EXPECT_EQ(window->pos(), window->DesignTimePosition());
    EXPECT_EQ(LabelText(window.get(), "lblNew"), "3/8/2024 09:00 AM") << "filled before";
}

TEST_F(FrmDisplayExTest, ALoadThatFailedEarlyWipesNeitherDateNorNote) {
    pat->setReminderDate("next week");
    auto window = Show(pat);
    EXPECT_EQ(log.Errors(),
              (std::vector<ErrorReportRecord>{{"Error occurred.  Reason: Type mismatch", 1,
                                               "Chasewell.frmDisplayEx.Form_Load"}}));
    EXPECT_EQ(LabelText(window.get(), "lblNew"), "");
    QTest::mouseClick(window->cmdOk, Qt::LeftButton);
    EXPECT_EQ(pat->ReminderDateText(), "next week");
    EXPECT_EQ(pat->Note(), "call pat@example.com");

    // Without a reminder, Exit only closes.
    auto none = Show(nullptr);
    QTest::mouseClick(none->cmdOk, Qt::LeftButton);
    EXPECT_FALSE(none->isVisible());
    EXPECT_EQ(log.Errors().size(), 2u);
    EXPECT_EQ(log.Errors().back().message,
              "Error occurred.  Reason: Object variable or With block variable not set");
}

}  // namespace
