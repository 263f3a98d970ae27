#include <gtest/gtest.h>

#include "host/mail/MailModel.h"
#include "host/mailhelper/QxMAPIUtils.h"
#include "host/mailhelper/QxSafeMailItem.h"
#include "tests/support/FakeEnv.h"

namespace {

using platform::RuntimeError;

const QString kPat = "/o=Example/ou=Exchange/cn=Recipients/cn=pat";

using testing_support::ErrorOf;

// The helper library as the add-in reaches it: created by ProgID.
class MailHelperTest : public ::testing::Test {
protected:
    MailHelperTest() {
        library = host::RegisterMailHelperClasses(env.objects, model);
        model->Directory().Add(kPat, "pat@example.com");
    }
    std::shared_ptr<mailhelper::SafeMailItem> Wrap(const platform::ObjectRef& item) {
        auto safe =
            env.objects.CreateObjectAs<mailhelper::SafeMailItem>(mailhelper::kSafeMailItemProgId);
        safe->setItem(item);
        return safe;
    }
    std::shared_ptr<mailhelper::MAPIUtils> Utils() {
        return env.objects.CreateObjectAs<mailhelper::MAPIUtils>(mailhelper::kMAPIUtilsProgId);
    }

    testing_support::TestEnv env;
    std::shared_ptr<host::MailModel> model = host::MailModel::Create();
    std::shared_ptr<host::MailHelperLibrary> library;
};

TEST_F(MailHelperTest, ReadsAReceivedMessage) {
    env.clock.Set("2024-03-07T11:30:00");
    auto mail = model->NewMailItem();
    mail->setSubject("RE: Plans");
    mail->setSender(host::HostAddressEntry::ForAddress(kPat));
    mail->RecipientList()->AddRecipient(client::olTo, "user@example.com");
    mail->RecipientList()->AddRecipient(client::olCC, "ann@example.com", nullptr);
    auto inbox = model->DefaultFolder(client::olFolderInbox);
    model->Deliver(inbox, mail);

    auto safe = Wrap(mail);
    EXPECT_EQ(safe->Subject(), "RE: Plans");
    EXPECT_EQ(safe->EntryId(), mail->EntryID());
    EXPECT_EQ(safe->Parent()->EntryID(), inbox->EntryID());
    EXPECT_EQ(safe->SentOn(), env.clock.Now());

    auto recipients = safe->Recipients();
    ASSERT_EQ(recipients->Count(), 2);
    EXPECT_EQ(recipients->Item(1)->Type(), client::olTo);
    EXPECT_EQ(recipients->Item(1)->AddressEntry()->Address(), "user@example.com");
    EXPECT_EQ(recipients->Item(2)->Type(), client::olCC);
    EXPECT_EQ(recipients->Item(2)->Address(), "ann@example.com");
    EXPECT_EQ(recipients->Item(2)->AddressEntry(), nullptr);
    EXPECT_EQ(ErrorOf([&] { recipients->Item(3); }), "Subscript out of range");

    auto sender = safe->Sender();
    ASSERT_NE(sender, nullptr);
    EXPECT_EQ(sender->Type(), "EX");
    EXPECT_EQ(sender->Address(), kPat);
}

TEST_F(MailHelperTest, SmtpAddressesResolveDirectoryEntriesThroughTheDirectory) {
    auto utils = Utils();
    host::QxAddressEntry exchange(host::HostAddressEntry::ForAddress(kPat));
    host::QxAddressEntry unknown(
        host::HostAddressEntry::ForAddress("/o=Example/ou=Exchange/cn=Recipients/cn=sam"));
    host::QxAddressEntry smtp(host::HostAddressEntry::ForAddress("ann@example.com"));
    EXPECT_EQ(utils->GetSMTPAddress(exchange), "pat@example.com");
    EXPECT_EQ(utils->GetSMTPAddress(unknown), "");
    EXPECT_EQ(utils->GetSMTPAddress(smtp), "ann@example.com");

    auto fromPat = model->NewMailItem();
    fromPat->setSender(host::HostAddressEntry::ForAddress(kPat));
    auto fromAnn = model->NewMailItem();
    fromAnn->setSender(host::HostAddressEntry::ForAddress("ann@example.com"));
    auto fromNobody = model->NewMailItem();
    EXPECT_EQ(utils->GetSenderSMTPAddress(*Wrap(fromPat)), "pat@example.com");
    EXPECT_EQ(utils->GetSenderSMTPAddress(*Wrap(fromAnn)), "ann@example.com");
    EXPECT_EQ(Wrap(fromNobody)->Sender(), nullptr);
    EXPECT_EQ(utils->GetSenderSMTPAddress(*Wrap(fromNobody)), "");
}

TEST_F(MailHelperTest, ASentMessageGivesItsMessageIdWithoutAngleBrackets) {
    auto mail = model->NewMailItem();
    mail->setSubject("Plans");
    mail->RecipientList()->AddRecipient(client::olTo, "ann@example.com");
    EXPECT_EQ(Wrap(mail)->InternetMessageId(), "") << "not sent yet";
    auto copy = model->Send(mail);
    ASSERT_NE(copy, nullptr);
    const QString id = Wrap(copy)->InternetMessageId();
    EXPECT_EQ(id, copy->MessageId());
    EXPECT_TRUE(id.endsWith("@example.com")) << id.toStdString();
    EXPECT_FALSE(id.contains('<') || id.contains('>'));
}

TEST_F(MailHelperTest, BuildsAndDisplaysAFollowUpMessage) {
    auto forward = model->NewMailItem();
    forward->setSubject("FW: Plans");
    auto safe = Wrap(forward);
    safe->Recipients()->Add("ann@example.com");
    safe->setSubject("Plans");
    safe->Display();

    EXPECT_EQ(forward->Subject(), "Plans");
    ASSERT_EQ(forward->Recipients()->Count(), 1);
    EXPECT_EQ(forward->Recipients()->Item(1)->Type(), client::olTo);
    EXPECT_EQ(forward->Recipients()->Item(1)->Address(), "ann@example.com");
    ASSERT_EQ(model->Inspectors().size(), 1u);
    EXPECT_EQ(model->Inspectors()[0]->CurrentItem(), forward);
}

TEST_F(MailHelperTest, SavingANewMessageFilesItInDraftsAndGivesItsEntryId) {
    std::vector<QString> addedTo;
    model->onItemAdded = [&](const std::shared_ptr<host::HostFolder>& folder,
                             const platform::ObjectRef&) { addedTo.push_back(folder->Name()); };
    auto mail = model->NewMailItem();
    auto safe = Wrap(mail);
    EXPECT_EQ(safe->EntryId(), "");
    EXPECT_EQ(safe->Parent(), nullptr);

    safe->Save();
    EXPECT_FALSE(safe->EntryId().isEmpty());
    EXPECT_EQ(safe->Parent(), model->DefaultFolder(host::kFolderDrafts));
    const QString id = safe->EntryId();
    safe->Save();
    EXPECT_EQ(safe->EntryId(), id);
    EXPECT_EQ(addedTo, std::vector<QString>{"Drafts"});
}

TEST_F(MailHelperTest, OtherItemKindsHaveNoRecipientsSendTimeOrSender) {
    auto meeting = model->NewItem(host::ItemKind::MeetingRequest);
    meeting->setSubject("Planning");
    auto safe = Wrap(meeting);
    EXPECT_EQ(safe->Subject(), "Planning");
    EXPECT_EQ(safe->Recipients()->Count(), 0);
    EXPECT_FALSE(safe->SentOn().isValid());
    EXPECT_EQ(safe->Sender(), nullptr);
    EXPECT_EQ(safe->InternetMessageId(), "");
    EXPECT_EQ(ErrorOf([&] { safe->Recipients()->Add("ann@example.com"); }),
              "Object doesn't support this property or method");
    EXPECT_EQ(ErrorOf([&] { safe->Display(); }), "Object doesn't support this property or method");
}

TEST_F(MailHelperTest, AnItemMustBeSetAndBeAnItem) {
    auto safe =
        env.objects.CreateObjectAs<mailhelper::SafeMailItem>(mailhelper::kSafeMailItemProgId);
    EXPECT_EQ(ErrorOf([&] { safe->Subject(); }), "Object variable or With block variable not set");
    EXPECT_EQ(ErrorOf([&] { safe->InternetMessageId(); }),
              "Object variable or With block variable not set");
    EXPECT_EQ(ErrorOf([&] { safe->setItem(nullptr); }),
              "Object variable or With block variable not set");
    EXPECT_EQ(ErrorOf([&] { safe->setItem(model->DefaultFolder(client::olFolderInbox)); }),
              "Type mismatch");
}

TEST_F(MailHelperTest, EachCreationIsANewObjectAndCleanupIsCounted) {
    auto first = Wrap(model->NewMailItem());
    auto second = Wrap(model->NewMailItem());
    EXPECT_NE(first, second);
    Utils()->Cleanup();
    Utils()->Cleanup();
    EXPECT_EQ(library->cleanupCalls, 2);
}

}  // namespace
