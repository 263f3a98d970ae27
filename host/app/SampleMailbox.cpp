#include "host/app/SampleMailbox.h"

#include "platform/Env.h"

namespace host::app {

namespace {

std::shared_ptr<HostMailItem> Message(MailModel& model, const QString& from, const QString& subject,
                                      const QString& body, const QDateTime& sentOn) {
    auto item = model.NewMailItem();
    item->setSender(HostAddressEntry::ForAddress(from));
    item->setSubject(subject);
    item->setBody(body);
    item->setSentOn(sentOn);
    return item;
}

}  // namespace

void SeedSampleDirectory(MailModel& model) {
    model.Directory().Add("/o=Example/ou=Exchange/cn=Recipients/cn=lee.wong",
                          "lee.wong@example.com");
}

void SeedSampleMailbox(MailModel& model) {
    const QString me = model.UserAddress();
    SeedSampleDirectory(model);
    const QDateTime now = platform::Now();
    auto inbox = model.DefaultFolder(client::olFolderInbox);
    auto sent = model.DefaultFolder(client::olFolderSentMail);
    auto projects = model.AddFolder(model.StoreRoots().front(), "Projects");

    auto figures = Message(model, me, "Quarterly figures",
                           "Could you send me the figures by Friday?", now.addDays(-3));
    figures->RecipientList()->AddRecipient(client::olTo, "pat.jones@example.com");
    figures->RecipientList()->AddRecipient(client::olCC, "sam.carter@example.com");
    figures->RecipientList()->AddRecipient(client::olBCC, "archive@example.com");
    model.File(sent, figures);

    auto budget = Message(model, me, "Budget 2025", "Here is the draft budget; comments welcome.",
                          now.addDays(-2));
    budget->RecipientList()->AddRecipient(client::olTo,
                                          "/o=Example/ou=Exchange/cn=Recipients/cn=lee.wong");
    model.File(sent, budget);

    auto offsite =
        Message(model, me, "Team offsite", "Which of the two dates suits you?", now.addDays(-1));
    offsite->RecipientList()->AddRecipient(client::olTo, "alex.kim@example.com");
    model.File(sent, offsite);

    auto welcome = Message(model, "it-desk@example.com", "Welcome to your new mailbox",
                           "Your mailbox is ready.", now.addDays(-5));
    welcome->RecipientList()->AddRecipient(client::olTo, me);
    model.File(inbox, welcome);

    auto reply = Message(model, "alex.kim@example.com", "RE: Team offsite",
                         "The second date works for me.", now.addSecs(-3600));
    reply->RecipientList()->AddRecipient(client::olTo, me);
    model.File(inbox, reply);

    auto plan = Message(model, "sam.carter@example.com", "Project plan", "The plan is attached.",
                        now.addDays(-4));
    plan->RecipientList()->AddRecipient(client::olTo, me);
    model.File(projects, plan);
}

}  // namespace host::app
