#include "host/thunderbird/ThunderbirdHost.h"

#include <QDir>
#include <QJsonArray>
#include <cstdio>

#include "host/common/SettingsDialog.h"
#include "host/engine/DataFolderLock.h"
#include "host/engine/ModuleLoader.h"
#include "host/engine/Registration.h"
#include "host/thunderbird/TbMailItem.h"
#include "host/thunderbird/TbSafeMailItem.h"
#include "platform/DataFileLocale.h"
#include "platform/RuntimeError.h"

#ifndef CHASEWELL_VERSION
#define CHASEWELL_VERSION "0.0.0"
#endif

namespace host::thunderbird {

namespace {

// The add-in's command ids, as it adds its buttons and menu item.
constexpr qint32 kViewRemindersButton = 1;
constexpr qint32 kSendWithReminderButton = 2;
constexpr qint32 kSendWithReminderMenuItem = 3;
constexpr qint32 kAddRemindersButton = 4;

// How the host names itself to a program refused the data folder.
const QString kLockHolder = QStringLiteral("Chasewell in Thunderbird");

platform::Env WithWindows(platform::WindowEffects& windows) {
    platform::Env env = platform::Env::Current();
    env.windows = &windows;
    return env;
}

}  // namespace

ThunderbirdHost::ThunderbirdHost(ExtensionLink& link, const Protocol& protocol, HostPaths paths)
    : m_link(link),
      m_protocol(protocol),
      m_paths(std::move(paths)),
      m_context{&link, protocol.Limit(QStringLiteral("replyTimeoutMs"))},
      m_windows(platform::Windows()),
      m_env(WithWindows(m_windows)),
      m_envScope(m_env),
      m_userDates(m_env.dates),
      m_application(std::make_shared<TbApplication>(m_context)) {
    m_windows.onSendShortcut = [this] { return SendShortcut(); };
    m_link.onLog = [this](const QString& line) { Trace(line); };
    m_link.onEnd = [this] {
        if (onFinished)
            onFinished();
    };
    m_link.OnRequest(
        QStringLiteral("hello"),
        [this](const QJsonObject& m, const ExtensionLink::Request& r) { Hello(m, r); });
    m_link.OnRequest(
        QStringLiteral("itemSend"),
        [this](const QJsonObject& m, const ExtensionLink::Request& r) { ItemSend(m, r); });
    m_link.OnEvent(QStringLiteral("accounts"), [](const QJsonObject&) {
        // The add-in watches the Inbox and Sent Items of every account
        // together, so a change of accounts changes nothing here.
    });
    m_link.OnEvent(QStringLiteral("folderSwitch"),
                   [this](const QJsonObject& m) { FolderSwitch(m); });
    m_link.OnEvent(QStringLiteral("command"), [this](const QJsonObject& m) { Command(m); });
    m_link.OnEvent(QStringLiteral("composeOpen"), [this](const QJsonObject& m) { ComposeOpen(m); });
    m_link.OnEvent(QStringLiteral("composeClose"),
                   [this](const QJsonObject& m) { ComposeClose(m); });
    m_link.OnEvent(QStringLiteral("sentCopy"), [this](const QJsonObject& m) { SentCopy(m); });
    m_link.OnEvent(QStringLiteral("newMail"), [this](const QJsonObject& m) { NewMail(m); });
    // Reports of the add-in reach the user in Thunderbird: the host has no
    // window of its own where they would show.
    m_log.onError = [this](const ErrorReportRecord& report) { ReportInThunderbird(report); };
}

ThunderbirdHost::~ThunderbirdHost() {
    Stop();
    m_link.onLog = nullptr;
    m_link.onEnd = nullptr;
    m_log.onError = nullptr;
}

void ThunderbirdHost::Trace(const QString& line) {
    m_log.AddTrace({QStringLiteral("Chasewell"), QStringLiteral("ThunderbirdHost"), line, 0});
    std::fprintf(stderr, "Chasewell: %s\n", line.toLocal8Bit().constData());
}

void ThunderbirdHost::ReportInThunderbird(const ErrorReportRecord& report) {
    // A data file with many bad lines reports each: the user gets one
    // notice for what came together, not a stack of them.
    if (m_reportsToTell++ == 0) {
        m_firstReport = report.message;
        QMetaObject::invokeMethod(
            &m_queue,
            [this] {
                const int more = std::exchange(m_reportsToTell, 0) - 1;
                Notice(more == 0 ? m_firstReport
                                 : QStringLiteral("%1\n\n(%2 more problems: the log %3 lists "
                                                  "them.)")
                                       .arg(m_firstReport)
                                       .arg(more)
                                       .arg(m_log.File()));
            },
            Qt::QueuedConnection);
    }
}

void ThunderbirdHost::Notice(const QString& text) {
    if (m_link.Ended())
        return;
    QJsonObject notice;
    notice["text"] = text;
    m_link.Send(QStringLiteral("notice"), notice);
}

bool ThunderbirdHost::Running(const QString& kind) {
    if (m_engine && !m_stopped)
        return true;
    Trace(QStringLiteral("Ignored a %1 message: the add-in is not running.").arg(kind));
    return false;
}

void ThunderbirdHost::Hello(const QJsonObject& message, const ExtensionLink::Request& request) {
    const int theirs = message.value("protocol").toInt();
    if (theirs != m_protocol.Version()) {
        const QString why =
            QStringLiteral(
                "The Chasewell extension and the Chasewell program do not fit: the "
                "extension speaks version %1 of their protocol, the program version "
                "%2. Install the extension that came with this program (%3).")
                .arg(theirs)
                .arg(m_protocol.Version())
                .arg(QStringLiteral(CHASEWELL_VERSION));
        Trace(why);
        request.Fail(QStringLiteral("protocol"), why);
        return;
    }
    QString problem;
    QString why;
    if (!m_engine && !StartAddin(message, problem, why)) {
        Trace(why);
        request.Fail(problem, why);
        return;
    }
    QJsonObject result;
    result["protocol"] = m_protocol.Version();
    result["host"] = QStringLiteral(CHASEWELL_VERSION);
    request.Reply(result);
}

bool ThunderbirdHost::StartAddin(const QJsonObject& hello, QString& problem, QString& why) {
    problem = QStringLiteral("start");
    if (!QDir().mkpath(m_paths.dataFolder)) {
        why = QStringLiteral(
                  "Chasewell cannot create its data folder %1. Make sure you may write "
                  "there, then restart Thunderbird.")
                  .arg(m_paths.dataFolder);
        return false;
    }
    // The program and the host keep the same reminders: only one of them
    // may hold them at a time. The one refused touches nothing there, its
    // log included.
    auto lock = std::make_unique<DataFolderLock>(m_paths.dataFolder, kLockHolder);
    if (!lock->Held()) {
        const bool inUse = lock->state() == DataFolderLock::State::InUse;
        problem = inUse ? QStringLiteral("dataFolderInUse") : QStringLiteral("start");
        why = lock->Refusal() +
              (inUse ? QStringLiteral(" Close it, and Chasewell starts in Thunderbird by itself "
                                      "within a few minutes.")
                     : QStringLiteral(" Make sure you may write there, then restart "
                                      "Thunderbird."));
        return false;
    }
    m_lock = std::move(lock);
    m_global = std::make_shared<HxGlobal>(m_log, m_paths.dataFolder);
    m_log.SetFile(m_global->LogFilePath());
    // The data file's dates are read and written in the language it was
    // first written in, whatever language Thunderbird started the host in.
    if (const QString datesProblem =
            platform::UseDataFileDates(m_paths.dataFolder, true, m_userDates, m_fileDates, m_env);
        !datesProblem.isEmpty()) {
        Trace(datesProblem);
        Notice(datesProblem);
    }
    auto& registry = platform::Objects();
    RegisterEngineClasses(registry, m_global, m_log);
    RegisterTbMailHelperClasses(registry);
    std::shared_ptr<engine::IModuleAPI> module;
    try {
        module = LoadModule(m_paths.modulePath);
    } catch (const ModuleLoadError& error) {
        why = QStringLiteral(
                  "Chasewell could not start its add-in: %1 Install Chasewell again, "
                  "then restart Thunderbird.")
                  .arg(QString::fromUtf8(error.what()));
        return false;
    }
    m_engine = std::make_shared<HxEngine>(m_application);
    m_engine->onFailedCall = [this](const FailedCall& call) {
        const QString text =
            QStringLiteral("The add-in failed in %1: %2").arg(call.member, call.description);
        Trace(text);
        Notice(text);
    };
    m_engine->StartModule(module);
    auto explorer = std::make_shared<TbExplorer>();
    if (const QJsonValue folder = hello.value("folder"); folder.isObject())
        explorer->setCurrentFolder(TbFolder::FromJson(folder.toObject()));
    m_application->setExplorer(explorer);
    m_engine->OpenExplorer(explorer);
    Trace(QStringLiteral("The add-in runs in Thunderbird (extension %1), with its data in %2.")
              .arg(hello.value("extension").toString(), m_paths.dataFolder));
    return true;
}

void ThunderbirdHost::FolderSwitch(const QJsonObject& message) {
    if (!Running(QStringLiteral("folderSwitch")))
        return;
    const auto& explorer = m_application->Explorer();
    const QJsonValue folder = message.value("folder");
    explorer->setCurrentFolder(folder.isObject() ? TbFolder::FromJson(folder.toObject()) : nullptr);
    m_engine->FolderSwitched(explorer);
}

void ThunderbirdHost::Command(const QJsonObject& message) {
    const QString command = message.value("command").toString();
    if (command == QLatin1String("settings")) {
        // The options page needs nothing of the add-in but the settings.
        ShowSettings();
        return;
    }
    if (!Running(QStringLiteral("command")))
        return;
    const auto& explorer = m_application->Explorer();
    std::optional<qint32> status;
    if (command == QLatin1String("viewReminders")) {
        status = m_engine->ClickButton(explorer, kViewRemindersButton);
    } else if (command == QLatin1String("addReminders")) {
        std::vector<platform::ObjectRef> selection;
        for (const QJsonValue& selected : message.value("messages").toArray())
            selection.push_back(TbMailItem::FromMessage(m_context, selected.toObject()));
        explorer->setSelection(std::move(selection));
        status = m_engine->ClickButton(explorer, kAddRemindersButton);
    } else if (command == QLatin1String("sendWithReminder")) {
        const QJsonValue tab = message.value("tabId");
        if (!tab.isDouble())
            throw platform::RuntimeError(
                5, QStringLiteral("Send With Reminder came without its compose window"));
        auto inspector = InspectorFor(static_cast<qint64>(tab.toDouble()));
        m_sendTarget = static_cast<qint64>(tab.toDouble());
        status = message.value("via").toString() == QLatin1String("menu")
                     ? m_engine->ClickMenuItem(inspector, kSendWithReminderMenuItem)
                     : m_engine->ClickButton(inspector, kSendWithReminderButton);
        m_sendTarget.reset();
    } else {
        throw platform::RuntimeError(
            5, QStringLiteral("the command \"%1\" is not one of Chasewell's").arg(command));
    }
    if (!status) {
        // Thunderbird's buttons are always there; the add-in may have
        // turned its command off for the folder shown (an empty one, say).
        const QString text =
            command == QLatin1String("addReminders")
                ? QStringLiteral(
                      "Add Reminders works on messages selected in a mail folder that "
                      "holds messages.")
                : QStringLiteral("That Chasewell command is not available in this window.");
        Trace(text);
        Notice(text);
    }
}

bool ThunderbirdHost::SendShortcut() {
    if (!m_sendTarget)
        return false;
    const qint64 tab = *std::exchange(m_sendTarget, std::nullopt);
    m_sending = tab;
    m_sendStarted = false;
    QJsonObject request;
    request["tabId"] = tab;
    // The send event comes back while the host waits (Thunderbird asks
    // before it sends), and must be handled then: the add-in's request for
    // reminders lasts only until the send starts.
    const auto result = m_link.Call(
        QStringLiteral("sendCompose"), request, m_protocol.Limit(QStringLiteral("sendTimeoutMs")),
        ExtensionLink::WhileWaiting::HandleEvents, [this] { return m_sendStarted; });
    const bool started = m_sendStarted;
    m_sending.reset();
    if (!started && !result.ok) {
        const QString text =
            QStringLiteral("Chasewell could not send the message: %1.").arg(result.error);
        Trace(text);
        Notice(text);
    }
    return true;
}

std::shared_ptr<TbInspector> ThunderbirdHost::Inspector(qint64 tabId) const {
    const auto found = m_inspectors.find(tabId);
    return found == m_inspectors.end() ? nullptr : found->second;
}

std::shared_ptr<TbInspector> ThunderbirdHost::InspectorFor(qint64 tabId) {
    if (auto inspector = Inspector(tabId))
        return inspector;
    auto inspector = std::make_shared<TbInspector>(TbMailItem::ForCompose(m_context, tabId));
    m_inspectors[tabId] = inspector;
    m_engine->OpenInspector(inspector);
    return inspector;
}

void ThunderbirdHost::ComposeOpen(const QJsonObject& message) {
    if (!Running(QStringLiteral("composeOpen")))
        return;
    const qint64 tab = static_cast<qint64>(message.value("tabId").toDouble());
    if (Inspector(tab))
        return;
    auto item = TbMailItem::ForCompose(m_context, tab);
    if (const QJsonValue details = message.value("details"); details.isObject())
        item->setComposeDetails(details.toObject());
    auto inspector = std::make_shared<TbInspector>(item);
    m_inspectors[tab] = inspector;
    m_engine->OpenInspector(inspector);
}

void ThunderbirdHost::ComposeClose(const QJsonObject& message) {
    const qint64 tab = static_cast<qint64>(message.value("tabId").toDouble());
    auto inspector = Inspector(tab);
    if (!inspector)
        return;
    m_inspectors.erase(tab);
    if (m_engine && !m_stopped)
        m_engine->CloseInspector(inspector);
}

void ThunderbirdHost::ItemSend(const QJsonObject& message, const ExtensionLink::Request& request) {
    QJsonObject result;
    result["cancel"] = false;
    if (!Running(QStringLiteral("itemSend"))) {
        request.Reply(result);
        return;
    }
    const qint64 tab = static_cast<qint64>(message.value("tabId").toDouble());
    if (m_sending == tab)
        m_sendStarted = true;
    auto inspector = InspectorFor(tab);
    inspector->Message()->setComposeDetails(message.value("details").toObject());
    result["cancel"] = m_engine->ItemSend(inspector->Message());
    request.Reply(result);
}

void ThunderbirdHost::SentCopy(const QJsonObject& message) {
    if (!Running(QStringLiteral("sentCopy")))
        return;
    const auto& sent = m_application->Namespace()->AllSentItems();
    m_engine->ItemAdded(sent->EntryID(), sent->StoreID(),
                        TbMailItem::FromMessage(m_context, message.value("message").toObject()));
}

void ThunderbirdHost::NewMail(const QJsonObject& message) {
    if (!Running(QStringLiteral("newMail")))
        return;
    const auto& inbox = m_application->Namespace()->AllInboxes();
    m_engine->ItemAdded(inbox->EntryID(), inbox->StoreID(),
                        TbMailItem::FromMessage(m_context, message.value("message").toObject()));
}

void ThunderbirdHost::ShowSettings() {
    if (!m_settings) {
        if (!m_global) {
            // The options page reads its texts from the engine's global
            // object; it exists once the add-in started.
            Notice(QStringLiteral("Chasewell's settings open once Chasewell runs in Thunderbird."));
            return;
        }
        m_settings = new SettingsDialog(nullptr, m_paths.pageLibrary);
        m_settings->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_settings->show();
    m_settings->raise();
    m_settings->activateWindow();
}

SettingsDialog* ThunderbirdHost::Settings() const {
    return m_settings.data();
}

void ThunderbirdHost::Stop() {
    if (m_stopped)
        return;
    // What Thunderbird said before it closed is still the user's: a reply
    // that arrived last ends its reminder.
    m_link.HandleHeld();
    m_stopped = true;
    delete m_settings.data();
    if (m_engine)
        m_engine->Shutdown();
    m_inspectors.clear();
    m_log.Flush();
    // The folder is free for the program once the reminders are saved.
    m_lock.reset();
}

}  // namespace host::thunderbird
