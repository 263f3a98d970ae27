#include "host/engine/HxEngine.h"

#include <gtest/gtest.h>

#include "host/mail/MailModel.h"
#include "tests/host/RecordingModule.h"
#include "tests/support/FakeEnv.h"

namespace {

using host::CommandKind;
using testing_support::RecordingModule;

// The engine over an unconnected model: the model only provides the windows
// and folders; every event is driven on the engine directly.
class HxEngineTest : public ::testing::Test {
protected:
    std::shared_ptr<RecordingModule> Start() {
        auto module = std::make_shared<RecordingModule>();
        EXPECT_EQ(engine->StartModule(module), 0);
        return module;
    }
    std::shared_ptr<host::HostExplorer> OpenExplorer() {
        auto explorer = model->OpenExplorer(model->DefaultFolder(client::olFolderInbox));
        engine->OpenExplorer(explorer);
        return explorer;
    }
    // Adds "Add Reminders To Emails" (id 4) to every explorer that opens.
    static void AddButton(RecordingModule& self,
                          const std::shared_ptr<client::Explorer>& explorer) {
        self.engine->AddExplorerButton(self, 4, 2145, "Add Reminders To Emails", false, explorer,
                                       "Chasewell", "Add Reminders");
    }

    testing_support::TestEnv env;
    std::shared_ptr<host::MailModel> model = host::MailModel::Create();
    std::shared_ptr<host::HxEngine> engine = std::make_shared<host::HxEngine>(model->Application());
    std::shared_ptr<host::HostFolder> inbox = model->DefaultFolder(client::olFolderInbox);
    std::shared_ptr<host::HostFolder> sentItems = model->DefaultFolder(client::olFolderSentMail);
};

TEST_F(HxEngineTest, StartingAModuleHandsItTheEngineAndItsApplication) {
    auto module = Start();
    EXPECT_EQ(module->calls, QStringList{"HxStartup"});
    EXPECT_EQ(module->engine.get(), engine.get());
    EXPECT_EQ(module->engine->OutlookApplication(), model->Application());
}

TEST_F(HxEngineTest, RecordsEveryCommandWithWhatTheModulePassed) {
    auto module = Start();
    module->onExplorerOpen = AddButton;
    module->onInspectorOpen = [](RecordingModule& self,
                                 const std::shared_ptr<client::Inspector>& i) {
        self.engine->AddInspectorButton(self, 2, 2117, "Send with Chasewell", true, i, "Chasewell",
                                        "Send With Reminder");
        self.engine->AddInspectorMenuItem(self, 3, 2117, "Send with Chasewell", "&Actions", i,
                                          "Chasewell", "Send With Reminder", "");
    };
    auto explorer = OpenExplorer();
    auto inspector = model->OpenInspector(model->NewMailItem());
    engine->OpenInspector(inspector);

    const auto& commands = engine->Commands();
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].kind, CommandKind::ExplorerButton);
    EXPECT_EQ(commands[0].module, module.get());
    EXPECT_EQ(commands[0].window, explorer);
    EXPECT_EQ(commands[0].id, 4);
    EXPECT_EQ(commands[0].faceId, 2145);
    EXPECT_EQ(commands[0].longText, "Add Reminders To Emails");
    EXPECT_EQ(commands[0].shortText, "Add Reminders");
    EXPECT_FALSE(commands[0].flag);
    EXPECT_EQ(commands[0].registryName, "Chasewell");

    EXPECT_EQ(commands[1].kind, CommandKind::InspectorButton);
    EXPECT_EQ(commands[1].window, inspector);
    EXPECT_EQ(commands[1].id, 2);
    EXPECT_TRUE(commands[1].flag);

    EXPECT_EQ(commands[2].kind, CommandKind::InspectorMenuItem);
    EXPECT_EQ(commands[2].id, 3);
    EXPECT_EQ(commands[2].faceId, 2117);
    EXPECT_EQ(commands[2].longText, "Send with Chasewell");
    EXPECT_EQ(commands[2].menuCaption, "&Actions");
    EXPECT_EQ(commands[2].shortText, "Send With Reminder");
    EXPECT_EQ(commands[2].extra, "");

    for (const auto& command : commands) EXPECT_TRUE(command.button->Enabled());
    EXPECT_EQ(engine->CommandsOn(inspector).size(), 2u);
}

TEST_F(HxEngineTest, ACommandForNoWindowIsRefusedAndNotRecorded) {
    auto module = Start();
    EXPECT_EQ(engine->AddExplorerButton(*module, 1, 2145, "View Chasewell", false, nullptr,
                                        "Chasewell", "View Reminders"),
              host::kFailedCallStatus);
    EXPECT_TRUE(engine->Commands().empty());
}

TEST_F(HxEngineTest, RepeatedSubscriptionsAreRecordedButEachEventArrivesOnce) {
    auto module = Start();
    module->onExplorerOpen = RecordingModule::Subscribing(inbox, sentItems);
    auto first = OpenExplorer();
    OpenExplorer();
    ASSERT_EQ(engine->Subscriptions().size(), 8u);
    EXPECT_EQ(engine->Subscriptions()[1],
              (host::SubscriptionRecord{module.get(), 1, inbox->EntryID(), inbox->StoreID()}));
    EXPECT_EQ(engine->Subscriptions()[5], engine->Subscriptions()[1]);

    module->calls.clear();
    auto mail = model->NewMailItem();
    engine->ItemAdded(inbox->EntryID(), inbox->StoreID(), mail);
    engine->ItemSend(mail);
    engine->FolderSwitched(first);
    EXPECT_EQ(module->calls, (QStringList{"HxItemEvent 1", "HxItemEvent 4", "HxItemEvent 5"}));

    const auto& added = module->itemEvents[0];
    EXPECT_EQ(added.item, mail);
    EXPECT_EQ(added.folderEntryId, inbox->EntryID());
    EXPECT_EQ(added.folderStoreId, inbox->StoreID());
    EXPECT_FALSE(added.cancelSeen);
    EXPECT_EQ(module->itemEvents[1].folderEntryId, "");
    EXPECT_EQ(module->itemEvents[2].item, first);
}

TEST_F(HxEngineTest, ItemAddedReachesOnlyModulesSubscribedToThatVeryFolder) {
    auto watchesInbox = Start();
    auto watchesSent = Start();
    auto watchesSendsOnly = Start();
    engine->SubscribeItemEvents(*watchesInbox, 1, inbox->EntryID(), inbox->StoreID());
    engine->SubscribeItemEvents(*watchesSent, 1, sentItems->EntryID(), sentItems->StoreID());
    engine->SubscribeItemEvents(*watchesSendsOnly, 4, "", "");
    auto item = model->NewMailItem();

    engine->ItemAdded(inbox->EntryID(), inbox->StoreID(), item);
    EXPECT_EQ(watchesInbox->itemEvents.size(), 1u);
    EXPECT_TRUE(watchesSent->itemEvents.empty());
    EXPECT_TRUE(watchesSendsOnly->itemEvents.empty());

    // Both ids must match; another folder reaches nobody.
    engine->ItemAdded(inbox->EntryID(), "another store", item);
    auto drafts = model->DefaultFolder(host::kFolderDrafts);
    engine->ItemAdded(drafts->EntryID(), drafts->StoreID(), item);
    EXPECT_EQ(watchesInbox->itemEvents.size(), 1u);
    EXPECT_TRUE(watchesSent->itemEvents.empty());

    engine->ItemAdded(sentItems->EntryID(), sentItems->StoreID(), item);
    EXPECT_EQ(watchesSent->itemEvents.size(), 1u);
    EXPECT_TRUE(watchesSendsOnly->itemEvents.empty());
}

TEST_F(HxEngineTest, ModulesShareOneCancelAndTheEngineReturnsIt) {
    auto cancels = Start();
    auto watches = Start();
    engine->SubscribeItemEvents(*cancels, 4, "", "");
    engine->SubscribeItemEvents(*watches, 4, "", "");
    auto mail = model->NewMailItem();

    EXPECT_FALSE(engine->ItemSend(mail));
    cancels->answerCancel = true;
    EXPECT_TRUE(engine->ItemSend(mail));
    EXPECT_TRUE(watches->itemEvents.back().cancelSeen);
    // A later module may let the send go after all.
    watches->answerCancel = false;
    EXPECT_FALSE(engine->ItemSend(mail));
}

TEST_F(HxEngineTest, FindButtonPrefersTheActiveExplorerThenTheNewestButton) {
    auto module = Start();
    module->onExplorerOpen = AddButton;
    auto first = OpenExplorer();
    auto second = OpenExplorer();
    auto onFirst = engine->CommandsOn(first)[0].button;
    auto onSecond = engine->CommandsOn(second)[0].button;

    EXPECT_EQ(engine->FindButton("Add Reminders To Emails"), onSecond);
    engine->ActivateExplorer(first);
    EXPECT_EQ(engine->FindButton("Add Reminders To Emails"), onFirst);

    // An active explorer without the button: the newest one made.
    module->onExplorerOpen = nullptr;
    OpenExplorer();
    EXPECT_EQ(engine->FindButton("Add Reminders To Emails"), onSecond);

    // A closed window's button is gone.
    model->CloseExplorer(second);
    engine->CloseExplorer(second);
    EXPECT_EQ(engine->FindButton("Add Reminders To Emails"), onFirst);
    EXPECT_EQ(engine->FindButton("add reminders to emails"), nullptr);
    EXPECT_EQ(engine->FindButton("View Chasewell"), nullptr);
}

TEST_F(HxEngineTest, ButtonStateIsObservableAndADisabledButtonCannotBeClicked) {
    auto module = Start();
    module->onExplorerOpen = AddButton;
    auto explorer = OpenExplorer();
    auto button = engine->FindButton("Add Reminders To Emails");
    std::vector<bool> changes;
    engine->CommandsOn(explorer)[0].button->onEnabledChanged = [&](bool on) {
        changes.push_back(on);
    };

    button->setEnabled(false);
    button->setEnabled(false);
    EXPECT_FALSE(engine->CommandsOn(explorer)[0].button->Enabled());
    EXPECT_EQ(engine->ClickButton(explorer, 4), std::nullopt);

    button->setEnabled(true);
    EXPECT_EQ(engine->ClickButton(explorer, 4), std::optional<qint32>(0));
    EXPECT_EQ(changes, (std::vector<bool>{false, true}));
    EXPECT_EQ(module->calls.filter("Action"), QStringList{"HxButtonAction 4"});
}

TEST_F(HxEngineTest, AClickGoesToTheModuleThatAddedTheCommandOnThatWindow) {
    auto other = Start();
    auto module = Start();
    module->onInspectorOpen = [](RecordingModule& self,
                                 const std::shared_ptr<client::Inspector>& i) {
        self.engine->AddInspectorButton(self, 2, 2117, "Send with Chasewell", true, i, "Chasewell",
                                        "Send With Reminder");
        self.engine->AddInspectorMenuItem(self, 3, 2117, "Send with Chasewell", "&Actions", i,
                                          "Chasewell", "Send With Reminder", "");
    };
    auto inspector = model->OpenInspector(model->NewMailItem());
    engine->OpenInspector(inspector);
    auto elsewhere = model->OpenInspector(model->NewMailItem());

    EXPECT_EQ(engine->ClickButton(inspector, 2), std::optional<qint32>(0));
    EXPECT_EQ(engine->ClickMenuItem(inspector, 3), std::optional<qint32>(0));
    // No such command there: nothing is called.
    EXPECT_EQ(engine->ClickButton(inspector, 3), std::nullopt);
    EXPECT_EQ(engine->ClickMenuItem(inspector, 2), std::nullopt);
    EXPECT_EQ(engine->ClickButton(elsewhere, 2), std::nullopt);
    EXPECT_EQ(module->calls.filter("Action"), (QStringList{"HxButtonAction 2", "HxMenuAction 3"}));
    EXPECT_TRUE(other->calls.filter("Action").isEmpty());

    engine->CloseInspector(inspector);
    EXPECT_EQ(engine->ClickButton(inspector, 2), std::nullopt);
}

TEST_F(HxEngineTest, AModuleCallThatThrowsIsRecordedAndDoesNotStopTheOthers) {
    auto failing = Start();
    auto healthy = Start();
    failing->onExplorerOpen = AddButton;
    failing->failWith = "Object variable or With block variable not set";
    auto explorer = OpenExplorer();
    for (auto* m : {failing.get(), healthy.get()}) engine->SubscribeItemEvents(*m, 4, "", "");
    std::vector<QString> shown;
    engine->onFailedCall = [&](const host::FailedCall& call) { shown.push_back(call.member); };

    EXPECT_EQ(engine->ClickButton(explorer, 4), std::optional<qint32>(host::kFailedCallStatus));
    engine->ItemSend(model->NewMailItem());
    EXPECT_EQ(healthy->itemEvents.size(), 1u);

    ASSERT_EQ(engine->FailedCalls().size(), 2u);
    EXPECT_EQ(engine->FailedCalls()[0].module, failing.get());
    EXPECT_EQ(engine->FailedCalls()[0].member, "HxButtonAction");
    EXPECT_EQ(engine->FailedCalls()[0].description,
              "Object variable or With block variable not set");
    EXPECT_EQ(shown, (std::vector<QString>{"HxButtonAction", "HxItemEvent"}));
}

TEST_F(HxEngineTest, AfterShutdownOnlyAFurtherShutdownReachesTheModule) {
    auto module = Start();
    module->onExplorerOpen = [](RecordingModule& self, const std::shared_ptr<client::Explorer>& e) {
        AddButton(self, e);
        self.engine->SubscribeItemEvents(self, 4, "", "");
    };
    auto explorer = OpenExplorer();
    EXPECT_EQ(engine->Shutdown(), 0);

    engine->ItemSend(model->NewMailItem());
    EXPECT_EQ(engine->ClickButton(explorer, 4), std::nullopt);
    OpenExplorer();
    EXPECT_EQ(engine->Shutdown(), 0);
    EXPECT_EQ(module->calls,
              (QStringList{"HxStartup", "HxExplorerOpen", "HxShutdown", "HxShutdown"}));
}

}  // namespace
