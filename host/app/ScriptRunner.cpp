#include "host/app/ScriptRunner.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QWidget>

#include "host/app/ComposeWindow.h"
#include "host/app/MailClient.h"
#include "host/app/MainWindow.h"
#include "platform/Env.h"
#include "platform/ManualTime.h"
#include "platform/RuntimeError.h"
#include "schedule/Globals.h"
#include "store/CReminderItem.h"
#include "store/CReminderItems.h"

namespace host::app {

namespace {

// The text after the first n words of a line.
QString After(const QString& line, int n) {
    QString rest = line.trimmed();
    for (int i = 0; i < n; ++i) {
        const int space = rest.indexOf(QRegularExpression("\\s"));
        rest = space < 0 ? QString() : rest.mid(space).trimmed();
    }
    return rest;
}

QWidget* FindWindow(const QString& name) {
    QWidget* hidden = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() != name && widget->windowTitle() != name)
            continue;
        if (widget->isVisible())
            return widget;
        hidden = widget;
    }
    return hidden;
}

std::shared_ptr<HostFolder> FolderNamed(const MailModel& model, const QString& name) {
    for (const auto& root : model.StoreRoots()) {
        if (root->Name() == name)
            return root;
        if (auto folder = root->Folder(name))
            return folder;
    }
    return nullptr;
}

bool HasSubject(const std::shared_ptr<HostFolder>& folder, const QString& subject) {
    for (const auto& item : folder->Contents())
        if (item->Subject() == subject)
            return true;
    return false;
}

QString DataFileText() {
    auto& reminders = Globals::m_ReminderItems;
    if (!reminders)
        return QString();
    QFile file(reminders->DataFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

}  // namespace

ScriptRunner::ScriptRunner(MailClient& client, platform::ManualClock& clock,
                           platform::ManualTimers& timers, QTextStream& out,
                           std::function<MailClient*()> restart)
    : m_client(&client),
      m_restart(std::move(restart)),
      m_clock(clock),
      m_timers(timers),
      m_out(out) {}

int ScriptRunner::RunFile(const QString& path, QTextStream& err) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        err << "Cannot read the script " << path << ": " << file.errorString() << '\n';
        return 3;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    Settle();
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        QString failure;
        if (!RunLine(line, failure)) {
            err << path << ':' << (i + 1) << ": " << line << "\n  " << failure << '\n';
            err.flush();
            return 1;
        }
    }
    return 0;
}

// Delivers what the last action posted (keystrokes, deferred deletes), as
// the event loop would before the next user action, and picks up messages
// another program dropped into the Inbox meanwhile.
void ScriptRunner::Settle() {
    m_client->Mailbox().Poll();
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

bool ScriptRunner::RunLine(const QString& line, QString& failure) {
    const QStringList words = line.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    const QString verb = words.value(0).toLower();
    MainWindow* main = m_client->Main();
    const auto compose = m_client->ComposeWindows();
    ComposeWindow* newest = compose.empty() ? nullptr : compose.back();
    bool done = true;

    if (verb == "compose") {
        newest = m_client->NewMessage();
        QApplication::setActiveWindow(newest);
    } else if (verb == "fill" && words.size() >= 2) {
        if (!newest) {
            failure = "No compose window is open.";
            return false;
        }
        const QString field = words[1].toLower();
        const QString text = After(line, 2).replace("\\n", "\n");
        if (field == "to")
            newest->to()->setText(text);
        else if (field == "cc")
            newest->cc()->setText(text);
        else if (field == "bcc")
            newest->bcc()->setText(text);
        else if (field == "subject")
            newest->subject()->setText(text);
        else if (field == "body")
            newest->body()->setPlainText(text);
        else
            done = false;
    } else if (verb == "send") {
        if (!newest) {
            failure = "No compose window is open.";
            return false;
        }
        // The add-in presses the send shortcut on the active window.
        newest->activateWindow();
        QApplication::setActiveWindow(newest);
        if (words.size() == 1) {
            if (!newest->Send()) {
                failure = "The message was not sent.";
                return false;
            }
        } else if (auto* action = newest->findChild<QAction*>("cmdSendWithReminder")) {
            action->trigger();
        } else {
            failure = "The compose window has no Send With Reminder button.";
            return false;
        }
    } else if (verb == "folder") {
        auto folder = FolderNamed(*m_client->Model(), After(line, 1));
        if (!folder) {
            failure = "No folder is named " + After(line, 1) + ".";
            return false;
        }
        main->ShowFolder(folder);
    } else if (verb == "select") {
        main->SelectSubjects({After(line, 1)});
        if (main->SelectedMails().empty()) {
            failure = "No message in this folder has that subject.";
            return false;
        }
    } else if (verb == "click") {
        QAction* found = nullptr;
        for (QAction* action : main->findChildren<QAction*>())
            if (action->text() == After(line, 1))
                found = action;
        if (!found || !found->isEnabled()) {
            failure = found ? "The button is disabled." : "The main window has no such button.";
            return false;
        }
        found->trigger();
    } else if (verb == "reply" && words.value(1) == "arrives") {
        auto sent = m_client->Model()->DefaultFolder(client::olFolderSentMail);
        std::shared_ptr<HostMailItem> original;
        for (const auto& item : sent->Contents())
            if (item->Subject() == After(line, 2))
                original = std::dynamic_pointer_cast<HostMailItem>(item);
        if (!original) {
            failure = "Sent Items holds no message with that subject.";
            return false;
        }
        if (!m_client->MakeReplyArrive(original, failure))
            return false;
    } else if (verb == "import") {
        const QString rest = After(line, 1);
        const int into = rest.lastIndexOf(" into ");
        auto folder = into < 0 ? nullptr : FolderNamed(*m_client->Model(), rest.mid(into + 6));
        if (!folder) {
            failure = "Write: import FILE into FOLDER (an existing folder).";
            return false;
        }
        if (!m_client->Import(folder, rest.left(into), failure))
            return false;
    } else if (verb == "poll") {
        m_client->Mailbox().Poll();
    } else if (verb == "setting" && words.size() >= 3) {
        platform::Settings().SaveSetting(m_client->Global()->SettingsApplicationName(),
                                         Globals::kSection, words[1], After(line, 2));
    } else if (verb == "clock" && words.size() >= 2) {
        QDateTime when = QDateTime::fromString(After(line, 1), "yyyy-MM-dd hh:mm:ss");
        if (!when.isValid())
            when = QDateTime::fromString(After(line, 1), "yyyy-MM-dd hh:mm");
        if (!when.isValid()) {
            failure = "Write the time as YYYY-MM-DD hh:mm[:ss].";
            return false;
        }
        m_timers.SetTo(platform::MakeDateTime(when.date(), when.time()));
    } else if (verb == "advance" && words.size() == 3) {
        bool ok = false;
        const qint64 n = words[1].toLongLong(&ok);
        const QString unit = words[2].toLower();
        const qint64 seconds = unit.startsWith("second")   ? 1
                               : unit.startsWith("minute") ? 60
                               : unit.startsWith("hour")   ? 3600
                               : unit.startsWith("day")    ? 86400
                                                           : 0;
        if (!ok || n < 0 || seconds == 0) {
            failure = "Write: advance N seconds|minutes|hours|days.";
            return false;
        }
        m_timers.AdvanceTo(m_clock.Now().addSecs(n * seconds));
    } else if (verb == "press" && words.size() == 3) {
        QWidget* window = FindWindow(words[1]);
        if (!window || !window->isVisible()) {
            failure = "No open window is named " + words[1] + ".";
            return false;
        }
        if (auto* button = window->findChild<QAbstractButton*>(words[2])) {
            if (!button->isEnabled()) {
                failure = "The button " + words[2] + " is disabled.";
                return false;
            }
            button->click();
        } else if (auto* action = window->findChild<QAction*>(words[2])) {
            action->trigger();
        } else {
            failure = "The window " + words[1] + " has no button " + words[2] + ".";
            return false;
        }
    } else if (verb == "screenshot" && words.size() >= 3) {
        QWidget* window = FindWindow(words[1]);
        if (!window) {
            failure = "No window is named " + words[1] + ".";
            return false;
        }
        if (!window->grab().save(After(line, 2), "PNG")) {
            failure = "Cannot save " + After(line, 2) + ".";
            return false;
        }
    } else if (verb == "restart") {
        m_client = m_restart ? m_restart() : nullptr;
        if (!m_client) {
            failure = "The program could not start again.";
            return false;
        }
    } else if (verb == "dump") {
        auto& reminders = Globals::m_ReminderItems;
        const qint32 count = reminders ? reminders->Count() : 0;
        m_out << "Reminders: " << count << '\n';
        for (qint32 i = 1; i <= count; ++i) {
            auto item = reminders->Item(i);
            m_out << "  " << item->EmailAddress() << " | " << item->Subject() << " | due "
                  << item->ReminderDateText() << " | entry " << item->EntryId() << '\n';
        }
        m_out.flush();
    } else if (verb == "expect") {
        Settle();
        return Expect(words, line, failure);
    } else {
        done = false;
    }
    if (!done) {
        failure = "Unknown action.";
        return false;
    }
    Settle();
    return true;
}

bool ScriptRunner::Expect(const QStringList& words, const QString& line, QString& failure) {
    const QString what = words.value(1).toLower();
    if (what == "window" && words.size() == 4) {
        QWidget* window = FindWindow(words[2]);
        const bool open = window && window->isVisible();
        const bool wanted = words[3].toLower() == "open";
        if (open != wanted)
            failure =
                QStringLiteral("The window %1 is %2.").arg(words[2], open ? "open" : "not open");
    } else if (what == "reminders" && words.size() == 3) {
        const qint32 count = Globals::m_ReminderItems ? Globals::m_ReminderItems->Count() : 0;
        if (QString::number(count) != words[2])
            failure = QStringLiteral("There are %1 reminders.").arg(count);
    } else if (what == "datafile" && words.size() >= 4) {
        const QString text = After(line, 3);
        const bool contains = DataFileText().contains(text);
        const QString how = words[2].toLower();
        if (how == "contains" && !contains)
            failure = "The data file lacks it. It holds:\n" + DataFileText();
        else if (how == "lacks" && contains)
            failure = "The data file contains it. It holds:\n" + DataFileText();
        else if (how != "contains" && how != "lacks")
            failure = "Write: expect datafile contains|lacks TEXT.";
    } else if (what == "folder" && words.size() >= 5) {
        const QString rest = After(line, 2);
        const int at = rest.indexOf(QRegularExpression(" (contains|lacks) "));
        auto folder = at < 0 ? nullptr : FolderNamed(*m_client->Model(), rest.left(at));
        if (!folder) {
            failure = "Write: expect folder NAME contains|lacks SUBJECT (an existing folder).";
            return false;
        }
        const bool wanted = rest.mid(at + 1).startsWith("contains");
        const QString subject = After(rest.mid(at + 1), 1);
        if (HasSubject(folder, subject) != wanted)
            failure = QStringLiteral("%1 %2 \"%3\".")
                          .arg(folder->Name(), wanted ? "holds no" : "holds", subject);
    } else if (what == "reminder" && line.endsWith(" is the sent copy")) {
        // Every reminder of that subject names the message filed in Sent
        // Items, in memory and in the data file.
        QString subject = After(line, 2);
        subject.chop(QStringLiteral(" is the sent copy").size());
        QString sentId;
        for (const auto& item :
             m_client->Model()->DefaultFolder(client::olFolderSentMail)->Contents())
            if (item->Subject() == subject)
                sentId = item->EntryID();
        int found = 0;
        auto& reminders = Globals::m_ReminderItems;
        for (qint32 i = 1; reminders && i <= reminders->Count(); ++i) {
            auto reminder = reminders->Item(i);
            if (reminder->Subject() != subject)
                continue;
            ++found;
            if (sentId.isEmpty() || reminder->EntryId() != sentId)
                failure = QStringLiteral("The reminder for %1 names entry %2; the sent copy is %3.")
                              .arg(reminder->EmailAddress(), reminder->EntryId(),
                                   sentId.isEmpty() ? QStringLiteral("missing") : sentId);
        }
        // "View Original" opens the message by the ids the reminder kept.
        for (qint32 i = 1; failure.isEmpty() && reminders && i <= reminders->Count(); ++i) {
            auto reminder = reminders->Item(i);
            if (reminder->Subject() != subject)
                continue;
            try {
                m_client->Model()->FindItem(reminder->EntryId(), reminder->StoreId());
            } catch (const platform::RuntimeError& error) {
                failure = QStringLiteral("The reminder's message cannot be opened (store %1): %2")
                              .arg(reminder->StoreId(), error.description());
            }
        }
        if (found == 0)
            failure = "No reminder has that subject.";
        else if (failure.isEmpty() && !DataFileText().contains("EntryId: " + sentId))
            failure = "The data file does not name the sent copy " + sentId + ".";
    } else if (what == "no" && words.value(2) == "problems") {
        const auto& errors = m_client->Log().Errors();
        const auto& failed = m_client->Engine()->FailedCalls();
        if (!errors.empty())
            failure = "Reported: " + errors.front().source + ": " + errors.front().message;
        else if (!failed.empty())
            failure = failed.front().member + " failed: " + failed.front().description;
    } else {
        failure = "Unknown expectation.";
    }
    return failure.isEmpty();
}

}  // namespace host::app
