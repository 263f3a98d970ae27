#include "host/mail/MailModel.h"

#include <gtest/gtest.h>

#include "tests/support/FakeEnv.h"

namespace {

using host::ItemKind;
using platform::RuntimeError;

const QString kNotFound = "The operation failed.  An object could not be found.";

using testing_support::ErrorOf;

class MailModelTest : public ::testing::Test {
protected:
    std::shared_ptr<host::HostMailItem> Mail(const QString& subject) {
        auto mail = model->NewMailItem();
        mail->setSubject(subject);
        return mail;
    }
    std::shared_ptr<client::NameSpace> Namespace() {
        return model->Application()->GetNamespace("MAPI");
    }

    testing_support::TestEnv env;
    std::shared_ptr<host::MailModel> model = host::MailModel::Create();
};

TEST_F(MailModelTest, ANewMailboxHasTheDefaultFoldersUnderPersonalFolders) {
    auto ns = Namespace();
    auto inbox = ns->GetDefaultFolder(client::olFolderInbox);
    auto sent = ns->GetDefaultFolder(client::olFolderSentMail);
    auto calendar = ns->GetDefaultFolder(client::olFolderCalendar);
    EXPECT_EQ(inbox->Name(), "Inbox");
    EXPECT_EQ(sent->Name(), "Sent Items");
    EXPECT_EQ(calendar->Name(), "Calendar");
    EXPECT_EQ(inbox->DefaultItemType(), client::olMailItem);
    EXPECT_EQ(calendar->DefaultItemType(), client::olAppointmentItem);
    EXPECT_EQ(inbox->Items()->Count(), 0);

    auto root = model->StoreRoots().at(0);
    EXPECT_EQ(root->Name(), "Personal Folders");
    EXPECT_EQ(root->DefaultItemType(), client::olMailItem);
    EXPECT_EQ(root->Folder("Inbox"), inbox);
    EXPECT_EQ(root->Folder("Sent Items"), sent);
    EXPECT_EQ(root->Folder("Deleted Items")->DefaultItemType(), client::olMailItem);

    // Every folder has its own entry id; all share the store's id.
    QStringList ids{root->EntryID()};
    for (const auto& folder : root->Folders()) {
        EXPECT_EQ(folder->StoreID(), root->StoreID());
        EXPECT_FALSE(ids.contains(folder->EntryID()));
        ids << folder->EntryID();
    }
    EXPECT_FALSE(ids.contains(root->StoreID()));

    EXPECT_EQ(ErrorOf([&] { ns->GetDefaultFolder(99); }), kNotFound);
    EXPECT_EQ(ErrorOf([&] { model->Application()->GetNamespace("LDAP"); }),
              "Invalid procedure call or argument");
}

TEST_F(MailModelTest, ItemsAreCountedAndReachedFromOne) {
    auto inbox = model->DefaultFolder(client::olFolderInbox);
    auto items = inbox->Items();
    auto first = Mail("first");
    auto second = Mail("second");
    model->File(inbox, first);
    model->File(inbox, second);
    EXPECT_EQ(items->Count(), 2);
    EXPECT_EQ(items->Item(1), first);
    EXPECT_EQ(items->Item(2), second);
    EXPECT_EQ(ErrorOf([&] { items->Item(0); }), "Subscript out of range");
    EXPECT_EQ(ErrorOf([&] { items->Item(3); }), "Subscript out of range");
    EXPECT_EQ(first->Parent(), inbox);
}

TEST_F(MailModelTest, AnEntryIdIsGivenOnFilingAndKeptForTheItemsLife) {
    auto inbox = model->DefaultFolder(client::olFolderInbox);
    auto archive = model->AddFolder(model->StoreRoots()[0], "Archive");
    auto mail = Mail("kept");
    EXPECT_EQ(mail->EntryID(), "");
    EXPECT_EQ(mail->Parent(), nullptr);

    model->File(inbox, mail);
    const QString id = mail->EntryID();
    EXPECT_FALSE(id.isEmpty());
    EXPECT_TRUE(model->Remove(mail));
    EXPECT_FALSE(model->Remove(mail));
    EXPECT_EQ(mail->Parent(), nullptr);
    EXPECT_EQ(ErrorOf([&] { Namespace()->GetItemFromID(id, QString()); }), kNotFound);
    model->File(archive, mail);
    EXPECT_EQ(mail->EntryID(), id);
    EXPECT_EQ(Namespace()->GetItemFromID(id, QString()), mail);

    // Filing twice, or under another item's id, would make ids ambiguous.
    EXPECT_THROW(model->File(inbox, mail), std::invalid_argument);
    EXPECT_THROW(model->File(inbox, Mail("other"), id), std::invalid_argument);
    auto elsewhere = host::MailModel::Create();
    EXPECT_THROW(model->File(inbox, elsewhere->NewMailItem()), std::invalid_argument);
    EXPECT_THROW(model->File(elsewhere->DefaultFolder(client::olFolderInbox), Mail("x")),
                 std::invalid_argument);
}

TEST_F(MailModelTest, GetItemFromIdLooksInTheDefaultStoreUnlessAStoreIsNamed) {
    auto inbox = model->DefaultFolder(client::olFolderInbox);
    auto local = Mail("local");
    model->File(inbox, local);
    auto archiveRoot = model->AddStore("Archive Folders");
    auto archived = model->AddFolder(archiveRoot, "Old Mail");
    auto old = Mail("old");
    model->File(archived, old);
    auto ns = Namespace();

    EXPECT_EQ(ns->GetItemFromID(local->EntryID(), QString()), local);
    EXPECT_EQ(ns->GetItemFromID(local->EntryID(), inbox->StoreID()), local);
    // The second store's item: only with its store, named by its StoreID or
    // by the entry id of one of its folders.
    EXPECT_EQ(ErrorOf([&] { ns->GetItemFromID(old->EntryID(), QString()); }), kNotFound);
    EXPECT_EQ(ns->GetItemFromID(old->EntryID(), archiveRoot->StoreID()), old);
    EXPECT_EQ(ns->GetItemFromID(old->EntryID(), archived->EntryID()), old);
    EXPECT_EQ(ErrorOf([&] { ns->GetItemFromID(old->EntryID(), inbox->EntryID()); }), kNotFound);

    EXPECT_EQ(ErrorOf([&] { ns->GetItemFromID(local->EntryID(), "no such store"); }), kNotFound);
    EXPECT_EQ(ErrorOf([&] { ns->GetItemFromID("0000ABCDEF", QString()); }), kNotFound);
    EXPECT_EQ(ErrorOf([&] { ns->GetItemFromID(QString(), QString()); }), kNotFound);
}

TEST_F(MailModelTest, ItemKindsHaveTheirTypeNamesAndOnlyMailHasADefaultMember) {
    auto application = model->Application();
    auto mail = application->CreateItem(client::olMailItem);
    EXPECT_EQ(mail->TypeName(), "MailItem");
    EXPECT_NE(std::dynamic_pointer_cast<client::MailItem>(mail), nullptr);
    std::dynamic_pointer_cast<client::MailItem>(mail)->setSubject("Quarterly figures");
    EXPECT_EQ(mail->DefaultMember().toString(), "Quarterly figures");

    EXPECT_EQ(application->CreateItem(client::olAppointmentItem)->TypeName(), "AppointmentItem");
    EXPECT_EQ(application->CreateItem(client::olContactItem)->TypeName(), "ContactItem");
    EXPECT_EQ(application->CreateItem(client::olTaskItem)->TypeName(), "TaskItem");
    EXPECT_EQ(ErrorOf([&] { application->CreateItem(7); }), "Invalid procedure call or argument");

    for (auto [kind, name] : {std::pair{ItemKind::Appointment, "AppointmentItem"},
                              std::pair{ItemKind::Contact, "ContactItem"},
                              std::pair{ItemKind::MeetingRequest, "MeetingItem"},
                              std::pair{ItemKind::Report, "ReportItem"}}) {
        auto item = model->NewItem(kind);
        item->setSubject("subject");
        EXPECT_EQ(item->TypeName(), name);
        EXPECT_EQ(std::dynamic_pointer_cast<client::MailItem>(platform::ObjectRef(item)), nullptr);
        EXPECT_EQ(ErrorOf([&] { item->DefaultMember(); }),
                  "Object doesn't support this property or method")
            << name;
    }
}

TEST_F(MailModelTest, RecipientsKeepTheirTypesAndAddressEntries) {
    auto mail = Mail("Plans");
    auto list = mail->RecipientList();
    list->AddRecipient(client::olTo, "ann@example.com");
    list->AddRecipient(client::olCC, "/o=Example/ou=Exchange/cn=Recipients/cn=pat");
    list->AddRecipient(client::olBCC, "unresolved", nullptr);
    mail->Recipients()->Add("lee@example.com");

    auto recipients = mail->Recipients();
    ASSERT_EQ(recipients->Count(), 4);
    EXPECT_EQ(recipients->Item(1)->Type(), client::olTo);
    EXPECT_EQ(recipients->Item(1)->AddressEntry()->Type(), "SMTP");
    EXPECT_EQ(recipients->Item(2)->Type(), client::olCC);
    EXPECT_EQ(recipients->Item(2)->AddressEntry()->Type(), "EX");
    EXPECT_EQ(recipients->Item(2)->Address(), "/o=Example/ou=Exchange/cn=Recipients/cn=pat");
    EXPECT_EQ(recipients->Item(3)->Type(), client::olBCC);
    EXPECT_EQ(recipients->Item(3)->AddressEntry(), nullptr);
    EXPECT_EQ(recipients->Item(4)->Type(), client::olTo);
    EXPECT_EQ(recipients->Item(4)->Address(), "lee@example.com");
    EXPECT_EQ(ErrorOf([&] { recipients->Item(5); }), "Subscript out of range");
    EXPECT_EQ(ErrorOf([&] { recipients->Add(" "); }), "Invalid procedure call or argument");
}

TEST_F(MailModelTest, ForwardIsANewUnsavedMessageWithoutRecipients) {
    env.clock.Set("2024-03-07T09:15:00");
    auto original = Mail("Budget");
    original->setBody("Numbers attached.");
    original->setSender(host::HostAddressEntry::ForAddress("kim@example.com"));
    original->RecipientList()->AddRecipient(client::olTo, "ann@example.com");
    original->RecipientList()->AddRecipient(client::olTo, "bo@example.com");
    original->RecipientList()->AddRecipient(client::olCC, "cy@example.com");
    original->RecipientList()->AddRecipient(client::olBCC, "hidden@example.com");
    model->Deliver(model->DefaultFolder(client::olFolderInbox), original);

    auto forward = std::dynamic_pointer_cast<host::HostMailItem>(original->Forward());
    ASSERT_NE(forward, nullptr);
    EXPECT_EQ(forward->Subject(), "FW: Budget");
    // The forwarded message under its header block, a line above for the
    // sender's own words; a blind copy stays blind.
    EXPECT_EQ(forward->Body(),
              "\n-------- Forwarded Message --------\n"
              "Subject: Budget\n"
              "Date: 2024-03-07 09:15\n"
              "From: kim@example.com\n"
              "To: ann@example.com, bo@example.com\n"
              "Cc: cy@example.com\n"
              "\n"
              "Numbers attached.");
    EXPECT_EQ(original->Body(), "Numbers attached.") << "the original is untouched";
    // What a message does not have is left out.
    auto bare = Mail("");
    EXPECT_EQ(bare->ForwardedHeaderBlock(), "-------- Forwarded Message --------\n");
    EXPECT_EQ(forward->Recipients()->Count(), 0);
    EXPECT_EQ(forward->EntryID(), "");
    EXPECT_EQ(forward->Parent(), nullptr);
    EXPECT_FALSE(forward->SentOn().isValid());
}

TEST_F(MailModelTest, DeliveringFilesTheItemStampsItAndRaisesItemAdded) {
    env.clock.Set("2024-03-07T09:15:00");
    auto inbox = model->DefaultFolder(client::olFolderInbox);
    std::vector<std::pair<QString, platform::ObjectRef>> added;
    model->onItemAdded = [&](const std::shared_ptr<host::HostFolder>& folder,
                             const platform::ObjectRef& item) {
        added.emplace_back(folder->EntryID(), item);
    };
    auto reply = Mail("RE: Budget");
    model->Deliver(inbox, reply);
    auto report = model->NewItem(ItemKind::Report);
    model->Deliver(inbox, report);

    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[0], (std::pair<QString, platform::ObjectRef>{inbox->EntryID(), reply}));
    EXPECT_EQ(added[1].second, report);
    EXPECT_EQ(reply->SentOn(), env.clock.Now());
    EXPECT_EQ(inbox->Items()->Count(), 2);
}

TEST_F(MailModelTest, ExplorersTrackTheActiveOneAndSwitchFolders) {
    auto inbox = model->DefaultFolder(client::olFolderInbox);
    auto calendar = model->DefaultFolder(client::olFolderCalendar);
    std::vector<std::shared_ptr<host::HostExplorer>> switched;
    model->onFolderSwitch = [&](const std::shared_ptr<host::HostExplorer>& e) {
        switched.push_back(e);
    };
    auto application = model->Application();
    EXPECT_EQ(application->ActiveExplorer(), nullptr);

    auto first = model->OpenExplorer(inbox);
    auto second = model->OpenExplorer(nullptr);
    EXPECT_EQ(application->ActiveExplorer(), second);
    EXPECT_EQ(second->CurrentFolder(), nullptr);
    model->ActivateExplorer(first);
    EXPECT_EQ(application->ActiveExplorer(), first);

    auto mail = Mail("selected");
    first->setSelection({mail});
    auto selection = first->Selection();
    EXPECT_EQ(selection->Count(), 1);
    EXPECT_EQ(selection->Item(1), mail);
    EXPECT_EQ(ErrorOf([&] { selection->Item(2); }), "Subscript out of range");

    first->setCurrentFolder(calendar);
    EXPECT_EQ(first->CurrentFolder(), calendar);
    EXPECT_EQ(first->Selection()->Count(), 0);
    EXPECT_EQ(selection->Count(), 1);  // taken before the switch
    EXPECT_EQ(switched, (std::vector{first}));

    model->CloseExplorer(first);
    EXPECT_EQ(application->ActiveExplorer(), second);
}

TEST_F(MailModelTest, DisplayOpensAnInspectorOnTheItem) {
    std::vector<platform::ObjectRef> opened;
    model->onInspectorOpen = [&](const std::shared_ptr<host::HostInspector>& inspector) {
        opened.push_back(inspector->CurrentItem());
    };
    auto mail = Mail("Follow-up");
    mail->Display();
    ASSERT_EQ(model->Inspectors().size(), 1u);
    EXPECT_EQ(model->Inspectors()[0]->CurrentItem(), mail);
    EXPECT_EQ(opened, (std::vector<platform::ObjectRef>{mail}));

    model.reset();
    EXPECT_EQ(ErrorOf([&] { mail->Display(); }), "Object variable or With block variable not set");
}

TEST_F(MailModelTest, TheDirectoryResolvesExchangeAddressesWithoutRegardToCase) {
    auto& directory = model->Directory();
    directory.Add("/o=Example/ou=Exchange/cn=Recipients/cn=pat", "pat@example.com");
    EXPECT_EQ(directory.Resolve("/O=EXAMPLE/ou=Exchange/cn=Recipients/cn=Pat"), "pat@example.com");
    EXPECT_EQ(directory.Resolve("/o=Example/ou=Exchange/cn=Recipients/cn=sam"), "");
}

TEST_F(MailModelTest, StorageHooksSeeEveryFilingBeforeItsEventAndEveryRealRemoval) {
    std::vector<QString> seen;
    model->onFiled = [&](const auto& folder, const auto& item) {
        seen.push_back("filed " + folder->Name() + " " + item->Subject() + " " + item->EntryID());
    };
    model->onRemoved = [&](const auto& folder, const auto& item) {
        seen.push_back("removed " + folder->Name() + " " + item->Subject());
    };
    model->onItemAdded = [&](const auto& folder, const auto&) {
        seen.push_back("added " + folder->Name());
    };
    auto inbox = model->DefaultFolder(client::olFolderInbox);
    auto mail = Mail("Hello");
    // A message read from disk arrives under the id its file gives it.
    model->Deliver(inbox, mail, "00000000ABCDEF0123456789");
    EXPECT_TRUE(mail->SentOn().isValid());
    EXPECT_TRUE(model->Remove(mail));
    EXPECT_FALSE(model->Remove(mail));
    EXPECT_EQ(seen, (std::vector<QString>{"filed Inbox Hello 00000000ABCDEF0123456789",
                                          "added Inbox", "removed Inbox Hello"}));
}

TEST_F(MailModelTest, AFolderIdMakerGivesTheSameIdsToTheSameFoldersInEveryModel) {
    auto maker = [](const QString& key) { return "ID:" + key; };
    auto first = host::MailModel::Create(maker);
    auto second = host::MailModel::Create(maker);
    auto inbox = first->DefaultFolder(client::olFolderInbox);
    EXPECT_EQ(inbox->EntryID(), "ID:Personal Folders/Inbox");
    EXPECT_EQ(inbox->StoreID(), "ID:store/Personal Folders");
    EXPECT_EQ(first->StoreRoots().front()->EntryID(), "ID:Personal Folders");
    EXPECT_EQ(second->DefaultFolder(client::olFolderInbox)->EntryID(), inbox->EntryID());
    // A second folder of the same name still gets an id of its own.
    auto projects = first->AddFolder(first->StoreRoots().front(), "Projects");
    auto again = first->AddFolder(first->StoreRoots().front(), "Projects");
    EXPECT_EQ(projects->EntryID(), "ID:Personal Folders/Projects");
    EXPECT_NE(again->EntryID(), projects->EntryID());
    // Without a maker, ids differ between models.
    EXPECT_NE(host::MailModel::Create()->DefaultFolder(client::olFolderInbox)->EntryID(),
              model->DefaultFolder(client::olFolderInbox)->EntryID());
}

}  // namespace
