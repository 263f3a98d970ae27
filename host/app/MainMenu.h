#pragma once

namespace host::app {

class MainWindow;

// The main window's menu bar with the program's own commands: "&Tools"
// holds "Chasewell &Settings..." (Ctrl+,), which opens the add-in's settings
// dialog (MainWindow::OpenSettings). The add-in's commands stay on the
// toolbar.
void AddMainMenu(MainWindow& window);

}  // namespace host::app
