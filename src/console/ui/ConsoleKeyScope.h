#pragma once

#include <QObject>

class QWidget;

namespace corvane {

class ConsoleCommands;

// The console's command keys belong to the console window. Qt lets a window's
// shortcuts fire while one of its tool windows (the commercials editor, audio
// logging) is active, so Return typed into the commercials editor's grid would
// start playout there. Once made, every command the console window reaches by
// its menus, tool bars or popups answers its key only while the focus is
// inside the console window and no modal window of the program is up; a key
// typed into another window stays with that window, whose own shortcuts then
// work without a clash. Made once the window has built its menus, tool bars
// and pages; owned by the window. Main thread.
class ConsoleKeyScope final : public QObject {
public:
    ConsoleKeyScope(QWidget& window, const ConsoleCommands& commands);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
};

} // namespace corvane
