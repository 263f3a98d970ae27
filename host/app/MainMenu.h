#pragma once

#include <QKeySequence>
#include <QString>

namespace host::app {

class MainWindow;

// The main window's menu bar, every command with a shortcut:
//   &File       Import .eml... (Ctrl+I), &Export Reminders to Calendar...
//               (Ctrl+Shift+E): asks for a file (offering the one exported
//               to last) and exports to it (ExportRemindersToCalendar),
//               E&xit (Ctrl+Q)
//   &Message    New Message (Ctrl+N), &Open (Ctrl+O), Send &Again (F9),
//               Save &Attachment... (Ctrl+S), Reply Arrives (Ctrl+Shift+Y)
//   &Go         &Inbox (Ctrl+1), &Sent Items (Ctrl+2), &Drafts (Ctrl+3),
//               &Outbox (Ctrl+4)
//   &Reminders  the add-in's explorer commands, as they are added
//               (MainWindow::AddCommand; shortcuts from AddinShortcut)
//   &Tools      Chasewell &Settings... (Ctrl+,), which opens the add-in's
//               settings dialog (MainWindow::OpenSettings)
void AddMainMenu(MainWindow& window);

// Writes the add-in's pending reminders to the iCalendar file at path
// (host/export/CalendarExport.h) and tells the user in a message box what
// was exported, what was skipped, or what failed. True when the file was
// written.
bool ExportRemindersToCalendar(const QString& path);

// The shortcut of an add-in command: "View Reminders" Ctrl+Shift+R and
// "Add Reminders" Ctrl+Shift+A; any other gets Ctrl+Shift+ the digit of its
// place among the add-in's commands (1 for the first).
QKeySequence AddinShortcut(const QString& shortText, qsizetype place);

}  // namespace host::app
