#include "host/app/ScriptRunner.h"

#include <unistd.h>

#include <cerrno>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QFile>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTableView>
#include <QThread>
#include <QTimeEdit>
#include <QWidget>
#include <optional>

#include "host/app/ComposeWindow.h"
#include "host/app/MailClient.h"
#include "host/app/MainMenu.h"
#include "host/app/MainWindow.h"
#include "platform/Env.h"
#include "platform/ManualTime.h"
#include "platform/QtDialogs.h"
#include "platform/RuntimeError.h"
#include "schedule/Globals.h"
#include "store/CReminderItem.h"
#include "store/CReminderItems.h"

namespace host::app {

namespace {

// How long "wait for delivery" waits for the sendmail command, in real time.
constexpr qint64 kDeliveryWaitMs = 60 * 1000;

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

// The text a control shows.
std::optional<QString> ControlText(const QWidget* control) {
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    if (auto* box = qobject_cast<const QPlainTextEdit*>(control))
        return box->toPlainText();
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (auto* spin = qobject_cast<const QAbstractSpinBox*>(control))
        return spin->text();
    return std::nullopt;
}

// Types one character (or Enter for a line break) into the control, as the
// keyboard would.
void TypeCharacter(QWidget* control, QChar c) {
    const bool enter = c == u'\n';
    const int key = enter ? int(Qt::Key_Return) : int(c.toUpper().unicode());
    const QString text = enter ? QStringLiteral("\r") : QString(c);
    const Qt::KeyboardModifiers modifiers = c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier;
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(control, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(control, &release);
}

// Modal windows shown, each running a loop of its own.
int OpenModalWindows() {
    int open = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->isModal())
            ++open;
    return open;
}

// The column of a grid whose header reads text; -1 when none does.
int ColumnHeaded(const QTableView& grid, const QString& text) {
    for (int column = 0; column < grid.model()->columnCount(); ++column)
        if (grid.model()->headerData(column, Qt::Horizontal).toString() == text)
            return column;
    return -1;
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
    m_lines = QString::fromUtf8(file.readAll()).split('\n');
    m_path = path;
    m_err = &err;
    m_index = 0;
    m_rounds = 0;
    m_finished = false;
    m_baseLevel = QThread::currentThread()->loopLevel() + 1;
    Post();
    return m_loop.exec();
}

void ScriptRunner::Post() {
    QMetaObject::invokeMethod(
        &m_context, [this] { Next(); }, Qt::QueuedConnection);
}

// Each line waits its turn behind what the last one set off (keystrokes,
// clicks, deferred deletes, and what those posted in turn), as a user's next
// action comes after the program answered the last one; then the Inbox is
// looked into for messages another program dropped there.
void ScriptRunner::Next() {
    if (m_finished)
        return;
    // A modal window that closed leaves its loop only once the loop gets
    // control back: until then the action that opened it has not finished
    // (the details window has not yet shown the date its dialog chose).
    const bool modalLoopEnding =
        QThread::currentThread()->loopLevel() > m_baseLevel + OpenModalWindows();
    if (m_rounds < 3 || modalLoopEnding) {
        ++m_rounds;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Post();
        return;
    }
    m_rounds = 0;
    m_client->Mailbox().Poll();
    while (m_index < m_lines.size()) {
        const int number = m_index + 1;
        const QString line = m_lines[m_index++].trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        QString failure;
        bool held = false;
        // A line that fails in a way it does not foresee fails as a line:
        // an error left to the event loop would end the program without a
        // word about which line or why.
        try {
            held = RunLine(line, failure);
        } catch (...) {
            failure =
                QStringLiteral("The line failed: %1").arg(platform::CurrentErrorDescription());
        }
        if (!held) {
            *m_err << m_path << ':' << number << ": " << line << "\n  " << failure << '\n';
            m_err->flush();
            Finish(1);
            return;
        }
        // A line waiting for input goes on when it arrives.
        if (!m_input)
            Post();
        return;
    }
    if (QWidget* modal = QApplication::activeModalWidget()) {
        *m_err << m_path << ": the script ended with the window " << modal->objectName()
               << " still open.\n";
        m_err->flush();
        Finish(1);
        return;
    }
    Finish(0);
}

void ScriptRunner::WaitForInput() {
    m_input = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(m_input.get(), &QSocketNotifier::activated, &m_context, [this] {
        char byte = 0;
        ssize_t got = 0;
        // Up to the line's end, or the end of the input.
        do {
            got = ::read(STDIN_FILENO, &byte, 1);
        } while ((got == 1 && byte != '\n') || (got < 0 && errno == EINTR));
        m_input->setEnabled(false);
        m_input.release()->deleteLater();
        Post();
    });
}

void ScriptRunner::Finish(int exitCode) {
    m_finished = true;
    m_input.reset();
    // A modal window left open would keep its loop, and so the run, going.
    for (int i = 0; i < 20; ++i) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            break;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }
    m_loop.exit(exitCode);
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
            // Sending may wait for the reminder-details window.
            QMetaObject::invokeMethod(action, "trigger", Qt::QueuedConnection);
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
    } else if (verb == "select" && words.value(1) != "rows") {
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
        // "Add Reminders" waits for the reminder-details window.
        QMetaObject::invokeMethod(found, "trigger", Qt::QueuedConnection);
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
        try {
            platform::Settings().SaveSetting(m_client->Global()->SettingsApplicationName(),
                                             Globals::kSection, words[1], After(line, 2));
        } catch (const platform::RuntimeError& error) {
            failure = QStringLiteral("The setting could not be saved: %1").arg(error.description());
            return false;
        }
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
            // The button may open a modal window.
            QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
        } else if (auto* action = window->findChild<QAction*>(words[2])) {
            QMetaObject::invokeMethod(action, "trigger", Qt::QueuedConnection);
        } else {
            failure = "The window " + words[1] + " has no button " + words[2] + ".";
            return false;
        }
    } else if (verb == "type" && words.size() >= 4) {
        QWidget* window = FindWindow(words[1]);
        QWidget* control = window ? window->findChild<QWidget*>(words[2]) : nullptr;
        if (!control || !control->isVisible()) {
            failure = "No open window " + words[1] + " has a control " + words[2] + ".";
            return false;
        }
        control->setFocus(Qt::OtherFocusReason);
        if (auto* box = qobject_cast<QPlainTextEdit*>(control))
            box->moveCursor(QTextCursor::End);
        else if (auto* edit = qobject_cast<QLineEdit*>(control))
            edit->end(false);
        const QString text = After(line, 3).replace("\\n", "\n");
        for (QChar c : text) TypeCharacter(control, c);
    } else if (verb == "keys" && words.size() >= 3) {
        QWidget* window = FindWindow(words[1]);
        if (!window || !window->isVisible()) {
            failure = "No open window is named " + words[1] + ".";
            return false;
        }
        // Delivered through the event loop: a key may open a modal window.
        platform::QtWindowEffects().SendKeys(window, After(line, 2), false);
    } else if (verb == "hover" && words.size() == 3) {
        QWidget* window = FindWindow(words[1]);
        QWidget* control = window ? window->findChild<QWidget*>(words[2]) : nullptr;
        if (!control || !control->isVisible()) {
            failure = "No open window " + words[1] + " has a control " + words[2] + ".";
            return false;
        }
        const QPointF inside(control->rect().center());
        QEnterEvent enter(inside, control->mapTo(control->window(), inside),
                          control->mapToGlobal(inside));
        QCoreApplication::sendEvent(control, &enter);
    } else if (verb == "pick" && words.size() >= 4) {
        QWidget* window = FindWindow(words[1]);
        auto* list = window ? window->findChild<QComboBox*>(words[2]) : nullptr;
        if (!list || !list->isVisible()) {
            failure = "No open window " + words[1] + " has a drop-down list " + words[2] + ".";
            return false;
        }
        const QString text = After(line, 3);
        const int index = list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index >= 0) {
            list->setCurrentIndex(index);
        } else if (list->isEditable()) {
            list->setEditText(text);
        } else {
            failure = "The list " + words[2] + " offers no " + text + ".";
            return false;
        }
    } else if (verb == "choose" && words.value(1) == "date" && words.size() >= 4) {
        QWidget* dialog = FindWindow(QStringLiteral("frmChangeDate"));
        auto* calendar = dialog ? dialog->findChild<QCalendarWidget*>("MonthView") : nullptr;
        auto* time = dialog ? dialog->findChild<QTimeEdit*>("dtpReminderTime") : nullptr;
        if (!dialog || !dialog->isVisible() || !calendar || !time) {
            failure = "The change-date dialog is not open.";
            return false;
        }
        const QDateTime when = QDateTime::fromString(After(line, 2), "yyyy-MM-dd hh:mm");
        if (!when.isValid()) {
            failure = "Write: choose date YYYY-MM-DD hh:mm.";
            return false;
        }
        calendar->setSelectedDate(when.date());
        time->setTime(when.time());
    } else if (verb == "select" && words.value(1) == "rows" && words.size() >= 4) {
        QWidget* window = FindWindow(words[2]);
        auto* grid = window ? window->findChild<QTableView*>("grdReminders") : nullptr;
        if (!grid || !window->isVisible()) {
            failure = "No open window " + words[2] + " has a reminder grid.";
            return false;
        }
        const QString subject = After(line, 3);
        const int column = ColumnHeaded(*grid, QStringLiteral("Subject"));
        QItemSelection selection;
        for (int row = 0; row < grid->model()->rowCount(); ++row) {
            const QModelIndex index = grid->model()->index(row, column);
            if (index.data().toString() == subject)
                selection.select(index, index);
        }
        if (selection.isEmpty()) {
            failure = "No row of the grid has the subject " + subject + ".";
            return false;
        }
        grid->selectionModel()->setCurrentIndex(selection.indexes().front(),
                                                QItemSelectionModel::NoUpdate);
        grid->selectionModel()->select(
            selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        grid->setFocus(Qt::OtherFocusReason);
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
        if (QWidget* modal = QApplication::activeModalWidget()) {
            failure = "The window " + modal->objectName() + " is still open.";
            return false;
        }
        m_client = m_restart ? m_restart() : nullptr;
        if (!m_client) {
            failure = "The program could not start again.";
            return false;
        }
    } else if (verb == "wait" && After(line, 1) == "for delivery") {
        // Delivery is another program (the sendmail command): the one wait
        // on real time, bounded. Its time limit runs on the simulated clock,
        // so the bound here is what stops a command that never ends.
        QElapsedTimer waited;
        waited.start();
        while (m_client->DeliveriesRunning() > 0) {
            if (waited.elapsed() > kDeliveryWaitMs) {
                failure = QStringLiteral("A delivery was still running after %1 s.")
                              .arg(kDeliveryWaitMs / 1000);
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        }
    } else if (verb == "export" && words.size() >= 2) {
        // As the File menu's export does once its file was chosen; the
        // message box that tells what was exported is answered by an
        // "expect message" line.
        const QString path = After(line, 1);
        QMetaObject::invokeMethod(
            &m_context, [path] { ExportRemindersToCalendar(path); }, Qt::QueuedConnection);
    } else if (verb == "say" && words.size() >= 2) {
        m_out << After(line, 1) << '\n';
        m_out.flush();
    } else if (verb == "wait" && After(line, 1) == "for input") {
        // The program goes on answering (its windows, a second start asking
        // for its window) while another program acts; the next line runs
        // once a line arrives on standard input, or it closes.
        WaitForInput();
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
        return Expect(words, line, failure);
    } else {
        done = false;
    }
    if (!done) {
        failure = "Unknown action.";
        return false;
    }
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
    } else if (what == "text" && words.size() >= 4) {
        QWidget* window = FindWindow(words[2]);
        QWidget* control = window ? window->findChild<QWidget*>(words[3]) : nullptr;
        const auto text = control ? ControlText(control) : std::nullopt;
        if (!text)
            failure = "No window " + words[2] + " has a control " + words[3] + " with a text.";
        else if (*text != After(line, 4))
            failure = QStringLiteral("%1 shows \"%2\".").arg(words[3], *text);
    } else if (what == "title" && words.size() >= 4) {
        QWidget* window = FindWindow(words[2]);
        if (!window)
            failure = "No window is named " + words[2] + ".";
        else if (window->windowTitle() != After(line, 3))
            failure = QStringLiteral("The title is \"%1\".").arg(window->windowTitle());
    } else if (what == "message" && words.size() >= 3) {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            failure = "No message box is open.";
        else if (box->text() != After(line, 2))
            failure = QStringLiteral("The message box says \"%1\".").arg(box->text());
        else if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            QMetaObject::invokeMethod(ok, "click", Qt::QueuedConnection);
    } else if (what == "grid" && words.size() == 5 && words[3] == "rows") {
        QWidget* window = FindWindow(words[2]);
        auto* grid = window ? window->findChild<QTableView*>("grdReminders") : nullptr;
        if (!grid)
            failure = "No window " + words[2] + " has a reminder grid.";
        else if (QString::number(grid->model()->rowCount()) != words[4])
            failure = QStringLiteral("The grid has %1 rows.").arg(grid->model()->rowCount());
    } else if (what == "datafile" && words.size() == 4 && words[2] == "records") {
        const QStringList records =
            DataFileText().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        if (QString::number(records.size()) != words[3])
            failure = QStringLiteral("The data file holds %1 records:\n").arg(records.size()) +
                      DataFileText();
    } else if (what == "reminder" && line.contains(QRegularExpression(" (due|note) ")) &&
               !line.endsWith(" is the sent copy")) {
        return ExpectReminder(line, failure);
    } else if (what == "setting" && words.size() >= 4) {
        const QString stored =
            platform::Settings().GetSetting(m_client->Global()->SettingsApplicationName(),
                                            Globals::kSection, words[2], QStringLiteral("<none>"));
        if (stored != After(line, 3))
            failure = QStringLiteral("The setting %1 is \"%2\".").arg(words[2], stored);
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

bool ScriptRunner::ExpectReminder(const QString& line, QString& failure) {
    const QString rest = After(line, 2);
    const QRegularExpressionMatch match = QRegularExpression("^(.*?) (due|note) (.*)$").match(rest);
    const QString subject = match.captured(1);
    const bool due = match.captured(2) == "due";
    const QString wanted = match.captured(3);
    auto& reminders = Globals::m_ReminderItems;
    int found = 0;
    for (qint32 i = 1; reminders && i <= reminders->Count(); ++i) {
        auto reminder = reminders->Item(i);
        if (reminder->Subject() != subject)
            continue;
        ++found;
        QString held;
        try {
            held = due ? reminder->ReminderDate() : reminder->Note();
        } catch (const platform::RuntimeError& error) {
            held = error.description();
        }
        if (held != wanted)
            failure = QStringLiteral("The reminder for %1 has %2 \"%3\".")
                          .arg(reminder->EmailAddress(), due ? "the date" : "the note", held);
    }
    if (found == 0)
        failure = "No reminder has that subject.";
    return failure.isEmpty();
}

}  // namespace host::app
