// Sending with a reminder: the send command, the send event, and adding
// reminders to messages already sent.

#include <QApplication>

#include "addin/CChasewell.h"
#include "addin/contracts/ErrorReport.h"
#include "platform/Env.h"
#include "schedule/Globals.h"
#include "schedule/RemindTimer.h"
#include "schedule/WindowSeams.h"
#include "store/CReminderItem.h"
#include "store/CReminderItems.h"

using engine::ReportSource;
using platform::Deref;

namespace {

QString BoolWord(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

std::shared_ptr<mailhelper::SafeMailItem> NewSafeMailItem() {
    return platform::Objects().CreateObjectAs<mailhelper::SafeMailItem>(
        mailhelper::kSafeMailItemProgId);
}

// A reminder that is never added to the collection: it carries the date, note
// and colour the user may change before the real reminders are made from it.
std::shared_ptr<CReminderItem> NewTemplate() {
    auto reminderTemplate = std::make_shared<CReminderItem>();
    reminderTemplate->setReminderDate(
        platform::Dates().GeneralForm(Globals::DefaultReminderDate()));
    return reminderTemplate;
}

}  // namespace

bool CChasewell::SendWithChasewell() {
    engine::Steps steps;
    try {
        steps.Begin(2);
        m_LocallyGenerated = true;
        steps.Begin(4);
        // The mail client sends the open message as on its own shortcut; the
        // send event then reaches HandleItemSend.
        platform::Windows().SendKeys(QApplication::activeWindow(), QStringLiteral("^{ENTER}"),
                                     false);
        // The keystroke may send nothing: no compose window in front, or a
        // message that cannot go. The request must then not wait for the
        // next send the user makes without asking for reminders. This runs
        // once the keystroke has been handled (it was queued first).
        const quint64 request = ++m_sendRequests;
        QMetaObject::invokeMethod(
            &m_queue,
            [this, request] {
                if (request == m_sendRequests)
                    m_LocallyGenerated = false;
            },
            Qt::QueuedConnection);
    } catch (...) {
        engine::ReportError("Error occurred at line number " + QString::number(steps.Last()) +
                                ".  Reason: " + platform::CurrentErrorDescription(),
                            0, QStringLiteral("Chasewell.SendWithChasewell"));
    }
    return true;
}

void CChasewell::HandleItemSend(platform::ObjectRef& message, bool& Cancel) {
    engine::TrappedSteps(
        ReportSource::AfterAppName(".HandleItemSend"), 0, [&](engine::Steps& steps) {
            steps.Begin(2);
            Cancel = false;  // the send is never stopped
            steps.Begin(4);
            const bool wanted = Globals::ChasewellFromWordWanted();
            steps.Begin(6);
            Globals::WriteTrace("HandleItemSend", "ChasewellFromWordWanted: " + BoolWord(wanted));
            Globals::WriteTrace("HandleItemSend",
                                "ChasewellLocallyGenerated: " + BoolWord(m_LocallyGenerated));
            steps.Begin(8);
            if (!wanted && !m_LocallyGenerated)
                return;
            steps.Begin(10);
            // Both requests are used up by this one send.
            Globals::setChasewellFromWordWanted(false);
            m_LocallyGenerated = false;
            steps.Begin(12);
            auto safeItem = NewSafeMailItem();
            safeItem->setItem(message);
            safeItem->Save();
            steps.Begin(14);
            StoreRecip(*safeItem);
        });
}

void CChasewell::StoreRecip(mailhelper::SafeMailItem& safeItem) {
    engine::TrappedSteps(ReportSource::Fixed("Chasewell.StoreRecip"), 0, [&](engine::Steps& steps) {
        steps.Begin(2);
        // A value the settings hold that no reminder can be made from is
        // said plainly, by name and file, before the report of the failure.
        Globals::ShowDefaultReminderSettingProblems();
        const QDateTime reminderDate = Globals::DefaultReminderDate();
        steps.Begin(4);
        const QString sentDate = platform::Dates().GeneralForm(platform::Now());
        steps.Begin(6);
        auto reminderTemplate = std::make_shared<CReminderItem>();
        reminderTemplate->setReminderDate(platform::Dates().GeneralForm(reminderDate));
        steps.Begin(8);
        if (Globals::DisplayNext() == 1)
            WindowSeams::DisplayEx().ShowModal(RemindTimer::NextReminderTime, reminderTemplate);
        steps.Begin(10);
        AddChasewell(safeItem, reminderTemplate, true, sentDate);
    });
}

void CChasewell::AddChasewell(mailhelper::SafeMailItem& safeItem,
                              const std::shared_ptr<CReminderItem>& reminderTemplate, bool refresh,
                              const QString& sentDate) {
    engine::TrappedSteps(
        ReportSource::Fixed("Chasewell.AddChasewell"), 0, [&](engine::Steps& steps) {
            steps.Begin(2);
            const double ignoreCC = Globals::IgnoreCCRecipients();
            steps.Begin(4);
            auto recipients = safeItem.Recipients();
            const qint32 count = Deref(recipients).Count();
            for (qint32 i = 1; i <= count; ++i) {
                steps.Begin(6);
                auto recipient = recipients->Item(i);
                const qint32 type = Deref(recipient).Type();
                if (type == 3)
                    continue;  // BCC recipients never get a reminder
                if (!(ignoreCC == 0 || type == 1))
                    continue;
                steps.Begin(8);
                const QString address = Globals::GetRecipientSMTPAddress(*recipient);
                const QString subject = safeItem.Subject();
                Globals::WriteTrace("StoreRecip", "Adding " + address);
                Globals::WriteTrace("StoreRecip", "  with subject '" + subject + "'");
                steps.Begin(10);
                auto& reminders = Deref(Globals::m_ReminderItems);
                // An empty address would pass the address test of every
                // reminder and so rewrite another person's reminder; and no
                // reply could ever end it.
                if (address.isEmpty()) {
                    engine::ReportError("No reminder was made for the recipient \"" +
                                            recipient->Address() +
                                            "\": its address could not be resolved.",
                                        0, QStringLiteral("Chasewell.AddChasewell"));
                    continue;
                }
                auto reminder = reminders.FindEx(address, subject);
                const bool isNew = !reminder;
                if (isNew)
                    reminder = std::make_shared<CReminderItem>();
                steps.Begin(12);
                reminder->setEmailAddress(address);
                reminder->setReminderDate(reminderTemplate->ReminderDate());
                reminder->setSubject(subject);
                reminder->setNote(reminderTemplate->Note());
                reminder->setColor(reminderTemplate->Color());
                reminder->setSentDate(sentDate);
                reminder->setEntryId(safeItem.EntryId());
                if (auto parent = safeItem.Parent())
                    reminder->setStoreId(parent->EntryID());
                steps.Begin(14);
                if (isNew)
                    reminders.Add(reminder);
            }
            // Saved at once: a crash before the sent copy arrives (or, for
            // messages already sent, before the program stops) must not
            // lose them. SaveData reports its own failures.
            if (Globals::m_ReminderItems)
                Globals::m_ReminderItems->SaveData();
            if (refresh) {
                steps.Begin(16);
                RemindTimer::KillTimer();
                RemindTimer::DisplayOverdueReminders();
                RemindTimer::SetNextTimer();
                WindowSeams::ViewReminders().FillGrid();
            }
        });
}

void CChasewell::AddChasewells() {
    engine::TrappedSteps(
        ReportSource::Fixed("Chasewell.AddChasewells"), 1, [&](engine::Steps& steps) {
            steps.Begin(2);
            Globals::ShowDefaultReminderSettingProblems();
            auto reminderTemplate = NewTemplate();
            WindowSeams::DisplayEx().ShowModal(RemindTimer::NextReminderTime, reminderTemplate);
            steps.Begin(4);
            auto explorer = Deref(Deref(Globals::m_Engine).OutlookApplication()).ActiveExplorer();
            auto selection = Deref(explorer).Selection();
            const QString sentDate = platform::Dates().GeneralForm(platform::Now());
            for (qint32 i = 1; i <= Deref(selection).Count(); ++i) {
                steps.Begin(6);
                auto safeItem = NewSafeMailItem();
                safeItem->setItem(selection->Item(i));
                // Timer, alarms and list are refreshed once, after the last message.
                AddChasewell(*safeItem, reminderTemplate, i == selection->Count(), sentDate);
            }
        });
}
