#include "addin/CChasewell.h"

#include "addin/contracts/ErrorReport.h"
#include "platform/Env.h"
#include "schedule/Globals.h"
#include "schedule/RemindTimer.h"
#include "schedule/WindowSeams.h"
#include "store/CReminderItems.h"

#ifndef CHASEWELL_VERSION
#define CHASEWELL_VERSION "0.0.0"
#endif

using engine::ReportSource;
using platform::Deref;

namespace {
const QString kRegistryName = QStringLiteral("Chasewell");
const QString kViewRemindersLong = QStringLiteral("View Chasewell");
const QString kViewRemindersShort = QStringLiteral("View Reminders");
const QString kAddRemindersLong = QStringLiteral("Add Reminders To Emails");
const QString kAddRemindersShort = QStringLiteral("Add Reminders");
const QString kSendLong = QStringLiteral("Send with Chasewell");
const QString kSendShort = QStringLiteral("Send With Reminder");
constexpr qint32 kExplorerFaceId = 2145;
constexpr qint32 kInspectorFaceId = 2117;
}  // namespace

CChasewell::CChasewell() = default;
CChasewell::~CChasewell() = default;

QString CChasewell::RegistryName() {
    return kRegistryName;
}
QString CChasewell::FriendlyName() {
    return QStringLiteral("Chasewell");
}
QString CChasewell::Key() {
    return QString();
}
QString CChasewell::User() {
    return QString();
}
QString CChasewell::Version() {
    return QStringLiteral(CHASEWELL_VERSION);
}

qint32 CChasewell::HxStartup(const std::shared_ptr<engine::IEngine>& engine) {
    engine::Trapped(ReportSource::Fixed("Chasewell.Startup"), 0, [&] {
        // A second start-up keeps the engine of the first.
        if (!Globals::m_Engine)
            Globals::m_Engine = engine;
    });
    return 0;
}

qint32 CChasewell::HxShutdown() {
    if (!Globals::m_Engine)
        return 0;
    engine::Trapped(ReportSource::Fixed("Chasewell.HxShutdown"), 0, [] {
        Globals::WriteTrace("Shutdown", "Chasewell is stopping");
        // The pending list closes through its Exit button, which saves.
        auto& list = WindowSeams::ViewReminders();
        if (list.IsVisible()) {
            platform::Windows().SetForegroundWindow(list.Widget());
            platform::Windows().SendKeys(list.Widget(), QStringLiteral("%x"), true);
        }
        WindowSeams::Remind().UnloadAll();
        WindowSeams::RemindMultiple().Unload();
        list.Unload();
        RemindTimer::KillTimer();
        // Releasing the collection saves the data file.
        Globals::m_ReminderItems.reset();
        Globals::m_Engine.reset();
        list.Drop();
        auto utilities =
            platform::Objects().CreateObjectAs<mailhelper::MAPIUtils>(mailhelper::kMAPIUtilsProgId);
        utilities->Cleanup();
    });
    return 0;
}

QString CChasewell::HxSendMessage(QString&) {
    return QStringLiteral("noerror");
}

qint32 CChasewell::HxExplorerOpen(std::shared_ptr<client::Explorer> explorer) {
    // Traps nothing: a failure here is returned to the engine as a failed call.
    auto& engine = Deref(Globals::m_Engine);
    engine.SubscribeItemEvents(*this, engine::kFolderSwitch, QString(), QString());
    engine.AddExplorerButton(*this, kViewReminders, kExplorerFaceId, kViewRemindersLong, false,
                             explorer, kRegistryName, kViewRemindersShort);
    engine.AddExplorerButton(*this, kAddReminders, kExplorerFaceId, kAddRemindersLong, false,
                             explorer, kRegistryName, kAddRemindersShort);
    auto ns = Deref(engine.OutlookApplication()).GetNamespace(QStringLiteral("MAPI"));
    auto inbox = Deref(ns).GetDefaultFolder(client::olFolderInbox);
    m_InboxEntryId = Deref(inbox).EntryID();
    engine.SubscribeItemEvents(*this, engine::kItemAdded, inbox->EntryID(), inbox->StoreID());
    auto sentItems = ns->GetDefaultFolder(client::olFolderSentMail);
    m_SentItemsEntryId = Deref(sentItems).EntryID();
    engine.SubscribeItemEvents(*this, engine::kItemAdded, sentItems->EntryID(),
                               sentItems->StoreID());
    engine.SubscribeItemEvents(*this, engine::kItemSend, QString(), QString());
    Initialize();
    return 0;
}

void CChasewell::Initialize() {
    if (m_Initialized)
        return;
    engine::Trapped(ReportSource::AfterAppName(".Initialize"), 0, [this] {
        // A request left over from an earlier run must not be taken for the
        // first send of this one.
        // A store that cannot be written is reported there and stops nothing.
        Globals::setChasewellFromWordWanted(false);
        // Shared only once it knows its data file: a collection that could
        // not find it would save to nowhere.
        auto reminders = std::make_shared<CReminderItems>();
        reminders->Initialize();
        Globals::m_ReminderItems = reminders;
        RemindTimer::DisplayOverdueReminders();
        RemindTimer::SetNextTimer();
        m_Initialized = true;
    });
}

qint32 CChasewell::HxExplorerClose(std::shared_ptr<client::Explorer>) {
    return 0;
}
qint32 CChasewell::HxExplorerActivate(std::shared_ptr<client::Explorer>) {
    return 0;
}
qint32 CChasewell::HxExplorerDeactivate(std::shared_ptr<client::Explorer>) {
    return 0;
}

qint32 CChasewell::HxInspectorOpen(std::shared_ptr<client::Inspector> inspector) {
    engine::Trapped(ReportSource::AfterAppName(".HxInspectorOpen"), 0, [&] {
        auto item = Deref(inspector).CurrentItem();
        if (Deref(item).TypeName() != QLatin1String("MailItem"))
            return;
        auto& engine = Deref(Globals::m_Engine);
        engine.AddInspectorButton(*this, kSendWithReminderButton, kInspectorFaceId, kSendLong, true,
                                  inspector, kRegistryName, kSendShort);
        engine.AddInspectorMenuItem(*this, kSendWithReminderMenu, kInspectorFaceId, kSendLong,
                                    QStringLiteral("&Actions"), inspector, kRegistryName,
                                    kSendShort, QString());
    });
    return 0;
}

qint32 CChasewell::HxInspectorClose(std::shared_ptr<client::Inspector>) {
    return 0;
}
qint32 CChasewell::HxInspectorActivate(std::shared_ptr<client::Inspector>) {
    return 0;
}
qint32 CChasewell::HxInspectorDeactivate(std::shared_ptr<client::Inspector>) {
    return 0;
}

qint32 CChasewell::HxButtonAction(qint32& buttonId, bool&) {
    switch (buttonId) {
        case kViewReminders:
            WindowSeams::ViewReminders().Show(Globals::m_Engine);
            break;
        case kSendWithReminderButton:
            SendWithChasewell();
            break;
        case kAddReminders:
            AddChasewells();
            break;
        default:
            break;
    }
    return 0;
}

qint32 CChasewell::HxMenuAction(qint32& menuId, bool&) {
    if (menuId == kSendWithReminderMenu)
        SendWithChasewell();
    return 0;
}

qint32 CChasewell::HxHotkeyAction(qint32&) {
    return 0;
}

qint32 CChasewell::HxItemEvent(qint32& eventSelector, platform::ObjectRef& Item, bool& Cancel,
                               QString& folderEntryId, QString&) {
    // Steps: 2 the kind of item, 4 the Inbox and its trace line, 6 the Inbox
    // watcher, 8 the Sent Items watcher, 10 a send, 12 a folder switch.
    engine::TrappedSteps(ReportSource::AfterAppName(".HxItemEvent"), 0, [&](engine::Steps& steps) {
        switch (eventSelector) {
            case engine::kItemAdded: {
                steps.Begin(2);
                if (Deref(Item).TypeName() != QLatin1String("MailItem"))
                    return;
                steps.Begin(4);
                if (folderEntryId == m_InboxEntryId) {
                    Globals::WriteTrace("HxItemEvent", "Item " + Item->DefaultMember().toString());
                    steps.Begin(6);
                    ItemAddedToInbox(Item);
                } else {
                    steps.Begin(8);
                    if (folderEntryId == m_SentItemsEntryId)
                        ItemAddedToSentItems(Item);
                }
                break;
            }
            case engine::kItemSend:
                steps.Begin(10);
                HandleItemSend(Item, Cancel);
                break;
            case engine::kFolderSwitch: {
                steps.Begin(12);
                auto explorer = std::dynamic_pointer_cast<client::Explorer>(Item);
                if (!explorer)
                    throw platform::RuntimeError::TypeMismatch();
                FolderSwitch(explorer);
                break;
            }
            default:
                break;
        }
    });
    return 0;
}

void CChasewell::FolderSwitch(const std::shared_ptr<client::Explorer>& explorer) {
    engine::Trapped(ReportSource::Fixed("Chasewell.FolderSwitch"), 0, [&] {
        auto folder = Deref(explorer).CurrentFolder();
        if (!folder)
            return;
        bool enabled = false;
        if (folder->Name() != QLatin1String("Personal Folders"))
            enabled = Deref(folder->Items()).Count() > 0 &&
                      folder->DefaultItemType() == client::olMailItem;
        SetButtonState(enabled);
    });
}

void CChasewell::SetButtonState(bool enabled) {
    engine::Trapped(ReportSource::Fixed("Chasewell.SetButtonState"), 0, [&] {
        if (!Globals::m_Engine)
            return;
        // Looked up afresh every time: the module keeps no reference to it.
        if (auto button = Globals::m_Engine->FindButton(kAddRemindersLong))
            button->setEnabled(enabled);
    });
}
