// Keeping the reminders in step with the mailbox: a reply in the Inbox ends
// its reminder; the sent copy in Sent Items gives the reminders its time and
// identifiers.

#include "addin/AutomaticReplies.h"
#include "addin/CChasewell.h"
#include "addin/contracts/ErrorReport.h"
#include "platform/Env.h"
#include "schedule/Globals.h"
#include "schedule/WindowSeams.h"
#include "store/CReminderItem.h"
#include "store/CReminderItems.h"

using engine::ReportSource;
using platform::Deref;

namespace {

QString SubjectOf(const platform::ObjectRef& item) {
    auto withSubject = std::dynamic_pointer_cast<client::ItemObject>(item);
    if (!withSubject)
        throw platform::RuntimeError::NotSupported();
    return withSubject->Subject();
}

std::shared_ptr<mailhelper::SafeMailItem> SafeItemFor(const platform::ObjectRef& item) {
    auto safeItem = platform::Objects().CreateObjectAs<mailhelper::SafeMailItem>(
        mailhelper::kSafeMailItemProgId);
    safeItem->setItem(item);
    return safeItem;
}

}  // namespace

bool CChasewell::ItemAddedToInbox(const platform::ObjectRef& Item) {
    engine::TrappedSteps(
        ReportSource::Fixed("Chasewell.ItemAddedToInbox"), 0, [&](engine::Steps& steps) {
            const QString procedure = QStringLiteral("ItemAddedToInbox");
            steps.Begin(2);
            if (!Globals::Remove())
                return;  // automatic removal is off
            steps.Begin(4);
            const QString typeName = Deref(Item).TypeName();
            Globals::WriteTrace(procedure, "Email (Type: " + typeName +
                                               ") received with subject: " + SubjectOf(Item));
            if (typeName != QLatin1String("MailItem"))
                return;
            steps.Begin(6);
            QString address;
            QString subject;
            QString headers;
            {
                auto safeItem = SafeItemFor(Item);
                address = Globals::GetFromSMTPAddress(*safeItem);
                subject = safeItem->Subject();
                headers = safeItem->TransportMessageHeaders();
            }
            steps.Begin(8);
            auto& reminders = Deref(Globals::m_ReminderItems);
            Globals::WriteTrace(procedure, "Looking for email address '" + address + "'");
            Globals::WriteTrace(procedure, "with subject '" + subject + "'");
            Globals::WriteTrace(procedure,
                                "m_ReminderItems - Count = " + QString::number(reminders.Count()));
            steps.Begin(10);
            // A sender without an address would match every reminder's address,
            // so a message from nobody in particular could end anyone's reminder.
            if (address.isEmpty())
                return;
            // An out-of-office notice or a delivery report is no answer: the
            // person has still to be chased.
            if (const auto marker = AutomaticReplyMarker(headers, subject)) {
                Globals::WriteTrace(procedure, "Automatic reply, not an answer (" + *marker +
                                                   "): no reminder is removed");
                return;
            }
            auto found = reminders.FindEx(address, subject);
            if (!found)
                return;
            steps.Begin(12);
            Globals::WriteTrace(procedure, "ReminderItem- Local Email: " + found->EmailAddress());
            Globals::WriteTrace(procedure, "About to remove Reminder");
            reminders.RemoveBy(address, subject);
            // Saved at once, so that the reminder does not come back after a
            // crash. SaveData reports its own failures.
            reminders.SaveData();
            steps.Begin(14);
            WindowSeams::ViewReminders().FillGrid();
            Globals::WriteTrace(procedure, "Found email: reminder removed");
        });
    return true;
}

bool CChasewell::ItemAddedToSentItems(const platform::ObjectRef& Item) {
    engine::Trapped(ReportSource::Fixed("Chasewell.ItemAddedToSentItems"), 0, [&] {
        const QString procedure = QStringLiteral("ItemAddedToSentItems");
        Globals::WriteTrace(procedure, "Subject: " + SubjectOf(Item));
        if (Deref(Item).TypeName() == QLatin1String("MailItem")) {
            auto& reminders = Deref(Globals::m_ReminderItems);
            {
                auto safeItem = SafeItemFor(Item);
                const QString subject = safeItem->Subject();
                auto recipients = safeItem->Recipients();
                const qint32 count = Deref(recipients).Count();
                for (qint32 i = 1; i <= count; ++i) {
                    const QString address =
                        Globals::GetRecipientSMTPAddress(Deref(recipients->Item(i)));
                    Globals::WriteTrace(procedure, "Looking for " + address);
                    // An empty address matches every reminder's: it would give
                    // another person's reminder this message's ids.
                    if (address.isEmpty())
                        continue;
                    auto found = reminders.FindEx(address, subject);
                    if (!found)
                        continue;
                    Globals::WriteTrace(procedure, "Found " + address + " and updating with " +
                                                       safeItem->EntryId());
                    found->setSentDate(platform::Dates().GeneralForm(safeItem->SentOn()));
                    found->setEntryId(safeItem->EntryId());
                    found->setStoreId(Deref(safeItem->Parent()).EntryID());
                }
            }
            reminders.SaveData();
        }
        Globals::WriteTrace(procedure, "Exiting");
    });
    return true;
}
