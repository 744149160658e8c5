#pragma once

class QIcon;
class QLineEdit;
class QMainWindow;
class QMenu;

namespace corvane {

class ConsoleCommands;

// The console window's pop-up menus, built with its menu bar.
struct ConsolePopups {
    // The schedule grid's menu; its shortcuts work anywhere in the window.
    QMenu& schedule;
    // The tray icon's menu while the console is hidden.
    QMenu& tray;
};

// The menu bar ("&File", "&Edit", "&View", "&System", "&Help") and the
// pop-up menus of the console window, over its named commands.
ConsolePopups BuildConsoleMenus(QMainWindow& window, ConsoleCommands& commands);

// The tool bars "Broadcast", "Schedule" (with the "&Schedule Filter" box and
// "&Database Management") and, on a second row, "Tools". Returns the filter box.
QLineEdit& BuildConsoleToolBars(QMainWindow& window, ConsoleCommands& commands);

// The tray icon's image: a "C" on a blue disc.
QIcon ConsoleTrayIcon();

} // namespace corvane
