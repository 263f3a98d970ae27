#include <gtest/gtest.h>

#include <QDir>

#include "platform/IniSettingsStore.h"
#include "tests/addin/AddinFixture.h"

namespace {

using host::CommandKind;
using host::CommandRecord;
using host::ErrorReportRecord;
using host::SubscriptionRecord;
using testing_support::AddinFixture;

QString Describe(const CommandRecord& c) {
    const char* kind = c.kind == CommandKind::ExplorerButton    ? "explorer button"
                       : c.kind == CommandKind::InspectorButton ? "inspector button"
                                                                : "inspector menu item";
    return QStringLiteral(
               "%1 %2 face %3 long '%4' short '%5' flag %6 registry '%7' menu '%8' extra '%9'")
        .arg(kind)
        .arg(c.id)
        .arg(c.faceId)
        .arg(c.longText, c.shortText)
        .arg(c.flag)
        .arg(c.registryName, c.menuCaption, c.extra);
}

QStringList DescribeAll(const std::vector<CommandRecord>& commands) {
    QStringList lines;
    for (const auto& c : commands) lines << Describe(c);
    return lines;
}

const QStringList kExplorerCommands = {
    "explorer button 1 face 2145 long 'View Chasewell' short 'View Reminders' flag 0 registry "
    "'Chasewell' menu '' extra ''",
    "explorer button 4 face 2145 long 'Add Reminders To Emails' short 'Add Reminders' flag 0 "
    "registry 'Chasewell' menu '' extra ''",
};
const QStringList kInspectorCommands = {
    "inspector button 2 face 2117 long 'Send with Chasewell' short 'Send With Reminder' flag 1 "
    "registry 'Chasewell' menu '' extra ''",
    "inspector menu item 3 face 2117 long 'Send with Chasewell' short 'Send With Reminder' flag 0 "
    "registry 'Chasewell' menu '&Actions' extra ''",
};

class LifecycleTest : public AddinFixture {
protected:
    std::shared_ptr<host::HostMailItem> composing;

    bool AddRemindersEnabled() {
        auto button = engineObject->FindButton("Add Reminders To Emails");
        EXPECT_NE(button, nullptr);
        return button && button->Enabled();
    }
    std::vector<SubscriptionRecord> ExplorerSubscriptions() {
        auto inbox = Inbox();
        auto sent = SentItems();
        return {{module.get(), 5, "", ""},
                {module.get(), 1, inbox->EntryID(), inbox->StoreID()},
                {module.get(), 1, sent->EntryID(), sent->StoreID()},
                {module.get(), 4, "", ""}};
    }
};

TEST_F(LifecycleTest, TheMailClientDrivesTheModuleFromStartToShutdown) {
    WriteDataFile(
        "EmailAddress: pat@example.com|EntryId: E1|StoreId: S1|SentDate: 3/4/2024 9:15:00 AM|"
        "ReminderDate: 3/9/2024 8:00:00 AM|Color: 255|Subject: Quarterly figures|Note: call\r\n"
        "EmailAddress: lee@example.com|EntryId: E2|StoreId: S1|SentDate: 3/4/2024 9:20:00 AM|"
        "ReminderDate: 3/10/2024 8:00:00 AM|Color: 0|Subject: Budget|Note: \r\n");
    SetSetting("Remove", "False");
    env.settings.SaveSetting(host::kSettingsApplicationName, "TandrelSoftwareWord",
                             "ChasewellFromWordWanted", "True");

    // Start-up keeps the engine and loads nothing.
    Start();
    EXPECT_EQ(Globals::m_ReminderItems, nullptr);
    EXPECT_TRUE(engineObject->Commands().empty());
    EXPECT_TRUE(log.Traces().empty());

    // The first explorer: buttons, subscriptions, the data file, the alarm.
    auto first = model->OpenExplorer(Inbox());
    EXPECT_EQ(DescribeAll(engineObject->CommandsOn(first)), kExplorerCommands);
    EXPECT_EQ(engineObject->Subscriptions(), ExplorerSubscriptions());
    ASSERT_NE(Globals::m_ReminderItems, nullptr);
    EXPECT_EQ(Reminders().Count(), 2);
    EXPECT_EQ(Setting("TandrelSoftwareWord", "ChasewellFromWordWanted"), "False");
    EXPECT_EQ(log.TraceMessages("Chasewell.CReminderItems.LoadData").back(),
              "Reminder data loaded (2 items).  File found at " + DataFile());
    EXPECT_EQ(RemindTimer::NextReminderTime, "3/9/2024 08:00 AM");
    EXPECT_EQ(env.timers.ArmedTimers().size(), 1u);
    const int timersSet = env.timers.SetCount();
    const size_t tracesAfterLoad = log.Traces().size();

    // A second explorer gets its buttons and repeats the subscriptions, but
    // nothing is loaded or armed again.
    auto second = model->OpenExplorer(SentItems());
    EXPECT_EQ(DescribeAll(engineObject->CommandsOn(second)), kExplorerCommands);
    auto twice = ExplorerSubscriptions();
    const auto once = twice;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(engineObject->Subscriptions(), twice);
    EXPECT_EQ(env.timers.SetCount(), timersSet);
    EXPECT_EQ(log.Traces().size(), tracesAfterLoad);

    // Inspectors: a mail item gets the send button and menu item; an
    // appointment gets nothing.
    auto mailInspector = model->OpenInspector(Message("Draft", {"to:pat@example.com"}));
    EXPECT_EQ(DescribeAll(engineObject->CommandsOn(mailInspector)), kInspectorCommands);
    auto appointmentInspector = model->OpenInspector(model->NewItem(host::ItemKind::Appointment));
    EXPECT_TRUE(engineObject->CommandsOn(appointmentInspector).empty());

    // Folder switches decide whether "Add Reminders" can be used.
    model->File(Inbox(), Message("Hello", {"to:pat@example.com"}));
    model->File(model->DefaultFolder(client::olFolderCalendar),
                model->NewItem(host::ItemKind::Appointment));
    model->File(Root(), Message("Loose", {"to:pat@example.com"}));
    second->setCurrentFolder(Root());
    EXPECT_FALSE(AddRemindersEnabled()) << "Personal Folders";
    second->setCurrentFolder(model->DefaultFolder(host::kFolderDrafts));
    EXPECT_FALSE(AddRemindersEnabled()) << "an empty mail folder";
    second->setCurrentFolder(model->DefaultFolder(client::olFolderCalendar));
    EXPECT_FALSE(AddRemindersEnabled()) << "a calendar";
    second->setCurrentFolder(Inbox());
    EXPECT_TRUE(AddRemindersEnabled()) << "a mail folder with messages";

    // Item events: the Inbox traces the item and (with removal off) does
    // nothing more; Sent Items looks the recipients up and saves; other
    // folders and other kinds of item are ignored.
    log.Clear();
    model->Deliver(Inbox(), Reply("pat@example.com", "RE: Quarterly figures"));
    EXPECT_EQ(log.TraceMessages(), std::vector<QString>{"Item RE: Quarterly figures"});
    EXPECT_EQ(log.Traces().front().procedure, "HxItemEvent");
    EXPECT_EQ(Reminders().Count(), 2);

    log.Clear();
    auto projects = model->AddFolder(Root(), "Projects");
    model->Deliver(projects, Reply("pat@example.com", "RE: Quarterly figures"));
    auto meeting = model->NewItem(host::ItemKind::MeetingRequest);
    model->Deliver(Inbox(), meeting);
    qint32 added = engine::kItemAdded;
    platform::ObjectRef item = Reply("pat@example.com", "RE: Budget");
    bool cancel = false;
    QString projectsId = projects->EntryID(), storeId = projects->StoreID();
    EXPECT_EQ(module->HxItemEvent(added, item, cancel, projectsId, storeId), 0);
    EXPECT_TRUE(log.Traces().empty());

    auto sentCopy = Message("Budget", {"to:lee@example.com"});
    model->Deliver(SentItems(), sentCopy);
    EXPECT_EQ(log.TraceMessages("ItemAddedToSentItems"),
              (std::vector<QString>{
                  "Subject: Budget", "Looking for lee@example.com",
                  "Found lee@example.com and updating with " + sentCopy->EntryID(), "Exiting"}));
    EXPECT_EQ(Reminders().Item(2)->EntryId(), sentCopy->EntryID());
    EXPECT_TRUE(DataFileBytes().contains("EntryId: " + sentCopy->EntryID().toUtf8()));

    // Shut-down: windows closed in order, timer stopped, collection saved and
    // released, the helper library cleaned up.
    log.Clear();
    EXPECT_EQ(engineObject->Shutdown(), 0);
    EXPECT_EQ(log.TraceMessages().front(), "Chasewell is stopping");
    EXPECT_EQ(log.Traces().front().procedure, "Shutdown");
    EXPECT_EQ(windows.events,
              (QStringList{"UnloadRemind", "UnloadMultiple", "UnloadList", "DropList"}));
    EXPECT_TRUE(env.timers.ArmedTimers().empty());
    EXPECT_EQ(Globals::m_ReminderItems, nullptr);
    EXPECT_EQ(Globals::m_Engine, nullptr);
    EXPECT_EQ(helper->cleanupCalls, 1);

    // A second shut-down does nothing.
    log.Clear();
    EXPECT_EQ(module->HxShutdown(), 0);
    EXPECT_TRUE(log.Traces().empty());
    EXPECT_EQ(helper->cleanupCalls, 1);

    EXPECT_TRUE(log.Errors().empty());
    EXPECT_TRUE(engineObject->FailedCalls().empty());
}

TEST_F(LifecycleTest, PropertiesAndCommandsThatDoNothing) {
    EXPECT_EQ(module->RegistryName(), "Chasewell");
    EXPECT_EQ(module->FriendlyName(), "Chasewell");
    EXPECT_EQ(module->Key(), "");
    EXPECT_EQ(module->User(), "");
    EXPECT_EQ(module->Version(), "3.0.184");
    QString message = "anything at all";
    EXPECT_EQ(module->HxSendMessage(message), "noerror");

    // Shut-down before start-up does nothing.
    EXPECT_EQ(module->HxShutdown(), 0);
    EXPECT_TRUE(log.Traces().empty());
    EXPECT_EQ(helper->cleanupCalls, 0);

    Start();
    model->OpenExplorer(Inbox());
    windows.events.clear();
    bool cancelDefault = true;
    for (qint32 id : {0, 3, 5, 99}) {
        EXPECT_EQ(module->HxButtonAction(id, cancelDefault), 0);
    }
    for (qint32 id : {0, 1, 2, 4}) {
        EXPECT_EQ(module->HxMenuAction(id, cancelDefault), 0);
    }
    qint32 hotkey = 7;
    EXPECT_EQ(module->HxHotkeyAction(hotkey), 0);
    EXPECT_TRUE(cancelDefault) << "CancelDefault is never changed";
    EXPECT_TRUE(windows.events.isEmpty());
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(LifecycleTest, ViewRemindersShowsTheList) {
    Start();
    auto explorer = model->OpenExplorer(Inbox());
    EXPECT_EQ(engineObject->ClickButton(explorer, 1), 0);
    EXPECT_EQ(windows.events, QStringList{"ShowList"});
}

TEST_F(LifecycleTest, AVisibleListIsClosedThroughItsExitButtonAtShutdown) {
    Start();
    model->OpenExplorer(Inbox());
    windows.list.visible = true;
    windows.events.clear();
    engineObject->Shutdown();
    ASSERT_EQ(env.windows.sent.size(), 1u);
    EXPECT_EQ(env.windows.sent[0].keys, "%x");
    EXPECT_TRUE(env.windows.sent[0].wait) << "processed before the windows are unloaded";
    EXPECT_EQ(env.windows.foreground.size(), 1u);
}

TEST_F(LifecycleTest, InspectorsGetTheSendCommandsBeforeAnyExplorerButNothingIsLoaded) {
    Start();
    auto inspector = model->OpenInspector(Message("Draft", {"to:pat@example.com"}));
    EXPECT_EQ(DescribeAll(engineObject->CommandsOn(inspector)), kInspectorCommands);
    EXPECT_EQ(Globals::m_ReminderItems, nullptr);
    EXPECT_TRUE(env.timers.ArmedTimers().empty());
}

// The engine's global object, whose data folder cannot be had while
// failDataFolder is set.
class FailingGlobal : public host::HxGlobal {
public:
    using HxGlobal::HxGlobal;
    QString DataFolder(qint32 which) override {
        if (failDataFolder)
            throw platform::RuntimeError::PathNotFound();
        return HxGlobal::DataFolder(which);
    }
    bool failDataFolder = true;
};

TEST_F(LifecycleTest, AFailedInitializeIsReportedAndTriedAgainAtTheNextExplorer) {
    auto failing = std::make_shared<FailingGlobal>(log, folder.Path());
    env.objects.Register(engine::kGlobalProgId, [failing] { return failing; });
    Start();
    model->OpenExplorer(Inbox());
    EXPECT_EQ(log.Errors(),
              (std::vector<ErrorReportRecord>{
                  {"Error occurred.  Reason: Path not found", 0, "TandrelSoftware.Initialize"}}));
    EXPECT_EQ(Globals::m_ReminderItems, nullptr);

    failing->failDataFolder = false;
    model->OpenExplorer(SentItems());
    ASSERT_NE(Globals::m_ReminderItems, nullptr);
    EXPECT_EQ(log.TraceMessages("Chasewell.CReminderItems.LoadData"),
              std::vector<QString>{"Reminder data file not found.  Looking for " + DataFile()});
}

TEST_F(LifecycleTest, AnUnreadableSettingsFileIsNamedOnceAndTheRemindersStillLoadAndArm) {
    // The settings file cannot be read (here: a folder stands in its place).
    const QString config = folder.File("config");
    ASSERT_TRUE(QDir().mkpath(config + "/TandrelSoftware.ini"));
    platform::IniSettingsStore store(config);
    env.env.settings = &store;
    WriteDataFile(
        "EmailAddress: pat@example.com|EntryId: |StoreId: |SentDate: 3/1/2024 9:00:00 AM|"
        "ReminderDate: 3/8/2024 8:00:00 AM|Color: 0|Subject: Budget|Note: \r\n");
    Start();
    auto explorer = model->OpenExplorer(Inbox());
    ASSERT_NE(Globals::m_ReminderItems, nullptr);
    EXPECT_EQ(Reminders().Count(), 1);
    EXPECT_EQ(RemindTimer::NextReminderTime, "3/8/2024 08:00 AM");
    const std::vector<ErrorReportRecord> once = {{"Error occurred.  Reason: Could not read " +
                                                      config +
                                                      "/TandrelSoftware.ini: Is a directory",
                                                  0, "TandrelSoftware.SaveSetting"}};
    EXPECT_EQ(log.Errors(), once);
    // The commands still work; the failure is not told again.
    engineObject->ClickButton(explorer, CChasewell::kViewReminders);
    Globals::setMRUSnoozeTime("1 hour");
    EXPECT_EQ(log.Errors(), once);
    EXPECT_TRUE(engineObject->FailedCalls().empty());
}

TEST_F(LifecycleTest, SettingsThatCannotBeWrittenAreReportedOnceAndEverythingElseWorks) {
    WriteDataFile(
        "EmailAddress: pat@example.com|EntryId: |StoreId: |SentDate: 3/1/2024 9:00:00 AM|"
        "ReminderDate: 3/8/2024 8:00:00 AM|Color: 0|Subject: Budget|Note: \r\n");
    env.settings.failWrites = true;
    Start();
    model->OpenExplorer(Inbox());
    // The reminders load and the alarm is armed all the same.
    ASSERT_NE(Globals::m_ReminderItems, nullptr);
    EXPECT_EQ(Reminders().Count(), 1);
    EXPECT_EQ(RemindTimer::NextReminderTime, "3/8/2024 08:00 AM");

    // Sending with a reminder still makes it, though the used-up request
    // cannot be written back; the failure is not told twice.
    env.windows.onKeys = [this](QWidget*, const QString&) { model->Send(composing); };
    composing = Message("Plans", {"to:lee@example.com"});
    engineObject->ClickButton(model->OpenInspector(composing), CChasewell::kSendWithReminderButton);
    EXPECT_EQ(Reminders().Count(), 2);
    EXPECT_EQ(log.Errors(),
              (std::vector<ErrorReportRecord>{{"Error occurred.  Reason: Permission denied", 0,
                                               "TandrelSoftware.SaveSetting"}}));

    // Once the store can be written again, a new failure is told again.
    env.settings.failWrites = false;
    Globals::setMRUSnoozeTime("1 hour");
    env.settings.failWrites = true;
    Globals::setMRUSnoozeTime("2 hours");
    EXPECT_EQ(log.Errors().size(), 2u);
}

TEST_F(LifecycleTest, ItemEventErrorsNameTheirStep) {
    Start();
    model->OpenExplorer(Inbox());
    qint32 folderSwitch = engine::kFolderSwitch;
    platform::ObjectRef notAnExplorer = Message("x", {});
    bool cancel = false;
    QString none;
    module->HxItemEvent(folderSwitch, notAnExplorer, cancel, none, none);
    qint32 added = engine::kItemAdded;
    platform::ObjectRef nothing;
    module->HxItemEvent(added, nothing, cancel, none, none);
    EXPECT_EQ(
        log.Errors(),
        (std::vector<ErrorReportRecord>{
            {"Error occurred at line 12.  Reason: Type mismatch", 0, "TandrelSoftware.HxItemEvent"},
            {"Error occurred at line 2.  Reason: Object variable or With block variable not set", 0,
             "TandrelSoftware.HxItemEvent"},
        }));
}

TEST_F(LifecycleTest, ShutdownSavesChangesMadeInMemory) {
    Start();
    model->OpenExplorer(Inbox());
    auto reminder = std::make_shared<CReminderItem>();
    reminder->setEmailAddress("pat@example.com");
    reminder->setSubject("Budget");
    Reminders().Add(reminder);
    engineObject->Shutdown();
    EXPECT_EQ(
        DataFileBytes(),
        "EmailAddress: pat@example.com|EntryId: |StoreId: |SentDate: |ReminderDate: |Color: 0|"
        "Subject: Budget|Note: \r\n");
}

}  // namespace
