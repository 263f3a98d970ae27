// The engine connected to the mail client model, driven as a user drives the
// mail client: windows open, messages are sent and arrive.

#include <gtest/gtest.h>

#include "host/engine/HxEngine.h"
#include "host/engine/MailConnection.h"
#include "host/mail/MailModel.h"
#include "tests/host/RecordingModule.h"
#include "tests/support/FakeEnv.h"

namespace {

using testing_support::ErrorOf;
using testing_support::RecordingModule;

class EngineAndModelTest : public ::testing::Test {
protected:
    EngineAndModelTest() {
        host::ConnectEngine(*model, engine);
        module->onExplorerOpen = RecordingModule::Subscribing(inbox, sentItems);
        engine->StartModule(module);
        explorer = model->OpenExplorer(inbox);
        module->calls.clear();
    }
    std::shared_ptr<host::HostMailItem> Message(const QString& subject) {
        auto mail = model->NewMailItem();
        mail->setSubject(subject);
        mail->RecipientList()->AddRecipient(client::olTo, "ann@example.com");
        return mail;
    }

    testing_support::TestEnv env;
    std::shared_ptr<host::MailModel> model = host::MailModel::Create();
    std::shared_ptr<host::HxEngine> engine = std::make_shared<host::HxEngine>(model->Application());
    std::shared_ptr<RecordingModule> module = std::make_shared<RecordingModule>();
    std::shared_ptr<host::HostFolder> inbox = model->DefaultFolder(client::olFolderInbox);
    std::shared_ptr<host::HostFolder> sentItems = model->DefaultFolder(client::olFolderSentMail);
    std::shared_ptr<host::HostFolder> drafts = model->DefaultFolder(host::kFolderDrafts);
    std::shared_ptr<host::HostExplorer> explorer;
};

TEST_F(EngineAndModelTest, SendingRaisesTheSendEventThenFilesAStampedCopyInSentItems) {
    env.clock.Set("2024-03-07T14:05:30");
    auto mail = Message("Plans");
    model->Save(mail);  // a draft, as a module saves it before taking its ids
    const QString draftId = mail->EntryID();
    struct Seen {
        bool sentOnSet;
        int sentCount;
    };
    std::vector<Seen> seen;
    module->onItemEvent = [&](RecordingModule&, const RecordingModule::ItemEvent&) {
        seen.push_back({mail->SentOn().isValid(), sentItems->Items()->Count()});
    };

    auto copy = model->Send(mail);

    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(module->calls, (QStringList{"HxItemEvent 4", "HxItemEvent 1"}));
    EXPECT_EQ(module->itemEvents[0].item, mail);
    EXPECT_FALSE(seen[0].sentOnSet);
    EXPECT_EQ(seen[0].sentCount, 0);

    const auto& added = module->itemEvents[1];
    EXPECT_EQ(added.item, copy);
    EXPECT_EQ(added.folderEntryId, sentItems->EntryID());
    EXPECT_EQ(added.folderStoreId, sentItems->StoreID());
    EXPECT_FALSE(copy->EntryID().isEmpty());
    EXPECT_NE(copy->EntryID(), draftId);
    EXPECT_EQ(copy->Parent(), sentItems);
    EXPECT_EQ(copy->SentOn(), platform::MakeDateTime(QDate(2024, 3, 7), QTime(14, 5, 30)));
    EXPECT_EQ(copy->Subject(), "Plans");
    EXPECT_EQ(copy->Recipients()->Item(1)->Address(), "ann@example.com");
    EXPECT_EQ(copy->Sender()->Address(), "user@example.com");

    // The sent message left Drafts; the copy is found by its own id.
    EXPECT_EQ(drafts->Items()->Count(), 0);
    auto ns = model->Application()->GetNamespace("MAPI");
    EXPECT_EQ(ns->GetItemFromID(copy->EntryID(), QString()), copy);
    EXPECT_THROW(ns->GetItemFromID(draftId, QString()), platform::RuntimeError);
}

TEST_F(EngineAndModelTest, ACancelledSendLeavesTheMessageUnsent) {
    auto mail = Message("Plans");
    model->Save(mail);
    module->answerCancel = true;

    EXPECT_EQ(model->Send(mail), nullptr);
    EXPECT_EQ(module->calls, (QStringList{"HxItemEvent 4"}));
    EXPECT_FALSE(mail->SentOn().isValid());
    EXPECT_EQ(sentItems->Items()->Count(), 0);
    EXPECT_EQ(mail->Parent(), drafts);
}

TEST_F(EngineAndModelTest, AMessageThatCannotBeSentRaisesNoSendEvent) {
    auto empty = model->NewMailItem();
    try {
        model->Send(empty);
        FAIL() << "sent";
    } catch (const platform::RuntimeError& error) {
        EXPECT_EQ(error.description(), "The message cannot be sent: it has no recipients.");
    }
    auto mail = Message("Once");
    model->Send(mail);
    module->calls.clear();
    try {
        model->Send(mail);
        FAIL() << "sent twice";
    } catch (const platform::RuntimeError& error) {
        EXPECT_EQ(error.description(), "The message has already been sent.");
    }
    EXPECT_TRUE(module->calls.isEmpty());
    EXPECT_EQ(sentItems->Items()->Count(), 1);
}

TEST_F(EngineAndModelTest, AReplyArrivesOnceHoweverManyExplorersAreOpen) {
    model->OpenExplorer(sentItems);
    model->OpenExplorer(nullptr);
    module->calls.clear();
    auto reply = model->NewMailItem();
    reply->setSubject("RE: Plans");
    reply->setSender(host::HostAddressEntry::ForAddress("ann@example.com"));
    model->Deliver(inbox, reply);

    EXPECT_EQ(module->calls, QStringList{"HxItemEvent 1"});
    EXPECT_EQ(module->itemEvents[0].item, reply);
    EXPECT_EQ(module->itemEvents[0].folderEntryId, inbox->EntryID());
    EXPECT_EQ(module->itemEvents[0].folderStoreId, inbox->StoreID());

    // A folder nobody watches raises nothing the module sees.
    model->Deliver(model->DefaultFolder(client::olFolderDeletedItems), model->NewMailItem());
    EXPECT_EQ(module->calls.size(), 1);
}

TEST_F(EngineAndModelTest, WindowsAndFolderSwitchesReachTheModule) {
    auto second = model->OpenExplorer(sentItems);
    model->ActivateExplorer(explorer);
    explorer->setCurrentFolder(model->StoreRoots()[0]);
    explorer->setCurrentFolder(nullptr);
    auto mail = Message("Follow-up");
    mail->Display();
    model->CloseExplorer(second);

    EXPECT_EQ(module->calls, (QStringList{"HxExplorerOpen", "HxExplorerActivate", "HxItemEvent 5",
                                          "HxItemEvent 5", "HxInspectorOpen", "HxExplorerClose"}));
    EXPECT_EQ(module->itemEvents[0].item, explorer);
    EXPECT_EQ(engine->ActiveExplorer(), explorer);
    EXPECT_EQ(model->Application()->ActiveExplorer(), explorer);
}

// A transport that keeps what it was handed until the test says how it went.
struct HeldTransport : host::MailTransport {
    void Deliver(const std::shared_ptr<const host::HostMailItem>& message, Done done) override {
        handed.push_back(message);
        pending.push_back(std::move(done));
    }
    // What the test has not answered yet (it answers by calling a done).
    int Running() const override { return static_cast<int>(pending.size()); }
    std::vector<std::shared_ptr<const host::HostMailItem>> handed;
    std::vector<Done> pending;
};

TEST_F(EngineAndModelTest, WithATransportTheMessageWaitsInTheOutboxUntilItIsDelivered) {
    env.clock.Set("2024-03-07T14:05:30");
    auto transport = std::make_shared<HeldTransport>();
    model->setTransport(transport);
    auto outbox = model->DefaultFolder(client::olFolderOutbox);
    std::vector<std::shared_ptr<host::HostMailItem>> delivered;
    std::vector<QString> failures;
    model->onDelivered = [&](const auto& copy) { delivered.push_back(copy); };
    model->onDeliveryFailed = [&](const auto&, const QString& why) { failures.push_back(why); };
    auto mail = Message("Plans");
    model->Save(mail);

    auto copy = model->Send(mail);
    ASSERT_NE(copy, nullptr);
    // The send event came; the message waits in the Outbox; the copy handed
    // over carries the send time and a Message-ID, and is in no folder yet.
    EXPECT_EQ(module->calls, QStringList{"HxItemEvent 4"});
    EXPECT_EQ(mail->Parent(), outbox);
    EXPECT_EQ(drafts->Items()->Count(), 0);
    ASSERT_EQ(transport->handed.size(), 1u);
    EXPECT_EQ(transport->handed[0], copy);
    EXPECT_EQ(copy->SentOn(), platform::MakeDateTime(QDate(2024, 3, 7), QTime(14, 5, 30)));
    EXPECT_TRUE(copy->MessageId().endsWith("@example.com")) << copy->MessageId().toStdString();
    EXPECT_EQ(copy->Parent(), nullptr);
    EXPECT_TRUE(model->IsBeingDelivered(mail));
    EXPECT_EQ(ErrorOf([&] { model->Send(mail); }), "The message is being sent already.");

    // It fails: still in the Outbox, unsent, nothing in Sent Items.
    transport->pending[0]("The command \"sendmail\" ended with exit code 75.");
    EXPECT_EQ(failures, std::vector<QString>{"The command \"sendmail\" ended with exit code 75."});
    EXPECT_EQ(mail->Parent(), outbox);
    EXPECT_FALSE(mail->SentOn().isValid());
    EXPECT_EQ(sentItems->Items()->Count(), 0);
    EXPECT_FALSE(model->IsBeingDelivered(mail));

    // Sent again, it is delivered: it leaves the Outbox and the copy comes
    // to Sent Items with the item-added event the module watches.
    auto second = model->Send(mail);
    EXPECT_EQ(second->MessageId(), copy->MessageId()) << "the same message, sent again";
    module->calls.clear();
    transport->pending[1](QString());
    EXPECT_EQ(module->calls, QStringList{"HxItemEvent 1"});
    EXPECT_EQ(module->itemEvents.back().item, second);
    EXPECT_EQ(second->Parent(), sentItems);
    EXPECT_EQ(outbox->Items()->Count(), 0);
    EXPECT_TRUE(mail->SentOn().isValid());
    EXPECT_EQ(delivered, std::vector<std::shared_ptr<host::HostMailItem>>{second});
}

TEST_F(EngineAndModelTest, TheModelOutlivesItsEngine) {
    engine->Shutdown();
    engine.reset();
    module.reset();
    auto copy = model->Send(Message("Still sent"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Parent(), sentItems);
}

}  // namespace
