#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "addin/contracts/HostEngine.h"
#include "addin/contracts/MailHelper.h"

class CReminderItem;

// The add-in: the class the engine creates, and its only entry point. The
// engine hands it the engine object at start-up and forwards the mail
// client's events: windows opening, commands clicked, items arriving in the
// watched folders, messages being sent, folder switches.
class CChasewell : public engine::IModuleAPI {
public:
    // Command ids, as the engine reports clicks back.
    enum Command {
        kViewReminders = 1,
        kSendWithReminderButton = 2,
        kSendWithReminderMenu = 3,
        kAddReminders = 4
    };

    CChasewell();
    ~CChasewell() override;

    QString RegistryName() override;
    QString FriendlyName() override;
    QString Key() override;
    qint32 HxStartup(const std::shared_ptr<engine::IEngine>& engine) override;
    qint32 HxShutdown() override;
    QString HxSendMessage(QString& theMessage) override;
    qint32 HxExplorerOpen(std::shared_ptr<client::Explorer> explorer) override;
    qint32 HxExplorerClose(std::shared_ptr<client::Explorer> explorer) override;
    qint32 HxExplorerActivate(std::shared_ptr<client::Explorer> explorer) override;
    qint32 HxExplorerDeactivate(std::shared_ptr<client::Explorer> explorer) override;
    qint32 HxInspectorOpen(std::shared_ptr<client::Inspector> inspector) override;
    qint32 HxInspectorClose(std::shared_ptr<client::Inspector> inspector) override;
    qint32 HxInspectorActivate(std::shared_ptr<client::Inspector> inspector) override;
    qint32 HxInspectorDeactivate(std::shared_ptr<client::Inspector> inspector) override;
    qint32 HxButtonAction(qint32& buttonId, bool& CancelDefault) override;
    qint32 HxMenuAction(qint32& menuId, bool& CancelDefault) override;
    qint32 HxHotkeyAction(qint32& lp) override;
    qint32 HxItemEvent(qint32& eventSelector, platform::ObjectRef& Item, bool& Cancel,
                       QString& folderEntryId, QString& folderStoreId) override;
    QString User() override;
    QString Version() override;

private:
    friend class CChasewellTestAccess;

    // Start-up and commands.
    void Initialize();
    void FolderSwitch(const std::shared_ptr<client::Explorer>& explorer);
    void SetButtonState(bool enabled);

    // Sending with a reminder.
    bool SendWithChasewell();
    void HandleItemSend(platform::ObjectRef& message, bool& Cancel);
    void StoreRecip(mailhelper::SafeMailItem& safeItem);
    void AddChasewell(mailhelper::SafeMailItem& safeItem,
                      const std::shared_ptr<CReminderItem>& reminderTemplate, bool refresh,
                      const QString& sentDate);
    void AddChasewells();

    // Watching the Inbox and Sent Items.
    bool ItemAddedToInbox(const platform::ObjectRef& Item);
    bool ItemAddedToSentItems(const platform::ObjectRef& Item);

    QString m_InboxEntryId;
    QString m_SentItemsEntryId;
    bool m_Initialized = false;
    bool m_LocallyGenerated = false;
    // Send-with-reminder requests made so far; a queued check ends a request
    // whose keystroke sent nothing (see SendWithChasewell).
    quint64 m_sendRequests = 0;
    // Calls queued to run after the event loop's current work; dropped when
    // the module goes.
    QObject m_queue;
};
