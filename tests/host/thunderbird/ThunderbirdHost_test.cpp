// The add-in hosted in Thunderbird, driven as the extension drives it: the
// hello that starts it, the commands, a send with a reminder, the sent copy,
// replies, and what the host asks of Thunderbird.

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QTest>

#include "host/common/SettingsDialog.h"
#include "host/engine/DataFolderLock.h"
#include "tests/host/thunderbird/HostFixture.h"
#include "tests/windows/ModalPlayer.h"

namespace {

using host::thunderbird::Protocol;
using tb_testing::ComposeDetailsJson;
using tb_testing::FolderJson;
using tb_testing::HostTest;
using tb_testing::MessageJson;

class ThunderbirdHostTest : public HostTest {
protected:
    ThunderbirdHostTest() : zone("UTC0") {}
    testing_support::ScopedTimeZone zone;
};

TEST_F(ThunderbirdHostTest, HelloStartsTheAddinOnTheDataFolderAndAnswersWithTheVersions) {
    WriteDataFile(
        "EmailAddress: pat@example.com|EntryId: m1@example.org|StoreId: account1/Sent|"
        "SentDate: 3/1/2024 9:00:00 AM|ReminderDate: 3/20/2024 8:00:00 AM|Color: 0|"
        "Subject: Budget|Note: \r\n");
    const QJsonObject reply = Hello();
    EXPECT_TRUE(reply.value("ok").toBool());
    EXPECT_EQ(reply.value("protocol").toInt(), 1);
    EXPECT_EQ(reply.value("host").toString(), "3.0.184");
    EXPECT_TRUE(host.Started());
    const auto loaded = host.Log().TraceMessages("Chasewell.CReminderItems.LoadData");
    ASSERT_FALSE(loaded.empty());
    EXPECT_EQ(loaded.back(),
              "Reminder data loaded (1 items).  File found at " + folder.File("ChasewellData.txt"));
    // The explorer got the add-in's two buttons.
    QStringList commands;
    for (const auto& command : host.Engine()->Commands()) commands << command.shortText;
    EXPECT_EQ(commands, (QStringList{"View Reminders", "Add Reminders"}));
}

TEST_F(ThunderbirdHostTest, AnExtensionOfAnotherProtocolVersionIsToldPlainlyAndNothingStarts) {
    const QJsonObject reply = Hello(2);
    EXPECT_FALSE(reply.value("ok").toBool());
    EXPECT_EQ(reply.value("problem").toString(), "protocol");
    EXPECT_EQ(reply.value("error").toString(),
              "The Chasewell extension and the Chasewell program do not fit: the extension "
              "speaks version 2 of their protocol, the program version 1. Install the extension "
              "that came with this program (3.0.184).");
    EXPECT_FALSE(host.Started());
    Event("newMail", {{"message", MessageJson("r@x", Inbox(), "RE: Budget", "pat@example.com",
                                              {"me@example.org"})}});
    EXPECT_TRUE(HostLines().contains("Ignored a newMail message: the add-in is not running."));
}

TEST_F(ThunderbirdHostTest, ADataFolderHeldByTheProgramIsToldAndLeftAlone) {
    WriteDataFile("EmailAddress: pat@example.com|Subject: Budget|Note: \r\n");
    const QByteArray before = DataFile();
    {
        host::DataFolderLock program(folder.Path(), "the Chasewell program");
        ASSERT_TRUE(program.Held());
        const QJsonObject reply = Hello();
        EXPECT_FALSE(reply.value("ok").toBool());
        EXPECT_EQ(reply.value("problem").toString(), "dataFolderInUse");
        EXPECT_EQ(reply.value("error").toString(),
                  QStringLiteral("The data folder %1 is in use by the Chasewell program (process "
                                 "%2). Close it, and Chasewell starts in Thunderbird by itself "
                                 "within a few minutes.")
                      .arg(folder.Path().chopped(1))
                      .arg(QCoreApplication::applicationPid()));
        EXPECT_FALSE(host.Started());
    }
    // Nothing of the folder was touched: no log, the data file as it was.
    EXPECT_FALSE(QFile::exists(folder.File("Chasewell.log")));
    EXPECT_EQ(DataFile(), before);
    // Once the program has gone, the next hello (the extension tries again)
    // starts the add-in, and the program is refused while the host holds it.
    EXPECT_TRUE(Hello().value("ok").toBool());
    host::DataFolderLock program(folder.Path(), "the Chasewell program");
    EXPECT_EQ(program.Refusal(),
              QStringLiteral("The data folder %1 is in use by Chasewell in Thunderbird (process "
                             "%2).")
                  .arg(folder.Path().chopped(1))
                  .arg(QCoreApplication::applicationPid()));
    host.Stop();
    EXPECT_TRUE(host::DataFolderLock(folder.Path(), "the Chasewell program").Held());
}

TEST_F(ThunderbirdHostTest, TheDataFileKeepsTheDateFormsItWasWrittenInWhateverLanguageTheHostRuns) {
    // Written by a German start; this host runs in United States English.
    QFile record(folder.File("ChasewellDataLocale.txt"));
    ASSERT_TRUE(record.open(QIODevice::WriteOnly));
    record.write("# dates\nde_Latn_DE\n");
    record.close();
    WriteDataFile(
        "EmailAddress: pat@example.com|EntryId: old@example.org|StoreId: "
        "account1/Sent|SentDate: 01.03.2024 09:00:00|ReminderDate: 08.03.2024 "
        "08:00:00|Color: 0|Subject: Plans|Note: \r\n");
    Hello();
    EXPECT_EQ(ErrorMessages(), QStringList());
    // The alarm is armed for 8 March, not 3 August.
    const auto armed = host.Log().TraceMessages("RemindTimer.SetNextTimer");
    ASSERT_FALSE(armed.empty());
    EXPECT_EQ(armed.back(), "Setting next alarm for '08.03.2024 08:00 AM'");
    Event("composeOpen",
          {{"tabId", 3}, {"details", ComposeDetailsJson({"kim@example.com"}, "Dates")}});
    tb.Answer("sendCompose", [this](const QJsonObject&) {
        tb.ReplyTo(tb.Request(
            "itemSend",
            {{"tabId", 3}, {"details", ComposeDetailsJson({"kim@example.com"}, "Dates")}}));
        return std::optional<QJsonObject>(QJsonObject());
    });
    Event("command", {{"command", "sendWithReminder"}, {"tabId", 3}});
    EXPECT_TRUE(
        DataFile().contains("EmailAddress: kim@example.com|EntryId: |StoreId: |SentDate: "
                            "07.03.2024 09:00:00|ReminderDate: 14.03.2024 08:00 AM|"))
        << DataFile().toStdString();
}

class MissingAddinTest : public HostTest {
protected:
    MissingAddinTest() : HostTest("/nonexistent/libChasewell.so") {}
};

TEST_F(MissingAddinTest, AnAddinThatCannotBeLoadedIsToldAsAStartProblem) {
    const QJsonObject reply = Hello();
    EXPECT_FALSE(reply.value("ok").toBool());
    EXPECT_EQ(reply.value("problem").toString(), "start");
    EXPECT_TRUE(reply.value("error").toString().startsWith(
        "Chasewell could not start its add-in: Cannot load the module library "
        "\"/nonexistent/libChasewell.so\"."))
        << reply.value("error").toString().toStdString();
}

// A compose window with two To and one CC recipient, sent with the add-in's
// button: Thunderbird is asked to send it, asks back before it sends, and
// files the copy.
class SendWithReminderTest : public ThunderbirdHostTest {
protected:
    SendWithReminderTest() {
        Hello();
        details =
            ComposeDetailsJson({"Pat Jones <pat@example.com>", "\"Lee, Sam\" <sam@example.com>"},
                               "Budget", {"cc@example.com"});
        Event("composeOpen", {{"tabId", 7}, {"details", details}});
        // Thunderbird sends the compose window: it asks the host first
        // (itemSend), then answers the sendCompose request.
        tb.Answer("sendCompose", [this](const QJsonObject& request) {
            sendTabs << request.value("tabId").toInt();
            itemSendReply = tb.ReplyTo(
                tb.Request("itemSend", {{"tabId", request.value("tabId")}, {"details", details}}));
            return std::optional<QJsonObject>(QJsonObject());
        });
    }
    void SentCopy() {
        Event("sentCopy",
              {{"tabId", 7},
               {"message",
                MessageJson("budget-1@example.org", Sent(), "Budget", "me@example.org",
                            {"Pat Jones <pat@example.com>", "\"Lee, Sam\" <sam@example.com>"},
                            {"cc@example.com"})}});
    }
    QJsonObject details;
    QList<int> sendTabs;
    std::optional<QJsonObject> itemSendReply;
};

TEST_F(SendWithReminderTest, TheButtonSendsTheComposeWindowAndEachToRecipientGetsAReminder) {
    auto inspector = host.Inspector(7);
    ASSERT_NE(inspector, nullptr);
    QStringList commands;
    for (const auto& command : host.Engine()->CommandsOn(inspector)) commands << command.shortText;
    EXPECT_EQ(commands, (QStringList{"Send With Reminder", "Send With Reminder"}));

    Event("command", {{"command", "sendWithReminder"}, {"via", "button"}, {"tabId", 7}});

    EXPECT_EQ(sendTabs, QList<int>{7});
    ASSERT_TRUE(itemSendReply);
    EXPECT_TRUE(itemSendReply->value("ok").toBool());
    EXPECT_FALSE(itemSendReply->value("cancel").toBool());
    EXPECT_EQ(DataFile(),
              "EmailAddress: pat@example.com|EntryId: |StoreId: |SentDate: 3/7/2024 9:00:00 AM|"
              "ReminderDate: 3/14/2024 08:00 AM|Color: 0|Subject: Budget|Note: \r\n"
              "EmailAddress: sam@example.com|EntryId: |StoreId: |SentDate: 3/7/2024 9:00:00 AM|"
              "ReminderDate: 3/14/2024 08:00 AM|Color: 0|Subject: Budget|Note: \r\n");

    // The copy filed in Sent gives the reminders its ids, which stay valid
    // when Thunderbird restarts.
    SentCopy();
    EXPECT_EQ(DataFile(),
              "EmailAddress: pat@example.com|EntryId: budget-1@example.org|StoreId: "
              "account1/Sent|SentDate: 3/7/2024 10:00:00 AM|ReminderDate: 3/14/2024 08:00 AM|"
              "Color: 0|Subject: Budget|Note: \r\n"
              "EmailAddress: sam@example.com|EntryId: budget-1@example.org|StoreId: "
              "account1/Sent|SentDate: 3/7/2024 10:00:00 AM|ReminderDate: 3/14/2024 08:00 AM|"
              "Color: 0|Subject: Budget|Note: \r\n");
    // No late reply is taken for a stray one.
    for (const QString& line : HostLines())
        EXPECT_FALSE(line.startsWith("Dropped a reply")) << line.toStdString();
}

TEST_F(SendWithReminderTest, TheMenuItemDoesTheSameAndCCRecipientsCountWhenAskedFor) {
    SetSetting("IgnoreCCRecipients", "0");
    Event("command", {{"command", "sendWithReminder"}, {"via", "menu"}, {"tabId", 7}});
    EXPECT_EQ(DataFile().count("EmailAddress: "), 3);
    EXPECT_TRUE(DataFile().contains("EmailAddress: cc@example.com|"));
}

TEST_F(SendWithReminderTest, AMessageSentWithThunderbirdsOwnButtonGetsNoReminder) {
    const auto reply = tb.ReplyTo(tb.Request("itemSend", {{"tabId", 7}, {"details", details}}));
    ASSERT_TRUE(reply);
    EXPECT_FALSE(reply->value("cancel").toBool());
    SentCopy();
    EXPECT_EQ(DataFile(), "<missing>");
}

TEST_F(SendWithReminderTest, ASendThatThunderbirdRefusesIsToldAndLeavesNoRequestBehind) {
    tb.Refuse("sendCompose", "The compose window was closed.");
    Event("command", {{"command", "sendWithReminder"}, {"tabId", 7}});
    const auto notices = tb.ReceivedOf("notice");
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices.front().value("text").toString(),
              "Chasewell could not send the message: The compose window was closed..");
    // The next send the user makes with Thunderbird's own button is not
    // taken for the one that failed.
    tb.PumpUntil([] { return false; });
    const auto reply = tb.ReplyTo(tb.Request("itemSend", {{"tabId", 7}, {"details", details}}));
    ASSERT_TRUE(reply);
    EXPECT_EQ(DataFile(), "<missing>");
}

// Replies arrive in the Inbox of any account.
class RepliesTest : public SendWithReminderTest {
protected:
    RepliesTest() {
        SetSetting("Remove", "1");
        Event("command", {{"command", "sendWithReminder"}, {"tabId", 7}});
        SentCopy();
    }
    // Thunderbird still has every message the host looks up: the sent
    // message, in Sent.
    void AnswerFound() {
        tb.Answer("findMessage", [](const QJsonObject& request) {
            const QJsonObject wanted = request.value("message").toObject();
            QJsonObject reply;
            reply["found"] = true;
            reply["message"] = MessageJson(wanted.value("messageId").toString(), Sent(), "Budget",
                                           "me@example.org", {"pat@example.com"});
            return std::optional<QJsonObject>(reply);
        });
    }
    void Arrives(const QString& id, const QString& subject, const QString& author,
                 const QJsonObject& headers = {}) {
        Event("newMail",
              {{"message", MessageJson(id, FolderJson("account2", "/INBOX", "Inbox", "inbox"),
                                       subject, author, {"me@example.org"}, {}, headers)}});
    }
};

TEST_F(RepliesTest, AReplyEndsItsSendersReminderOnlyAndAnAutomaticOneEndsNothing) {
    Arrives("auto@x", "Automatic reply: Budget", "Sam Lee <sam@example.com>",
            {{"auto-submitted", QJsonArray{"auto-replied"}}});
    EXPECT_EQ(DataFile().count("EmailAddress: "), 2);
    EXPECT_TRUE(host.Log()
                    .TraceMessages("ItemAddedToInbox")
                    .back()
                    .startsWith("Automatic reply, not an answer (auto-submitted: auto-replied)"));

    Arrives("reply@x", "RE: Budget", "Pat Jones <pat@example.com>");
    EXPECT_FALSE(DataFile().contains("pat@example.com"));
    EXPECT_TRUE(DataFile().contains("EmailAddress: sam@example.com|"));
}

TEST_F(RepliesTest, AReplyUnderANewSubjectNamingTheSentMessageEndsItsSendersReminder) {
    // The add-in looks the sent copy up by its ids to learn its Message-ID.
    AnswerFound();
    Arrives("numbers@x", "Numbers you asked for", "Sam Lee <sam@example.com>",
            {{"in-reply-to", QJsonArray{"<budget-1@example.org>"}},
             {"references", QJsonArray{"<older@example.org> <budget-1@example.org>"}}});
    EXPECT_FALSE(DataFile().contains("sam@example.com"));
    EXPECT_TRUE(DataFile().contains("EmailAddress: pat@example.com|"));
    const auto traces = host.Log().TraceMessages("ItemAddedToInbox");
    EXPECT_TRUE(std::find(traces.begin(), traces.end(),
                          "Found email: reminder removed by the thread rule (subject 'Budget', the "
                          "reply names <budget-1@example.org>)") != traces.end());
}

TEST_F(RepliesTest, TheViewOriginalOfThePendingListOpensTheSentMessageInThunderbird) {
    AnswerFound();
    tb.Answer("openMessage",
              [](const QJsonObject&) { return std::optional<QJsonObject>(QJsonObject()); });
    Event("command", {{"command", "viewReminders"}});
    QWidget* list = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == "frmViewReminders" && window->isVisible())
            list = window;
    ASSERT_NE(list, nullptr);
    auto* grid = list->findChild<QAbstractItemView*>("grdReminders");
    ASSERT_NE(grid, nullptr);
    grid->selectionModel()->select(grid->model()->index(0, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::mouseClick(list->findChild<QWidget*>("cmdView"), Qt::LeftButton);
    tb.PumpUntil([&] { return !tb.ReceivedOf("openMessage").empty(); });

    const auto finds = tb.ReceivedOf("findMessage");
    ASSERT_FALSE(finds.empty());
    EXPECT_EQ(finds.front().value("message").toObject().value("messageId").toString(),
              "budget-1@example.org");
    const auto opens = tb.ReceivedOf("openMessage");
    ASSERT_EQ(opens.size(), 1u);
    const QJsonObject opened = opens.front().value("message").toObject();
    EXPECT_EQ(opened.value("messageId").toString(), "budget-1@example.org");
    EXPECT_EQ(opened.value("folder").toObject().value("path").toString(), "/Sent");

    // Create Email: a forward of the original to the recipient, with the
    // plain subject.
    tb.Answer("compose",
              [](const QJsonObject&) { return std::optional<QJsonObject>(QJsonObject()); });
    QTest::mouseClick(list->findChild<QWidget*>("cmdCreate"), Qt::LeftButton);
    tb.PumpUntil([&] { return !tb.ReceivedOf("compose").empty(); });
    const auto composes = tb.ReceivedOf("compose");
    ASSERT_EQ(composes.size(), 1u);
    EXPECT_EQ(composes.front().value("to").toArray(), QJsonArray{"pat@example.com"});
    EXPECT_EQ(composes.front().value("subject").toString(), "Budget");
    EXPECT_EQ(composes.front().value("original").toObject().value("messageId").toString(),
              "budget-1@example.org");
}

TEST_F(RepliesTest, AMessageThunderbirdNoLongerHasFailsTheLookUpAsTheMailClientFails) {
    tb.Answer("findMessage", [](const QJsonObject&) {
        return std::optional<QJsonObject>(QJsonObject{{"found", false}});
    });
    const auto ns = host.Application()->Namespace();
    EXPECT_EQ(testing_support::ErrorOf([&] { ns->GetItemFromID("budget-1@example.org", ""); }),
              "The operation failed.  An object could not be found.");
    // A Thunderbird that does not answer: the wait ends at its bound.
    tb.Answer("findMessage", [this](const QJsonObject&) {
        env.timers.Advance(Protocol::Builtin().Limit("replyTimeoutMs") + 1);
        return std::optional<QJsonObject>();
    });
    EXPECT_EQ(testing_support::ErrorOf(
                  [&] { ns->GetItemFromID("budget-1@example.org", "account1/Sent"); }),
              "Thunderbird could not look up the message budget-1@example.org: Thunderbird did "
              "not answer within 10 seconds.");
    const auto finds = tb.ReceivedOf("findMessage");
    ASSERT_EQ(finds.size(), 2u);
    EXPECT_EQ(finds.back().value("message").toObject().value("folder").toObject(),
              FolderJson("account1", "/Sent", "Sent"));
}

TEST_F(RepliesTest, EventsThatArriveWhileTheAddinWaitsForThunderbirdWaitTheirTurn) {
    // A reply arrives while the host waits for a look-up: it is handled
    // after the look-up's operation, not inside it.
    std::size_t remindersDuringWait = 0;
    tb.Answer("findMessage", [&](const QJsonObject&) {
        Arrives("reply@x", "RE: Budget", "pat@example.com");
        remindersDuringWait = static_cast<std::size_t>(DataFile().count("EmailAddress: "));
        return std::optional<QJsonObject>(QJsonObject{{"found", false}});
    });
    const auto ns = host.Application()->Namespace();
    testing_support::ErrorOf([&] { ns->GetItemFromID("budget-1@example.org", ""); });
    EXPECT_EQ(remindersDuringWait, 2u);
    tb.PumpUntil([&] { return !DataFile().contains("pat@example.com"); });
    EXPECT_FALSE(DataFile().contains("pat@example.com"));
}

TEST_F(ThunderbirdHostTest, AddRemindersMakesRemindersForTheMessagesSelectedInThunderbird) {
    Hello();
    testing_support::ModalPlayer player;
    player.Then("frmDisplayEx",
                [](QWidget* window) { testing_support::ModalPlayer::QueueClick(window, "cmdOk"); });
    QJsonArray selected{
        MessageJson("a@example.org", Sent(), "Plans", "me@example.org", {"ann@example.com"}),
        MessageJson("b@example.org", Sent(), "Dates", "me@example.org", {"bob@example.com"})};
    tb.Send({{"kind", "command"}, {"command", "addReminders"}, {"messages", selected}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.Done(); }, 10000));
    tb.PumpUntil([&] { return DataFile().count("EmailAddress: ") == 2; });
    EXPECT_FALSE(player.TimedOut());
    const QByteArray data = DataFile();
    EXPECT_TRUE(
        data.contains("EmailAddress: ann@example.com|EntryId: a@example.org|StoreId: "
                      "account1/Sent|"));
    EXPECT_TRUE(
        data.contains("EmailAddress: bob@example.com|EntryId: b@example.org|StoreId: "
                      "account1/Sent|"));
}

TEST_F(ThunderbirdHostTest, AddRemindersTurnedOffForAnEmptyFolderIsSaidInThunderbird) {
    Hello();
    QJsonObject empty = FolderJson("account1", "/Archive", "Archive");
    empty["totalMessages"] = 0;
    Event("folderSwitch", {{"folder", empty}});
    Event("command", {{"command", "addReminders"}, {"messages", QJsonArray{}}});
    const auto notices = tb.ReceivedOf("notice");
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices.front().value("text").toString(),
              "Add Reminders works on messages selected in a mail folder that holds messages.");
    EXPECT_EQ(DataFile(), "<missing>");
}

TEST_F(ThunderbirdHostTest, BadMessagesAreLoggedAndDroppedAndTheHostGoesOn) {
    Hello();
    tb.SendBytes(QByteArray("\x05\x00\x00\x00{{{{{", 9));
    Event("launchRockets", {});
    Event("composeClose", {{"tabId", "seven"}});
    const qint64 id = tb.Request("itemSend", {{"tabId", 7}});
    const auto reply = tb.ReplyTo(id);
    tb.PumpUntil([] { return false; });
    EXPECT_EQ(
        HostLines(),
        (QStringList{HostLines().front(),
                     "Dropped a message from Thunderbird: it is not JSON (unterminated object at "
                     "byte 2): {{{{{",
                     "Dropped a message from Thunderbird: the kind \"launchRockets\" is unknown: "
                     "{\"kind\":\"launchRockets\"}",
                     "Dropped a message from Thunderbird: the field \"tabId\" is a text, not a "
                     "whole number: {\"kind\":\"composeClose\",\"tabId\":\"seven\"}",
                     QStringLiteral("Dropped a message from Thunderbird: the field \"details\" is "
                                    "missing: {\"id\":%1,\"kind\":\"itemSend\",\"tabId\":7}")
                         .arg(id)}));
    ASSERT_TRUE(reply);
    EXPECT_FALSE(reply->value("ok").toBool());
    EXPECT_EQ(reply->value("error").toString(),
              "Chasewell could not read the itemSend message from Thunderbird: the field "
              "\"details\" is missing.");
    // Still running: a good message is handled.
    Event("composeOpen", {{"tabId", 9}});
    EXPECT_NE(host.Inspector(9), nullptr);
    EXPECT_EQ(DataFile(), "<missing>");
}

TEST_F(ThunderbirdHostTest, TheEndOfInputSavesTheRemindersAndClosesTheWindows) {
    Hello();
    Event("command", {{"command", "viewReminders"}});
    tb.Close();
    tb.PumpUntil([&] { return finished; });
    EXPECT_TRUE(finished);
    host.Stop();
    EXPECT_TRUE(host.Log().TraceMessages("Shutdown").back() == "Chasewell is stopping");
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
}

TEST_F(ThunderbirdHostTest, ErrorReportsOfTheAddinAreShownInThunderbirdOneNoticeAtATime) {
    WriteDataFile("EmailAddress: pat@example.com|Color: blue\r\n");
    Hello();
    tb.PumpUntil([&] { return !tb.ReceivedOf("notice").empty(); });
    auto notices = tb.ReceivedOf("notice");
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices.front().value("text").toString(), ErrorMessages().front());

    // Many at once (a data file with many bad lines): one notice.
    for (int i = 0; i < 3; ++i)
        host.Log().AddError({QStringLiteral("Problem %1").arg(i), 1, "Chasewell.Test"});
    tb.PumpUntil([&] { return tb.ReceivedOf("notice").size() > 1; });
    notices = tb.ReceivedOf("notice");
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(
        notices.back().value("text").toString(),
        "Problem 0\n\n(2 more problems: the log " + folder.File("Chasewell.log") + " lists them.)");
}

TEST_F(ThunderbirdHostTest, TheSettingsCommandOpensTheSettingsDialogWithTheOptionsPage) {
    Event("command", {{"command", "settings"}});
    EXPECT_EQ(host.Settings(), nullptr);
    ASSERT_EQ(tb.ReceivedOf("notice").size(), 1u);
    EXPECT_EQ(tb.ReceivedOf("notice").front().value("text").toString(),
              "Chasewell's settings open once Chasewell runs in Thunderbird.");
    Hello();
    Event("command", {{"command", "settings"}});
    ASSERT_NE(host.Settings(), nullptr);
    EXPECT_TRUE(host.Settings()->isVisible());
    EXPECT_NE(host.Settings()->Page(), nullptr);
    // Asked again: the same dialog, brought to the front.
    auto* first = host.Settings();
    Event("command", {{"command", "settings"}});
    EXPECT_EQ(host.Settings(), first);
}

}  // namespace
