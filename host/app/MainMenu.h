#pragma once

#include <QString>

namespace host::app {

class MainWindow;

// The main window's menu bar with the program's own commands:
//   "&File"  "&Export Reminders to Calendar..." (Ctrl+Shift+E): asks for a
//            file (offering the one exported to last) and exports to it
//            (ExportRemindersToCalendar)
//   "&Tools" "Chasewell &Settings..." (Ctrl+,): the add-in's settings dialog
//            (MainWindow::OpenSettings)
// The add-in's commands stay on the toolbar.
void AddMainMenu(MainWindow& window);

// Writes the add-in's pending reminders to the iCalendar file at path
// (host/export/CalendarExport.h) and tells the user in a message box what
// was exported, what was skipped, or what failed. True when the file was
// written.
bool ExportRemindersToCalendar(const QString& path);

}  // namespace host::app
