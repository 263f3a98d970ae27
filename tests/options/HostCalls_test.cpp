#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "tests/options/PageFixture.h"

namespace options_testing {
namespace {

const QString kRemoveHelp = QStringLiteral(
    "Tick this and a reminder ends by itself when its recipient answers: a message from that "
    "address with a matching subject arrives in the Inbox. Untick it to keep every reminder "
    "until you dismiss it.");

// The host's record of one hot-help call.
QString Help(const QString& title, const QString& text) {
    return "SetHotHelp [" + title + "] [" + text + "]";
}

TEST_F(PageTest, WithoutAHostChangesStillCountAndHoveringCallsNothing) {
    Show();
    Click(page.chkRemove);
    EXPECT_TRUE(page.Dirty());
    Hover(page.chkRemove);
    page.Apply();
    EXPECT_EQ(Stored("Remove"), "1");
}

TEST_F(PageTest, EachKindOfChangeTellsTheHostOnceAndResetsHotHelp) {
    RecordingHost host;
    Show();
    page.SetHost(&host);  // after the show, as a dialog may
    const QStringList once{"OnStatusChange", Help("", "")};
    Click(page.chkRemove);
    EXPECT_EQ(host.calls, once);
    host.calls.clear();
    Click(page.chkDisplayIndividualReminders);
    EXPECT_EQ(host.calls, once);
    host.calls.clear();
    QTest::keyClick(page.txtDays, Qt::Key_4);
    EXPECT_EQ(host.calls, once);
    host.calls.clear();
    QTest::keyClick(page.txtTimeOfDay, Qt::Key_Backspace);
    EXPECT_EQ(host.calls, once);

    // The option buttons switch the time box first.
    host.calls.clear();
    Click(page.optUseNow);
    EXPECT_FALSE(page.txtTimeOfDay->isEnabled());
    EXPECT_EQ(host.calls, once);
    host.calls.clear();
    Click(page.optUseTime);
    EXPECT_TRUE(page.txtTimeOfDay->isEnabled());
    EXPECT_EQ(host.calls, once);
    // Clicking the option already chosen changes nothing.
    host.calls.clear();
    Click(page.optUseTime);
    EXPECT_TRUE(host.calls.isEmpty());
}

TEST_F(PageTest, EveryControlWithHotHelpSendsTheTextOfItsNumber) {
    RecordingHost host;
    page.SetHost(&host);
    global->replacedTexts = {{"0", "zero"}, {"1", "one"},  {"2", "two"},
                             {"4", "four"}, {"5", "five"}, {"6", "six"}};
    Show();
    host.calls.clear();
    const std::vector<std::pair<QWidget*, QString>> helped = {
        {page.chkRemove, "zero"},
        {page.chkDisplayNextDate, "one"},
        {page.lblReminderOccursIn, "two"},
        {page.txtDays, "two"},
        {page.lblReminderOccursInUnits, "two"},
        {page.optUseNow, "four"},
        {page.optUseTime, "five"},
        {page.txtTimeOfDay, "five"},
        {page.chkIgnoreCCRecipients, "six"},
    };
    for (const auto& [control, text] : helped) {
        host.calls.clear();
        Hover(control);
        EXPECT_EQ(host.calls, QStringList{Help("", text)}) << control->objectName().toStdString();
    }
    host.calls.clear();
    for (QWidget* silent : std::vector<QWidget*>{page.chkDisplayIndividualReminders,
                                                 page.frameSettings, page.Picture1, &page})
        Hover(silent);
    EXPECT_TRUE(host.calls.isEmpty());
}

TEST_F(PageTest, HotHelpIsSentOncePerControlUntilResetOrAChange) {
    RecordingHost host;
    page.SetHost(&host);
    Show();
    host.calls.clear();
    Hover(page.chkRemove);
    Hover(page.chkRemove);
    EXPECT_EQ(host.calls, QStringList{Help("", kRemoveHelp)});

    // Only the exact message resets; every message is answered "ok".
    EXPECT_EQ(page.SendPropMessage("resethelptext", QVariant()), "ok");
    EXPECT_EQ(page.SendPropMessage("SomethingElse", 42), "ok");
    Hover(page.chkRemove);
    EXPECT_EQ(host.calls.size(), 1);
    EXPECT_EQ(page.SendPropMessage("ResetHelpText", QVariant()), "ok");
    Hover(page.chkRemove);
    EXPECT_EQ(host.calls.size(), 2);

    // A change resets too.
    Click(page.chkRemove);
    host.calls.clear();
    Hover(page.chkRemove);
    EXPECT_EQ(host.calls, QStringList{Help("", kRemoveHelp)});
}

TEST_F(PageTest, TheTitleIsPassedByReferenceAndEmptiedWhenHotHelpIsReset) {
    RecordingHost host;
    page.SetHost(&host);
    Show();
    host.calls.clear();
    host.titleToSet = "Chasewell";
    Hover(page.txtDays);
    Hover(page.chkRemove);
    Click(page.chkRemove);
    EXPECT_EQ(host.calls.at(0).left(17), "SetHotHelp [] [Ho");
    // The title the host wrote comes back to it, until a change resets it.
    EXPECT_EQ(host.calls.at(1), Help("Chasewell", kRemoveHelp));
    EXPECT_EQ(host.calls.at(2), "OnStatusChange");
    EXPECT_EQ(host.calls.at(3), Help("", ""));
}

TEST_F(PageTest, AnyHostWithTheOperationsWorksAndOneWithoutThemDoesNotStopThePage) {
    ReadOnlyHost reader;
    page.SetHost(&reader);
    Show();
    reader.calls.clear();
    Hover(page.chkRemove);
    Click(page.chkRemove);
    EXPECT_EQ(reader.calls, (QStringList{Help("", kRemoveHelp), "OnStatusChange", Help("", "")}));

    QObject plain;
    page.SetHost(&plain);
    Click(page.chkDisplayNextDate);
    Hover(page.txtDays);
    EXPECT_TRUE(page.Dirty());
    page.Apply();
    EXPECT_EQ(Stored("DisplayNext"), "1");

    // A host that went away is no host.
    {
        RecordingHost gone;
        page.SetHost(&gone);
    }
    Click(page.chkDisplayNextDate);
    Hover(page.optUseNow);
    EXPECT_TRUE(page.Dirty());
}

}  // namespace
}  // namespace options_testing
