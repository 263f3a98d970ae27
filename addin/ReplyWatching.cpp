// Keeping the reminders in step with the mailbox: a reply in the Inbox ends
// its reminder; the sent copy in Sent Items gives the reminders its time and
// identifiers.
//
// A message from a reminded recipient answers a reminder by one of two rules:
//   - the thread rule: its In-Reply-To or References field names the
//     Message-ID of the message the reminder was made for, whatever its
//     subject; this ends every reminder of that sender whose message it
//     names, and only those (another recipient's reminder for the same
//     message waits for that recipient);
//   - the subject rule, when the thread rule ends nothing: the collection's
//     FindEx and RemoveBy match its subject with the reminder's, reply and
//     forward prefixes aside.
// An automatic reply answers nothing, whatever it names.

#include <QSet>
#include <vector>

#include "addin/AutomaticReplies.h"
#include "addin/CChasewell.h"
#include "addin/ReplyThreads.h"
#include "addin/contracts/ErrorReport.h"
#include "platform/Env.h"
#include "schedule/Globals.h"
#include "schedule/WindowSeams.h"
#include "store/CReminderItem.h"
#include "store/CReminderItems.h"

using engine::ReportSource;
using platform::Deref;

namespace {

const QString kInboxProcedure = QStringLiteral("ItemAddedToInbox");

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

// The mail client's namespace; no object when it cannot be had, so that
// every sent message counts as not found and the subject rule still runs.
std::shared_ptr<client::NameSpace> MailNamespace() {
    try {
        return Deref(Deref(Globals::m_Engine).OutlookApplication())
            .GetNamespace(QStringLiteral("MAPI"));
    } catch (const std::exception&) {
        return nullptr;
    }
}

struct ThreadAnswer {
    std::shared_ptr<CReminderItem> reminder;
    QString messageId;
};

// The sender's reminders whose message the reply's thread names. Only the
// sender's reminders are looked at, so a reply costs a look-up per reminder
// of its sender, however many reminders there are.
std::vector<ThreadAnswer> AnsweredByThread(const CReminderItems& reminders, const QString& sender,
                                           const QStringList& threadIds) {
    const QSet<QString> named(threadIds.cbegin(), threadIds.cend());
    const auto ns = MailNamespace();
    std::vector<ThreadAnswer> answered;
    for (const auto& reminder : reminders.FindBySender(sender)) {
        if (reminder->EntryId().isEmpty()) {
            Globals::WriteTrace(kInboxProcedure, "Thread rule: the reminder '" +
                                                     reminder->Subject() +
                                                     "' names no message, so only its subject "
                                                     "can end it");
            continue;
        }
        const QString id = ns ? SentMessageId(*ns, *reminder) : QString();
        if (id.isEmpty()) {
            Globals::WriteTrace(kInboxProcedure, "Thread rule: the message of the reminder '" +
                                                     reminder->Subject() +
                                                     "' is gone or has no Message-ID, so only "
                                                     "its subject can end it");
            continue;
        }
        if (named.contains(id))
            answered.push_back({reminder, id});
    }
    if (answered.empty()) {
        const QString messages = threadIds.size() == 1
                                     ? QStringLiteral("message")
                                     : QString::number(threadIds.size()) + " messages";
        Globals::WriteTrace(kInboxProcedure,
                            "Thread rule: no reminder for this sender was made for the " +
                                messages + " the reply names");
    }
    return answered;
}

}  // namespace

bool CChasewell::ItemAddedToInbox(const platform::ObjectRef& Item) {
    engine::TrappedSteps(
        ReportSource::Fixed("Chasewell.ItemAddedToInbox"), 0, [&](engine::Steps& steps) {
            const QString& procedure = kInboxProcedure;
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
            // person has still to be chased, whatever message it names.
            if (const auto marker = AutomaticReplyMarker(headers, subject)) {
                Globals::WriteTrace(procedure, "Automatic reply, not an answer (" + *marker +
                                                   "): no reminder is removed");
                return;
            }
            const QStringList threadIds = ThreadMessageIds(headers);
            const std::vector<ThreadAnswer> answered =
                threadIds.isEmpty() ? std::vector<ThreadAnswer>()
                                    : AnsweredByThread(reminders, address, threadIds);
            if (!answered.empty()) {
                steps.Begin(12);
                for (const ThreadAnswer& answer : answered) reminders.Remove(answer.reminder);
                // Saved at once, so that the reminder does not come back after a
                // crash. SaveData reports its own failures.
                reminders.SaveData();
                steps.Begin(14);
                WindowSeams::ViewReminders().FillGrid();
                for (const ThreadAnswer& answer : answered)
                    Globals::WriteTrace(procedure,
                                        "Found email: reminder removed by the thread rule "
                                        "(subject '" +
                                            answer.reminder->Subject() + "', the reply names <" +
                                            answer.messageId + ">)");
                return;
            }

            auto found = reminders.FindEx(address, subject);
            if (!found)
                return;
            steps.Begin(12);
            Globals::WriteTrace(procedure, "ReminderItem- Local Email: " + found->EmailAddress());
            Globals::WriteTrace(procedure, "About to remove Reminder");
            // FindEx finds a reminder whose subject occurs in the received one;
            // RemoveBy decides whether the received subject answers it: "Budget
            // 2027 plan" holds "Budget" but is a new message, not a reply.
            const auto removed = reminders.RemoveBy(address, subject);
            if (!removed) {
                Globals::WriteTrace(procedure,
                                    "Subject is not a reply to the reminder's subject '" +
                                        found->Subject() + "': no reminder is removed");
                return;
            }
            reminders.SaveData();
            steps.Begin(14);
            WindowSeams::ViewReminders().FillGrid();
            Globals::WriteTrace(procedure,
                                "Found email: reminder removed by the subject rule (subject '" +
                                    removed->Subject() + "')");
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
