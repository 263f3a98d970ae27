#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "options/Line.h"
#include "tests/options/PageFixture.h"

namespace options_testing {
namespace {

using Shown = testing_support::RecordingMessageBoxes::Shown;

TEST_F(PageTest, TheFirstShowLoadsValuesThenTheEnginesTextsAndCaptionsInTheirOrder) {
    Store("Days", "3");
    global->replacedTexts.insert("21", "Remove a reminder when its answer comes");
    Show();
    EXPECT_EQ(page.txtDays->text(), "3");
    EXPECT_EQ(
        global->calls,
        (QStringList{"LoadStringTable Chasewell", "GetString 0", "GetString 1", "GetString 2",
                     "GetString 2", "GetString 2", "GetString 4", "GetString 5", "GetString 5",
                     "GetString 6", "GetString 20", "GetString 21", "GetString 22", "GetString 23",
                     "GetString 24", "GetString 27", "GetString 28", "GetString 29"}));
    EXPECT_EQ(page.chkRemove->text(), "Remove a reminder when its answer comes");
    // The engine's own texts are the page's captions, word for word.
    EXPECT_EQ(page.frameSettings->title(), "General Settings");
    EXPECT_EQ(page.chkDisplayNextDate->text(),
              "Prompt for the next reminder date (when sending with the Chasewell button)");
    EXPECT_EQ(page.chkIgnoreCCRecipients->text(),
              "Ignore CC addresses (when sending with the Chasewell button)");
    EXPECT_EQ(page.chkDisplayIndividualReminders->text(),
              "Display individual reminder windows instead of grouping them");
    EXPECT_EQ(page.frameTimeOfDayForReminder->title(), "Default Reminder Occurrences");
    EXPECT_EQ(page.lblReminderOccursIn->text(), "By default, reminder occurs in");
    EXPECT_EQ(page.lblReminderOccursInUnits->text(), "day(s)");
    EXPECT_EQ(page.optUseNow->text(), "Reminder occurs at time of message sent");
    EXPECT_EQ(page.optUseTime->text(), "Reminders all occur at this time each day:");
    EXPECT_FALSE(page.Dirty());

    // Shown again (another tab and back), the page keeps the user's edits.
    Retype(page.txtDays, "12");
    page.hide();
    page.show();
    EXPECT_EQ(page.txtDays->text(), "12");
    EXPECT_TRUE(page.Dirty());
    EXPECT_EQ(global->calls.size(), 18);
}

TEST_F(PageTest, AShowThatFailsSaysSoKeepsTheBuiltCaptionsAndStillCountsChanges) {
    Store("Remove", "1");
    global->failStringTable = true;
    Show();
    EXPECT_EQ(Boxes(),
              (std::vector<Shown>{{"Error occurred.  Reason: File not found", "Chasewell"}}));
    EXPECT_TRUE(page.chkRemove->isChecked());
    EXPECT_EQ(page.chkRemove->text(), "Automatically remove reminders if response received");
    Click(page.chkDisplayNextDate);
    EXPECT_TRUE(page.Dirty());
}

TEST_F(PageTest, ATextTheEngineLacksLeavesTheCaptionAsBuilt) {
    global->missingTexts = QStringList{"20", "28"};
    Show();
    EXPECT_EQ(page.frameSettings->title(), "General Settings");
    EXPECT_EQ(page.optUseNow->text(), "Reminder occurs at time of message sent");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(PageTest, WithNothingStoredThePageShowsTheAddInsDefaults) {
    Show();
    EXPECT_FALSE(page.chkDisplayNextDate->isChecked());
    EXPECT_EQ(page.txtDays->text(), "7");
    EXPECT_EQ(page.txtTimeOfDay->text(), "8:00 AM");
    EXPECT_FALSE(page.optUseNow->isChecked());
    EXPECT_TRUE(page.optUseTime->isChecked());
    EXPECT_TRUE(page.txtTimeOfDay->isEnabled());
    EXPECT_FALSE(page.chkRemove->isChecked());
    EXPECT_TRUE(page.chkIgnoreCCRecipients->isChecked());
    EXPECT_FALSE(page.chkDisplayIndividualReminders->isChecked());
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(PageTest, StoredValuesShowAsTheAddInReadsThem) {
    Store("DisplayNext", "1");
    Store("Days", "ten");
    Store("TimeOfDay", " 5:30 PM");
    Store("UseNow", "True");
    Store("Remove", "True");  // the add-in reads it as a boolean
    Store("IgnoreCCRecipients", "0");
    Store("DisplayIndividualReminders", "1");
    Show();
    EXPECT_TRUE(page.chkDisplayNextDate->isChecked());
    EXPECT_EQ(page.txtDays->text(), "ten");
    EXPECT_EQ(page.txtTimeOfDay->text(), " 5:30 PM");
    EXPECT_TRUE(page.optUseNow->isChecked());
    EXPECT_FALSE(page.optUseTime->isChecked());
    EXPECT_FALSE(page.txtTimeOfDay->isEnabled());
    EXPECT_TRUE(page.chkRemove->isChecked());
    EXPECT_FALSE(page.chkIgnoreCCRecipients->isChecked());
    EXPECT_TRUE(page.chkDisplayIndividualReminders->isChecked());
    EXPECT_TRUE(Boxes().empty());

    // UseNow as a number, or the word in another case.
    for (const auto& [stored, useNow] : std::vector<std::pair<QString, bool>>{
             {"0", false}, {"1", true}, {"false", false}, {"-1", true}}) {
        Store("UseNow", stored);
        page.LoadValues();
        EXPECT_EQ(page.optUseNow->isChecked(), useNow) << stored.toStdString();
        EXPECT_EQ(page.optUseTime->isChecked(), !useNow) << stored.toStdString();
        EXPECT_EQ(page.txtTimeOfDay->isEnabled(), !useNow) << stored.toStdString();
    }
}

TEST_F(PageTest, LoadingChangesTheControlsButNeverDirtiesNorTellsTheHost) {
    RecordingHost host;
    page.SetHost(&host);
    Show();
    host.calls.clear();
    Retype(page.txtDays, "2");
    Click(page.chkRemove);
    ASSERT_TRUE(page.Dirty());

    // Every control changes as the store is read again; no change counts.
    Store("DisplayNext", "1");
    Store("Days", "9");
    Store("TimeOfDay", "6:00 AM");
    Store("UseNow", "True");
    Store("IgnoreCCRecipients", "0");
    Store("DisplayIndividualReminders", "1");
    host.calls.clear();
    page.LoadValues();
    EXPECT_FALSE(page.Dirty());
    EXPECT_FALSE(host.calls.contains("OnStatusChange"));
    EXPECT_TRUE(page.chkDisplayNextDate->isChecked());
    EXPECT_EQ(page.txtDays->text(), "9");
    EXPECT_EQ(page.txtTimeOfDay->text(), "6:00 AM");
    EXPECT_TRUE(page.optUseNow->isChecked());
    EXPECT_FALSE(page.chkRemove->isChecked());  // the edit is gone
    EXPECT_FALSE(page.chkIgnoreCCRecipients->isChecked());
    EXPECT_TRUE(page.chkDisplayIndividualReminders->isChecked());
}

TEST_F(PageTest, AValueThatCannotBeReadIsSaidInABoxWhileTheOthersStillLoad) {
    Store("UseNow", "maybe");
    Store("Remove", "1");
    Store("IgnoreCCRecipients", "0");
    Store("Days", "4");
    Show();
    EXPECT_EQ(Boxes(), (std::vector<Shown>{{"Error occurred.  Reason: Type mismatch",
                                            "TandrelSoftware.LoadValues"}}));
    // The unreadable value shows the add-in's default; the rest are loaded,
    // so an Apply now keeps them.
    EXPECT_TRUE(page.optUseTime->isChecked());
    EXPECT_TRUE(page.chkRemove->isChecked());
    EXPECT_FALSE(page.chkIgnoreCCRecipients->isChecked());
    page.Apply();
    EXPECT_EQ(Stored("UseNow"), "False");
    EXPECT_EQ(Stored("Remove"), "1");
    EXPECT_EQ(Stored("IgnoreCCRecipients"), "0");
    EXPECT_EQ(Stored("Days"), "4");

    // Without the engine's global object nothing can be read; the box says
    // so under the add-in's own name.
    env.messageBoxes.shown.clear();
    env.objects.Unregister(engine::kGlobalProgId);
    page.LoadValues();
    EXPECT_EQ(Boxes(),
              (std::vector<Shown>{{"Error occurred.  Reason: ActiveX component can't create object",
                                   "Chasewell.LoadValues"}}));
    EXPECT_FALSE(page.Dirty());
}

TEST_F(PageTest, ApplyWritesEveryValueInTheFormTheAddInReads) {
    Show();
    Click(page.chkDisplayNextDate);
    Retype(page.txtDays, "two weeks");
    Click(page.chkIgnoreCCRecipients);
    Click(page.chkDisplayIndividualReminders);
    Click(page.optUseNow);
    Click(page.chkRemove);
    ASSERT_TRUE(page.Dirty());
    page.Apply();
    EXPECT_FALSE(page.Dirty());
    EXPECT_EQ(Stored("DisplayNext"), "1");
    EXPECT_EQ(Stored("Days"), "two weeks");  // as typed: the add-in decides
    EXPECT_EQ(Stored("IgnoreCCRecipients"), "0");
    EXPECT_EQ(Stored("DisplayIndividualReminders"), "1");
    EXPECT_EQ(Stored("TimeOfDay"), "8:00 AM");
    EXPECT_EQ(Stored("UseNow"), "True");
    EXPECT_EQ(Stored("Remove"), "1");

    Click(page.chkDisplayNextDate);
    Click(page.chkIgnoreCCRecipients);
    Click(page.chkDisplayIndividualReminders);
    Click(page.optUseTime);
    Click(page.chkRemove);
    page.Apply();
    EXPECT_EQ(Stored("DisplayNext"), "0");
    EXPECT_EQ(Stored("IgnoreCCRecipients"), "1");
    EXPECT_EQ(Stored("DisplayIndividualReminders"), "0");
    EXPECT_EQ(Stored("UseNow"), "False");
    EXPECT_EQ(Stored("Remove"), "0");
    // Days as typed, but said to be unusable while it is.
    EXPECT_EQ(Boxes(), (std::vector<Shown>{
                           {"The number of days \"two weeks\" is not a whole number from -32768 "
                            "to 32767.  Until it is, messages sent with a reminder get no "
                            "reminder.",
                            "Chasewell"},
                           {"The number of days \"two weeks\" is not a whole number from -32768 "
                            "to 32767.  Until it is, messages sent with a reminder get no "
                            "reminder.",
                            "Chasewell"}}));
    Retype(page.txtDays, "14");
    page.Apply();
    EXPECT_EQ(Stored("Days"), "14");
    EXPECT_EQ(Boxes().size(), 2u);
}

TEST_F(PageTest, SettingsLiveUnderTheApplicationNameAskedForAtEachAccess) {
    Show();
    global->appName = "OtherSoftware";
    Store("Days", "5");
    page.LoadValues();
    EXPECT_EQ(page.txtDays->text(), "5");
    global->appName = "ThirdSoftware";
    page.Apply();
    EXPECT_EQ(Stored("Days"), "5");
    EXPECT_EQ(env.settings.Value("OtherSoftware", "Chasewell", "Remove"), std::nullopt);
    // The section is the add-in's, whatever its letter case there.
    EXPECT_EQ(env.settings.Value("ThirdSoftware", "CHASEWELL", "Remove"), "0");
}

TEST_F(PageTest, AnApplyThatFailsReachesTheCallerAndLeavesThePageDirty) {
    Show();
    Click(page.chkRemove);
    env.settings.failWrites = true;
    EXPECT_EQ(testing_support::ErrorOf([&] { page.Apply(); }), "Permission denied");
    EXPECT_TRUE(page.Dirty());
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(PageTest, ApplyRepairsATimeOfDayOrResetsItBeforeSaving) {
    Show();
    struct Case {
        QString typed;
        QString saved;
        bool invalid;
    };
    const std::vector<Case> cases = {
        {"0800", "08:00", false},  {"1045 PM", "10:45 PM", false}, {" 9:15 AM", " 9:15 AM", false},
        {"17:30", "17:30", false}, {"xyz", "8:00 AM", true},       {"5", "8:00 AM", true},
        {"", "8:00 AM", true},     {"2561", "8:00 AM", true},
    };
    for (const Case& c : cases) {
        env.messageBoxes.shown.clear();
        Retype(page.txtTimeOfDay, c.typed);
        page.Apply();
        EXPECT_EQ(Stored("TimeOfDay"), c.saved) << c.typed.toStdString();
        EXPECT_EQ(page.txtTimeOfDay->text(), c.saved) << c.typed.toStdString();
        const std::vector<Shown> boxes =
            c.invalid ? std::vector<Shown>{{"Invalid Date", "Chasewell"}} : std::vector<Shown>{};
        EXPECT_EQ(Boxes(), boxes) << c.typed.toStdString();
        EXPECT_FALSE(page.Dirty());
    }
}

TEST_F(PageTest, LeavingTheTimeBoxRepairsItOrSaysInvalidDateAndKeepsTheFocus) {
    Show();
    QApplication::setActiveWindow(&page);
    page.txtTimeOfDay->setFocus();
    Retype(page.txtTimeOfDay, "0930");
    page.txtDays->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(page.txtTimeOfDay->text(), "09:30");
    EXPECT_TRUE(page.txtDays->hasFocus());
    EXPECT_TRUE(Boxes().empty());

    page.txtTimeOfDay->setFocus();
    Retype(page.txtTimeOfDay, "noon-ish");
    QTest::keyClick(page.txtTimeOfDay, Qt::Key_Tab);
    EXPECT_EQ(Boxes(), (std::vector<Shown>{{"Invalid Date", "Chasewell"}}));
    EXPECT_EQ(page.txtTimeOfDay->text(), "8:00 AM");
    EXPECT_TRUE(page.txtTimeOfDay->hasFocus());

    // Switching to another window is no move to another control.
    env.messageBoxes.shown.clear();
    Retype(page.txtTimeOfDay, "later");
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(page.txtTimeOfDay, &away);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(page.txtTimeOfDay->text(), "later");
}

TEST_F(PageTest, EnabledSetsEveryControlButTheLinesAndTheTimeBoxFollowsItsOption) {
    Store("UseNow", "True");
    Show();
    page.setEnabled(false);
    for (QWidget* control : page.Controls()) {
        const bool line = dynamic_cast<options::Line*>(control) != nullptr;
        // Set on the control itself, not only inherited from its frame.
        EXPECT_EQ(control->testAttribute(Qt::WA_ForceDisabled), !line)
            << control->objectName().toStdString();
    }
    EXPECT_TRUE(page.isEnabled());
    EXPECT_EQ(page.Controls().size(), 17u);

    page.setEnabled(true);
    for (QWidget* control : page.Controls()) {
        if (control != page.txtTimeOfDay) {
            EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
        }
    }
    // The time box stays off while the reminder keeps the time of sending.
    EXPECT_FALSE(page.txtTimeOfDay->isEnabled());
    Click(page.optUseTime);
    EXPECT_TRUE(page.txtTimeOfDay->isEnabled());
}

}  // namespace
}  // namespace options_testing
